# Creates (ACTION=setup) or removes (ACTION=cleanup) the Wine prefix in which
# the Windows test programs run. Run by CTest as the fixture "WinePrefix":
#   cmake -DACTION=setup -DWINE=<wine64> -DWINESERVER=<wineserver> -DPREFIX=<dir> -P WinePrefix.cmake
foreach(var ACTION WINE WINESERVER PREFIX)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "WinePrefix.cmake needs -D${var}=...")
  endif()
endforeach()

set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
set(ENV{WINELOADER} ${WINE})
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})

# Whatever a previous run left behind goes first: its server, then its files.
if(EXISTS ${PREFIX})
  execute_process(COMMAND ${WINESERVER} -k OUTPUT_QUIET ERROR_QUIET TIMEOUT 60)
  file(REMOVE_RECURSE ${PREFIX})
endif()

if(ACTION STREQUAL "setup")
  # A server that outlives each test program keeps Wine's own services
  # running between tests (starting them costs seconds per program). It ends
  # by itself a minute after the last program, should cleanup never run.
  file(MAKE_DIRECTORY ${PREFIX})
  # (Files, not pipes: the server stays and would hold a pipe open.)
  execute_process(COMMAND ${WINESERVER} -p60 RESULT_VARIABLE result
                  INPUT_FILE /dev/null OUTPUT_FILE /dev/null ERROR_FILE /dev/null TIMEOUT 60)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "wineserver -p60 failed (${result}) for ${PREFIX}")
  endif()
  # Plain wineboot: Wine initializes a new prefix by itself before running it,
  # and an explicit -i on top starts a second service manager, under which
  # Wine's RPC service (needed by COM's out-of-process activation) never runs.
  set(log ${PREFIX}.wineboot.log)
  execute_process(COMMAND ${WINE} wineboot RESULT_VARIABLE result
                  INPUT_FILE /dev/null OUTPUT_FILE ${log} ERROR_FILE ${log} TIMEOUT 240)
  if(NOT result EQUAL 0 OR NOT IS_DIRECTORY ${PREFIX}/drive_c/windows/system32)
    file(READ ${log} output)
    message(FATAL_ERROR "wineboot failed (${result}) for ${PREFIX}:\n${output}")
  endif()
  message(STATUS "Wine prefix ready: ${PREFIX}")
elseif(NOT ACTION STREQUAL "cleanup")
  message(FATAL_ERROR "WinePrefix.cmake: ACTION must be setup or cleanup, not '${ACTION}'")
endif()
