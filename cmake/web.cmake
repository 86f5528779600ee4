# The web program: raizes and raizes-plot compiled to WebAssembly, each one
# JavaScript file with the WebAssembly inside (nothing is fetched when it
# starts, so it runs opened from disk too), and the static site of
# build/web/site/ that runs them in a page.
#
# raizes.js starts the program under node (`node raizes.js`, or the start-up
# script `raizes` beside it) with node's file system, standard handles and
# processes; in a page the page hands it its own console, folder and viewer
# (web/). The program's console reads, its wait for the viewer and, now and
# then during a long run, the page's turn when a write statement begins (so
# that the page stays responsive) wait for the page: raizes.js waits by JSPI, in
# the browsers that have it; raizes-asyncify.js, the same program built
# again apart (asyncify/), waits by Asyncify, in the others.

set(web_host ${CMAKE_SOURCE_DIR}/platform/web)
set(web_page ${CMAKE_SOURCE_DIR}/web)
find_program(RAIZES_NODE node REQUIRED)
find_program(RAIZES_NPM npm REQUIRED)
find_program(RAIZES_RSVG_CONVERT rsvg-convert REQUIRED)

# Modules that a page or node instantiates, one file each, whose memory may
# grow to 2 GiB.
set(web_module_options -sMODULARIZE=1 -sSINGLE_FILE=1 -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB)
set(web_host_files ${web_host}/host.js ${web_host}/suspend_jspi.js ${web_host}/suspend_asyncify.js
    ${web_host}/jspi.js ${web_host}/node_host.js ${web_host}/node_main.js)

if(RAIZES_WEB_ASYNCIFY)
  # Asyncify instruments every function that may be on the stack while the
  # program waits, and takes any that makes an indirect call (each call
  # that an exception may cross is one) for such a function. The program
  # waits only in a console read, in the wait for the viewer and at the
  # page's turn when a write statement begins: the end of a write statement
  # (where the writer's work is), the numbers' editing, the arithmetic and
  # the error report are never on the stack then, and are left as they
  # are, which is most of the time of a long run. Names as the WebAssembly
  # names them after the link's inlining, '*' for any text; a name that
  # matches nothing is a warning of the link.
  set(web_never_waits
    "io::end_write(*)" "io::to_decimal(*)" "io::put_real_field(*)"
    "io::write_integer_item(*)" "io::write_real8_item(*)" "io::write_character_item(*)"
    "io::Record::*" "io::QueuedItems::*" "io::format_entries::*"
    "io::(anonymous namespace)::Walk::*" "io::(anonymous namespace)::real_text(*)"
    "rt::*" "plat::call_with_fp_traps_held(*)"
    "subrotinas::f(*)" "subrotinas::g(*)" "subrotinas::aplica(*)"
    "operator new(*)" "std::__2::vector*" "std::__2::basic_string*")
  list(JOIN web_never_waits "\n" web_never_waits)
  file(WRITE ${CMAKE_BINARY_DIR}/never_waits.txt "${web_never_waits}\n")
  set(web_asyncify_options
    ${web_module_options}
    -sENVIRONMENT=web
    -sEXPORT_NAME=RaizesAsyncify
    --js-library=${web_host}/host.js
    --js-library=${web_host}/suspend_asyncify.js
    -sFILESYSTEM=0
    -sASYNCIFY=1
    "-sASYNCIFY_IMPORTS=['raizes_host_read','raizes_host_turn','raizes_host_wait']"
    -sASYNCIFY_STACK_SIZE=65536
    -sASYNCIFY_REMOVE=@${CMAKE_BINARY_DIR}/never_waits.txt)
  target_link_options(raizes PRIVATE ${web_asyncify_options})
  set_property(TARGET raizes APPEND PROPERTY LINK_DEPENDS ${web_host_files})
  # The same program with Asyncify's own checks, for the browser test: a
  # function left out above that is on the stack while the program waits
  # stops the run.
  add_executable(raizes-checked ${CMAKE_SOURCE_DIR}/principal/main.cpp)
  target_link_libraries(raizes-checked PRIVATE raizes_principal)
  add_dependencies(raizes-checked raizes_os_headers)
  target_link_options(raizes-checked PRIVATE ${web_asyncify_options} -sASSERTIONS=1)
  set_property(TARGET raizes-checked APPEND PROPERTY LINK_DEPENDS ${web_host_files})
  set_target_properties(raizes-plot raizes_plot_core PROPERTIES EXCLUDE_FROM_ALL ON)
  return()
endif()

# The wasm names of imports and exports stay as they are, for jspi.js finds
# the waiting calls and main by them: the link optimises at -O2, where
# Emscripten does not shorten them (the sources are compiled at -O3).
target_link_options(raizes PRIVATE
  -O2
  ${web_module_options}
  -sENVIRONMENT=web,node
  -sEXPORT_NAME=Raizes
  --js-library=${web_host}/host.js
  --js-library=${web_host}/suspend_jspi.js
  --pre-js=${web_host}/node_host.js
  --pre-js=${web_host}/jspi.js
  --extern-post-js=${web_host}/node_main.js
  -sFILESYSTEM=0)
