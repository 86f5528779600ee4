# Tests of the web program:
#   - the end-to-end suite, built for the host in host-e2e/ and run against
#     the web program under node, with the same expected bytes as on Linux;
#   - the exponential and the power of this build's library, and the
#     run-time's own elementary functions, against the Linux program's, on
#     every argument the suite and typed equations meet;
#   - `node raizes.js` and the bytes of the command the node host starts;
#   - the page in headless Chromium, from a local web server and from disk.

include(HostEndToEnd.cmake)
raizes_host_end_to_end(DEPENDS raizes ARGS -DRAIZES_E2E_PROGRAM=${CMAKE_BINARY_DIR}/raizes -DRAIZES_E2E_RUNNER=node)
set(host_e2e ${CMAKE_BINARY_DIR}/host-e2e)

add_test(NAME web.node_host COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/web/node_host_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(web.node_host PROPERTIES TIMEOUT 120)

# The page in headless Chromium, against the Linux program's report.
find_program(RAIZES_CHROMIUM chromium REQUIRED)
add_test(NAME web.page_in_a_browser
         COMMAND ${RAIZES_NODE} ${CMAKE_CURRENT_SOURCE_DIR}/web/browser_test.js ${CMAKE_BINARY_DIR}/site
                 ${CMAKE_BINARY_DIR}/npm ${host_e2e}/raizes ${CMAKE_BINARY_DIR}
                 ${CMAKE_BINARY_DIR}/asyncify/raizes-checked.js)
set_tests_properties(web.page_in_a_browser PROPERTIES TIMEOUT 300 ENVIRONMENT RAIZES_CHROMIUM=${RAIZES_CHROMIUM})

# The exponential and the power of this build's C library, and the
# run-time's own logarithm, square root, sine, cosine, tangent and arc
# tangent, against the Linux program's: the whole end-to-end suite (as it
# is and with the built-in equation typed) and runs of typed equations that
# spread their arguments over the doubles go again with a web program that
# records every call (math_log.cpp), and each recorded result must have the
# bits that the Linux program gives for the same arguments.
add_executable(raizes-math-log ${CMAKE_SOURCE_DIR}/principal/main.cpp ${CMAKE_CURRENT_SOURCE_DIR}/web/math_log.cpp)
target_link_libraries(raizes-math-log PRIVATE raizes_principal)
get_target_property(web_program_options raizes LINK_OPTIONS)
target_link_options(raizes-math-log PRIVATE ${web_program_options} -Wl,--wrap=exp -Wl,--wrap=_ZN2rt10elementary3powEdd
  -Wl,--wrap=_ZN2rt10elementary3logEd -Wl,--wrap=_ZN2rt7rt_sqrtEd -Wl,--wrap=_ZN2rt10elementary3sinEd
  -Wl,--wrap=_ZN2rt10elementary3cosEd -Wl,--wrap=_ZN2rt10elementary3tanEd -Wl,--wrap=_ZN2rt10elementary4atanEd)
add_dependencies(host_e2e raizes-math-log)
add_test(NAME web.math_bits
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/web/math_bits.sh ${host_e2e} $<TARGET_FILE:raizes-math-log>
                 ${CMAKE_BINARY_DIR}/math-calls.bin)
set_tests_properties(web.math_bits PROPERTIES TIMEOUT 1800)

# The page as an app (offline, installable, on a phone, for everyone), and
# names and pastes of a hostile user, in headless Chromium.
add_test(NAME web.page_as_an_app
         COMMAND ${RAIZES_NODE} ${CMAKE_CURRENT_SOURCE_DIR}/web/app_test.js ${CMAKE_BINARY_DIR}/site ${CMAKE_BINARY_DIR}/npm
                 ${CMAKE_SOURCE_DIR}/web)
set_tests_properties(web.page_as_an_app PROPERTIES TIMEOUT 400 ENVIRONMENT RAIZES_CHROMIUM=${RAIZES_CHROMIUM})
