# The end-to-end suite of a program that is not built for this machine (a
# Windows or a web program) is a host program: it is configured and built
# for the host in host-e2e/ beside this build, and its tests join this
# build's tests. That build also makes the Linux program that some tests
# compare with.
#
#   raizes_host_end_to_end(DEPENDS target... ARGS -DVARIABLE=value...)
include(ExternalProject)
function(raizes_host_end_to_end)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "" "DEPENDS;ARGS")
  set(host_e2e ${CMAKE_BINARY_DIR}/host-e2e)
  ExternalProject_Add(host_e2e
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${host_e2e}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAIZES_BENCH=OFF ${arg_ARGS}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    DEPENDS ${arg_DEPENDS})
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${host_e2e}/tests/CTestTestfile.cmake)
endfunction()
