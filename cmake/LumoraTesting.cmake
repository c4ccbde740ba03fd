# GoogleTest from the distribution's sources, built inside this tree so that the MinGW builds
# get it too.
set(LUMORA_GOOGLETEST_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${LUMORA_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# The Wine session that the Windows builds' tests share (tests/wine/session.sh).
set(LUMORA_WINE_SESSION ${CMAKE_BINARY_DIR}/wine-session)

add_executable(lumora_unit_tests)
target_link_libraries(lumora_unit_tests PRIVATE lumora_core GTest::gtest_main)

# Adds unit-test sources that sit beside the code they test.
function(lumora_add_unit_tests)
  target_sources(lumora_unit_tests PRIVATE ${ARGN})
endfunction()

# Registers a GoogleTest program with CTest. Natively each test case becomes a CTest test; a
# Windows program runs whole under Wine through tests/wine/run.sh, which reports it skipped (exit
# code 77) where Wine, or Wine for that architecture, cannot run.
# With NO_DISPLAY the program runs without the session's display, for programs whose message
# boxes nobody reads (Wine's MessageBoxW then returns at once).
function(lumora_register_gtest target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "NO_DISPLAY" "" "")
  if(CMAKE_CROSSCOMPILING)
    set(environment "LUMORA_WINE_SESSION=${LUMORA_WINE_SESSION}")
    if(arg_NO_DISPLAY)
      list(APPEND environment "LUMORA_WINE_NO_DISPLAY=1")
    endif()
    add_test(NAME ${target} COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${target}>)
    # One Wine prefix serves the whole run, registry included: its programs run one at a time.
    set_tests_properties(${target} PROPERTIES SKIP_RETURN_CODE 77
                         FIXTURES_REQUIRED wine_session LABELS wine RESOURCE_LOCK wine_prefix
                         ENVIRONMENT "${environment}")
  else()
    # No test opens a dialog on the developer's display: message boxes go to standard error.
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "DISPLAY=;WAYLAND_DISPLAY=")
  endif()
endfunction()
