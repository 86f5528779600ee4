# The end-to-end suite against the Windows program: every run starts
# RAIZES_E2E_PROGRAM under Wine (through the Wine session script of the
# Windows build), and the tests compare the same bytes as on Linux.
set(RAIZES_E2E_RECORDER "" CACHE FILEPATH "Stand-in command processor (a Windows program)")
set(RAIZES_E2E_WINE "" CACHE FILEPATH "Runs a Windows program under Wine")
target_compile_definitions(raizes_test_support PUBLIC
  RAIZES_BINARY="${RAIZES_E2E_PROGRAM}"
  RAIZES_WINE="${RAIZES_E2E_WINE}"
  RAIZES_RECORDER="${RAIZES_E2E_RECORDER}"
  # The Linux program built beside the suite, which the random dialogues
  # compare with.
  RAIZES_REFERENCE_BINARY="$<TARGET_FILE:raizes>")
set(e2e_properties TIMEOUT 900 FIXTURES_REQUIRED wine)

# Tests about Linux terminals, descriptors, signals, devices and special
# files, about the Linux stand-in command processor, and the allocation
# sweep (an allocator preloaded into a Linux program) have no counterpart
# here.
set(e2e_filter "-*Terminal*:CmdTool*:Surroundings.*:AllocationSweep.*:Dialogue.ControlDOnAnEmptyTerminalLineIsEndOfFile:ReportConnection.AFullDevice*")
set(typed_e2e_tests ${CMAKE_CURRENT_SOURCE_DIR}/e2e/metodos_e2e_test.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/stress_e2e_test.cpp)
