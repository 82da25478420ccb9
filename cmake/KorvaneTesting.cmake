# korvane_test(<name> [THREADS] SOURCES ... [LIBS ...] [ENV VAR=value ...])
# One GoogleTest executable, registered with CTest as one test with a time
# limit (KORVANE_TEST_TIMEOUT seconds). THREADS labels a suite that runs
# threads of its own ("threads"): the test command runs those under
# ThreadSanitizer. ENV entries become the test's
# environment; tests that need more may also set the ENVIRONMENT property.
#
# On the Windows build CTest runs each test program through the
# cross-compiling emulator (Wine, see cmake/mingw-w64-x86_64.cmake), one after
# the other, inside a Wine prefix that the fixture "WinePrefix" creates fresh
# for every CTest run and removes afterwards.
set(KORVANE_TEST_TIMEOUT 300 CACHE STRING "Time limit of one test program, in seconds")

if(CMAKE_CROSSCOMPILING)
  # Debian ships GoogleTest as source; build it with the cross compiler. It is
  # outside code: our warning options do not apply to it and its headers are
  # system headers to our tests.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  if(CMAKE_VERSION VERSION_GREATER_EQUAL 3.25)
    set(korvane_gtest_system SYSTEM)
  endif()
  get_directory_property(korvane_own_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL
                   ${korvane_gtest_system})
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${korvane_own_options}")
  if(NOT TARGET GTest::gtest)  # older GoogleTest releases define no namespaced names
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

if(CMAKE_CROSSCOMPILING_EMULATOR)
  list(GET CMAKE_CROSSCOMPILING_EMULATOR 0 korvane_wine)
  get_filename_component(korvane_wine_dir ${korvane_wine} DIRECTORY)
  find_program(KORVANE_WINESERVER NAMES wineserver64 wineserver HINTS ${korvane_wine_dir} REQUIRED)
  set(KORVANE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  # Wine quiet and without a display; no downloads of the .NET and HTML
  # engines; child processes started with the same 64-bit loader.
  set(KORVANE_WINE_ENVIRONMENT
      WINEPREFIX=set:${KORVANE_WINE_PREFIX}
      WINEDEBUG=set:-all
      WINEDLLOVERRIDES=set:mscoree,mshtml=
      WINELOADER=set:${korvane_wine}
      DISPLAY=unset:
      WAYLAND_DISPLAY=unset:)
  foreach(action setup cleanup)
    add_test(NAME wine_prefix_${action}
             COMMAND ${CMAKE_COMMAND} -DACTION=${action} -DWINE=${korvane_wine}
                     -DWINESERVER=${KORVANE_WINESERVER} -DPREFIX=${KORVANE_WINE_PREFIX}
                     -P ${CMAKE_CURRENT_LIST_DIR}/WinePrefix.cmake)
    set_tests_properties(wine_prefix_${action} PROPERTIES TIMEOUT ${KORVANE_TEST_TIMEOUT})
  endforeach()
  set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP WinePrefix)
  set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP WinePrefix)
endif()

# Every test runs with the virtual chassis switched on (serving PXI0::0::INSTR)
# and a runtime folder of its own, where the virtual chassis keeps its state
# between processes, so that what one test leaves there never reaches another.
# The fixture "RuntimeFolders" empties those folders before each CTest run.
set(KORVANE_TEST_RUNTIME ${CMAKE_BINARY_DIR}/test-runtime)
add_test(NAME test_runtime_setup COMMAND ${CMAKE_COMMAND} -E rm -rf ${KORVANE_TEST_RUNTIME})
set_tests_properties(test_runtime_setup PROPERTIES FIXTURES_SETUP RuntimeFolders)

# korvane_test_environment(<test>): gives a registered test that environment;
# the test's own ENVIRONMENT entries, set before this call, take precedence.
function(korvane_test_environment name)
  set(folder ${KORVANE_TEST_RUNTIME}/${name})
  # (Under Wine the state lives in the prefix's own profile folder, which Wine
  # sets itself; the programs run there one at a time, in a prefix made afresh
  # for each CTest run.)
  set(environment KORVANE_VIRTUAL_CHASSIS=1 XDG_RUNTIME_DIR=${folder})
  get_test_property(${name} ENVIRONMENT own)
  if(own)
    list(APPEND environment ${own})
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED RuntimeFolders)
endfunction()

function(korvane_test name)
  cmake_parse_arguments(ARG "THREADS" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} korvane_test_support GTest::gtest_main GTest::gtest)
  korvane_add_test(${name} ENV ${ARG_ENV})
  if(ARG_THREADS)
    set_tests_properties(${name} PROPERTIES LABELS threads)
  endif()
endfunction()

# korvane_add_test(<program target> [ENV VAR=value ...])
# Registers a test program that is not a GoogleTest suite (a C client, for one) the same way.
function(korvane_add_test name)
  cmake_parse_arguments(ARG "" "" "ENV" ${ARGN})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${KORVANE_TEST_TIMEOUT})
  if(ARG_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENV}")
  endif()
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    # One at a time: the programs share the prefix's registry, where tests
    # register and remove classes.
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED WinePrefix RESOURCE_LOCK WinePrefix
                         ENVIRONMENT_MODIFICATION "${KORVANE_WINE_ENVIRONMENT}")
  endif()
  korvane_test_environment(${name})
endfunction()
