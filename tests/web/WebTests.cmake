# Tests of the web program:
#   - the end-to-end suite, built for the host in host-e2e/ and run against
#     the web program under node, with the same expected bytes as on Linux;
#   - the exponential and the power of this build's library against the
#     Linux program's, on every argument the Linux program meets in that
#     suite;
#   - the page in headless Chromium, from a local web server and from disk.

# The end-to-end suite is a host program: it is configured and built for the
# host beside this build, and its tests join this build's tests. That build
# also makes the Linux program that the other tests compare with.
include(ExternalProject)
set(host_e2e ${CMAKE_BINARY_DIR}/host-e2e)
ExternalProject_Add(host_e2e
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${host_e2e}
  CMAKE_ARGS
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
    -DRAIZES_BENCH=OFF
    -DRAIZES_E2E_PROGRAM=${CMAKE_BINARY_DIR}/raizes
    -DRAIZES_E2E_RUNNER=node
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  DEPENDS raizes)
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${host_e2e}/tests/CTestTestfile.cmake)

# The page in headless Chromium, against the Linux program's report.
find_program(RAIZES_CHROMIUM chromium REQUIRED)
add_test(NAME web.page_in_a_browser
         COMMAND ${RAIZES_NODE} ${CMAKE_CURRENT_SOURCE_DIR}/web/browser_test.js ${CMAKE_BINARY_DIR}/site
                 ${CMAKE_BINARY_DIR}/npm ${host_e2e}/raizes ${CMAKE_BINARY_DIR})
set_tests_properties(web.page_in_a_browser PROPERTIES TIMEOUT 300 ENVIRONMENT RAIZES_CHROMIUM=${RAIZES_CHROMIUM})