set_property(TARGET raizes APPEND PROPERTY LINK_DEPENDS ${web_host_files})

# raizes-plot keeps its files in Emscripten's file system in memory, where
# the page puts the reports before it calls main.
target_link_options(raizes-plot PRIVATE
  ${web_module_options}
  -sENVIRONMENT=web,node
  -sEXPORT_NAME=RaizesPlot
  -sFORCE_FILESYSTEM=1
  -sINVOKE_RUN=0
  "-sEXPORTED_RUNTIME_METHODS=['FS','callMain']")

# The program again, waiting by Asyncify: the whole program is compiled
# apart, with the exceptions Asyncify can transform (that build makes
# raizes alone).
include(ExternalProject)
set(web_asyncify ${CMAKE_BINARY_DIR}/asyncify)
ExternalProject_Add(raizes_asyncify
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${web_asyncify}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
             -DRAIZES_WEB_ASYNCIFY=ON -DRAIZES_TESTS=OFF -DRAIZES_BENCH=OFF
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${web_asyncify}/raizes.js ${web_asyncify}/raizes-checked.js)

# `raizes` runs the program under node with the command line it is given
# (RAIZES_WEB_PROGRAM names another build of it, for the tests).
file(WRITE ${CMAKE_BINARY_DIR}/raizes
  "#!/usr/bin/env node\n// The web program under node.\n"
  "require(process.env.RAIZES_WEB_PROGRAM || __dirname + '/raizes.js')();\n")
file(CHMOD ${CMAKE_BINARY_DIR}/raizes PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The page's packages (the terminal widget, the guide's converter, and the
# browser driver of the tests), as the committed lock file pins them.
set(web_npm ${CMAKE_BINARY_DIR}/npm)
add_custom_command(
  OUTPUT ${web_npm}/installed.stamp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${web_npm}
  COMMAND ${CMAKE_COMMAND} -E copy ${web_page}/package.json ${web_page}/package-lock.json ${web_npm}
  COMMAND ${RAIZES_NPM} ci --no-audit --no-fund --prefix ${web_npm}
  COMMAND ${CMAKE_COMMAND} -E touch ${web_npm}/installed.stamp
  DEPENDS ${web_page}/package.json ${web_page}/package-lock.json
  COMMENT "Installing the page's packages (npm ci)")

# The site: the page, the programs, the terminal widget, the guide, the
# app's icons drawn from icon.svg, and last the service worker that keeps
# all of them for use offline.
set(web_site ${CMAKE_BINARY_DIR}/site)
file(GLOB page_files CONFIGURE_DEPENDS ${web_page}/site/*)
add_custom_command(
  OUTPUT ${web_site}/index.html
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${web_site}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${web_site}/vendor
  COMMAND ${CMAKE_COMMAND} -E copy ${page_files} ${web_site}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:raizes> $<TARGET_FILE:raizes-plot> ${web_site}
  COMMAND ${CMAKE_COMMAND} -E copy ${web_asyncify}/raizes.js ${web_site}/raizes-asyncify.js
  COMMAND ${CMAKE_COMMAND} -E copy
          ${web_npm}/node_modules/@xterm/xterm/lib/xterm.js
          ${web_npm}/node_modules/@xterm/xterm/css/xterm.css
          ${web_npm}/node_modules/@xterm/addon-fit/lib/addon-fit.js
          ${web_site}/vendor
  COMMAND ${RAIZES_NODE} ${web_page}/make_guide.js ${web_npm} ${CMAKE_SOURCE_DIR}/doc/guide.md ${web_site}/guide.html
  COMMAND ${RAIZES_RSVG_CONVERT} -w 180 -h 180 -o ${web_site}/icon-180.png ${web_page}/site/icon.svg
  COMMAND ${RAIZES_RSVG_CONVERT} -w 192 -h 192 -o ${web_site}/icon-192.png ${web_page}/site/icon.svg
  COMMAND ${RAIZES_RSVG_CONVERT} -w 512 -h 512 -o ${web_site}/icon-512.png ${web_page}/site/icon.svg
  COMMAND ${RAIZES_NODE} ${web_page}/make_offline.js ${web_site}
  DEPENDS raizes raizes-plot raizes_asyncify ${web_asyncify}/raizes.js ${page_files} ${web_npm}/installed.stamp
          ${web_page}/make_guide.js ${web_page}/make_offline.js
          ${CMAKE_SOURCE_DIR}/doc/guide.md
  COMMENT "Assembling the site in ${web_site}")
add_custom_target(web_site ALL DEPENDS ${web_site}/index.html)
