# The web program: raizes and raizes-plot compiled to WebAssembly, each one
# JavaScript file with the WebAssembly inside (nothing is fetched when it
# starts, so it runs opened from disk too), and the static site of
# build/web/site/ that runs them in a page.
#
# raizes.js starts the program under node (`node raizes.js`, or the start-up
# script `raizes` beside it) with node's file system, standard handles and
# processes; in a page the page hands it its own console, folder and viewer
# (web/). The program's console reads and its wait for the viewer suspend
# it (Asyncify) until the page answers, and so do its writes now and then,
# so that the page stays responsive during a long run.

set(web_host ${CMAKE_SOURCE_DIR}/platform/web)
set(web_page ${CMAKE_SOURCE_DIR}/web)
find_program(RAIZES_NODE node REQUIRED)
find_program(RAIZES_NPM npm REQUIRED)
find_program(RAIZES_RSVG_CONVERT rsvg-convert REQUIRED)

# Both are modules that a page or node instantiates, one file each, whose
# memory may grow to 2 GiB.
set(web_module_options -sMODULARIZE=1 -sSINGLE_FILE=1 -sENVIRONMENT=web,node -sALLOW_MEMORY_GROWTH=1
    -sMAXIMUM_MEMORY=2GB)

target_link_options(raizes PRIVATE
  ${web_module_options}
  -sEXPORT_NAME=Raizes
  --js-library=${web_host}/host.js
  --pre-js=${web_host}/node_host.js
  -sFILESYSTEM=0
  -sASYNCIFY=1
  "-sASYNCIFY_IMPORTS=['raizes_host_read','raizes_host_write','raizes_host_wait']"
  -sASYNCIFY_STACK_SIZE=65536)
set_property(TARGET raizes APPEND PROPERTY LINK_DEPENDS ${web_host}/host.js ${web_host}/node_host.js)

# raizes-plot keeps its files in Emscripten's file system in memory, where
# the page puts the reports before it calls main.
target_link_options(raizes-plot PRIVATE
  ${web_module_options}
  -sEXPORT_NAME=RaizesPlot
  -sFORCE_FILESYSTEM=1
  -sINVOKE_RUN=0
  "-sEXPORTED_RUNTIME_METHODS=['FS','callMain']")

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

# The site: the page, the two programs, the terminal widget, the guide, the
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
  DEPENDS raizes raizes-plot ${page_files} ${web_npm}/installed.stamp ${web_page}/make_guide.js ${web_page}/make_offline.js
          ${CMAKE_SOURCE_DIR}/doc/guide.md
  COMMENT "Assembling the site in ${web_site}")
add_custom_target(web_site ALL DEPENDS ${web_site}/index.html)
