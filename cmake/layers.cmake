# The program is a stack of layers, one library each. A layer links only the
# layers below it and sees only their headers and its own: each layer's
# include folder holds a link to its source folder alone, and the include
# folders of the layers it links come with them. An include of a higher
# layer therefore does not compile, and a call into one does not link.

set(RAIZES_LAYERS_DIR ${CMAKE_BINARY_DIR}/layers)
set(RAIZES_LAYER_SOURCES)

# raizes_layer(<name> FOLDER <source folder> [SOURCES <folder of the .cpp files>]
#              [LINKS <lower layers>...])
function(raizes_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 layer "" "FOLDER;SOURCES" "LINKS")
  if(NOT layer_SOURCES)
    set(layer_SOURCES ${layer_FOLDER})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${layer_SOURCES}/*.cpp)
  list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/principal/main.cpp)

  set(include_dir ${RAIZES_LAYERS_DIR}/${name})
  get_filename_component(link_parent ${include_dir}/${layer_FOLDER} DIRECTORY)
  file(MAKE_DIRECTORY ${link_parent})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${layer_FOLDER} ${include_dir}/${layer_FOLDER} SYMBOLIC)

  add_library(raizes_${name} STATIC ${sources})
  target_include_directories(raizes_${name} PUBLIC ${include_dir})
  foreach(lower IN LISTS layer_LINKS)
    target_link_libraries(raizes_${name} PUBLIC raizes_${lower})
  endforeach()
  set(RAIZES_LAYER_SOURCES ${RAIZES_LAYER_SOURCES} ${sources} PARENT_SCOPE)
endfunction()

# Only the platform layer may include the operating system's headers: a
# C-style header (<name.h>, <sys/...>) anywhere above it fails the build.
function(raizes_check_os_headers)
  set(stamp ${CMAKE_BINARY_DIR}/os-headers.checked)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DSTAMP=${stamp}
            -P ${CMAKE_SOURCE_DIR}/cmake/check_os_headers.cmake
    DEPENDS ${RAIZES_LAYER_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/check_os_headers.cmake
    COMMENT "Checking that only platform/ includes operating-system headers")
  add_custom_target(raizes_os_headers ALL DEPENDS ${stamp})
endfunction()
