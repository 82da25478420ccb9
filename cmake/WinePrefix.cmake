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
  execute_process(COMMAND ${WINE} wineboot -i
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 240)
  if(NOT result EQUAL 0 OR NOT EXISTS ${PREFIX}/system.reg)
    message(FATAL_ERROR "wineboot -i failed (${result}) for ${PREFIX}:\n${output}")
  endif()
  message(STATUS "Wine prefix ready: ${PREFIX}")
elseif(NOT ACTION STREQUAL "cleanup")
  message(FATAL_ERROR "WinePrefix.cmake: ACTION must be setup or cleanup, not '${ACTION}'")
endif()
