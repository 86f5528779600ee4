# Tests of the Windows program, run under Wine on this machine:
#   - the unit tests that do not need POSIX, cross-built and run under Wine;
#   - the end-to-end suite, built for the host in host-e2e/ and run against
#     raizes.exe under Wine, with the same expected bytes as on Linux;
#   - the viewer for real: Wine's cmd.exe and notepad.exe on a virtual
#     X display.
# All of them share one Wine session (the fixture "wine").

find_program(RAIZES_WINE wine REQUIRED)
find_program(RAIZES_WINESERVER wineserver REQUIRED)
find_program(RAIZES_XVFB Xvfb REQUIRED)
string(MD5 build_tag "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${build_tag}" 0 12 build_tag)
if(DEFINED ENV{RAIZES_WINEPREFIX})
  set(wineprefix_default "$ENV{RAIZES_WINEPREFIX}")
else()
  set(wineprefix_default "/tmp/raizes-wine-${build_tag}")
endif()
set(RAIZES_WINEPREFIX "${wineprefix_default}" CACHE PATH "Temporary Wine prefix of the Windows tests")

# Whether this machine runs 32-bit Windows programs under Wine, and why not,
# is tools/wine32-probe's to say. Where the machine runs no 32-bit code at
# all, the 32-bit suite cannot run: only the program is built, and one test
# says NOT RUN and why (ctest lists it as skipped); it fails once the machine
# runs 32-bit code after all, so that the build is configured again.
set(wine32_probe ${CMAKE_SOURCE_DIR}/tools/wine32-probe)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  execute_process(COMMAND ${wine32_probe} kernel OUTPUT_VARIABLE machine_verdict
                  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE machine_status)
  if(machine_status EQUAL 2)
    message(STATUS "NOT RUN: the 32-bit Windows suite: ${machine_verdict}")
    add_test(NAME wine32.NOT_RUN.this_machine_runs_no_32-bit_code
             COMMAND sh -c "'${wine32_probe}' kernel; status=$?; [ $status -ne 0 ] && exit $status; \
echo 'configure this build again: the suite runs here'; exit 1")
    set_tests_properties(wine32.NOT_RUN.this_machine_runs_no_32-bit_code PROPERTIES SKIP_RETURN_CODE 2)
    return()
  endif()
endif()

# A 32-bit program runs under the 64-bit Wine loader with Wine's 32-bit
# libraries, which tools/setup windows unpacks into its cache folder. The
# prefix must be created with them in reach, or it has no 32-bit system and
# every 32-bit program ends at once with status 0, having done nothing: the
# session's start lets the probe make the prefix and try a 32-bit program.
set(wine_dll_path "")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-i386 OUTPUT_VARIABLE wine_i386
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(RAIZES_WINE_I386 "${wine_i386}" CACHE PATH "Wine's 32-bit libraries (tools/setup windows unpacks them)")
  set(wine_dll_path "${RAIZES_WINE_I386}")
endif()
set(RAIZES_WINEDLLPATH "${wine_dll_path}")

set(wine_session ${CMAKE_BINARY_DIR}/wine-session)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/windows/wine-session.in ${wine_session}
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
               @ONLY)
# The unit tests run through the session's "test", which runs a program
# again when Wine failed it under load.
set(CMAKE_CROSSCOMPILING_EMULATOR ${wine_session} test)

add_test(NAME wine.start COMMAND ${wine_session} start)
add_test(NAME wine.stop COMMAND ${wine_session} stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 900)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
# The session's "test" itself, once (with the 64-bit programs).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_test(NAME wine.reruns_only_what_wine_failed COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/session_test.sh ${wine_session})
  set_tests_properties(wine.reruns_only_what_wine_failed PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endif()

# Unit tests: one test per program, since every start of a program under
# Wine costs a fraction of a second.
file(GLOB unit_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/unit/*_test.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/windows/*_test.cpp)
foreach(test_source IN LISTS unit_tests)
  get_filename_component(test_name ${test_source} NAME_WE)
  if(test_name IN_LIST RAIZES_POSIX_ONLY_UNIT_TESTS)
    continue()
  endif()
  add_executable(${test_name} ${test_source})
  target_include_directories(${test_name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${test_name} PRIVATE raizes_core ${gtest_libraries} GTest::gtest_main)
  # Under Wine the checkout is reached by its Unix path (drive Z: is /).
  target_compile_definitions(${test_name} PRIVATE RAIZES_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME unit.${test_name} COMMAND ${test_name})
  set_tests_properties(unit.${test_name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600)
endforeach()

# The stand-in command processor of the end-to-end tests.
add_executable(record_command windows/record_command.cpp)

# The check of the mathematical functions that the web program's tests
# record (tests/web/math_bits_check.cpp), built for Windows: run under Wine
# on a record of the web build, it measures the Windows programs' functions
# against the Linux program's (README, Windows).
add_executable(math_bits_check web/math_bits_check.cpp)
target_link_libraries(math_bits_check PRIVATE raizes_runtime)

include(HostEndToEnd.cmake)
raizes_host_end_to_end(
  DEPENDS raizes record_command
  ARGS -DRAIZES_E2E_PROGRAM=$<TARGET_FILE:raizes> -DRAIZES_E2E_RECORDER=$<TARGET_FILE:record_command>
       -DRAIZES_E2E_WINE=${wine_session})

# The editor for real: the report opened by Wine's cmd.exe and notepad.exe.
find_program(RAIZES_XDOTOOL xdotool REQUIRED)
find_program(RAIZES_IMPORT import REQUIRED)
# Wine's 32-bit side here draws no window: the 32-bit program is given the
# 64-bit cmd.exe (the folder sysnative shows a 32-bit program the 64-bit
# system), which starts the 64-bit notepad.exe. The 64-bit program finds
# cmd.exe itself, without COMSPEC.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(viewer_processor [[C:\windows\sysnative\cmd.exe]])
else()
  set(viewer_processor "")
endif()
add_test(NAME viewer.notepad_shows_the_report
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/viewer_e2e.sh ${wine_session} $<TARGET_FILE:raizes>
                 ${CMAKE_BINARY_DIR}/viewer-notepad.png "${viewer_processor}")
set_tests_properties(viewer.notepad_shows_the_report PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
