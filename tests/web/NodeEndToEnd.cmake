# The end-to-end suite against the web program under node: every run starts
# RAIZES_E2E_PROGRAM, the start-up script of raizes.js, as the Linux program
# is started, and the tests compare the same bytes.
target_compile_definitions(raizes_test_support PUBLIC RAIZES_BINARY="${RAIZES_E2E_PROGRAM}")
set(e2e_properties TIMEOUT 900)

# The Linux stand-in command processor, and the viewer that the installed
# Linux program and the one in its build folder find beside them, are not
# the web program's.
set(e2e_filter "-CmdTool.*:Installed.*:BuildFolder.*")

# Compares what the web program's mathematical functions gave during the
# suite with the Linux program's (tests/web/WebTests.cmake runs it).
add_executable(math_bits_check ${CMAKE_CURRENT_SOURCE_DIR}/web/math_bits_check.cpp)
target_link_libraries(math_bits_check PRIVATE raizes_runtime)
