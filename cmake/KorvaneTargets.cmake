# Helpers shared by every folder's CMakeLists.

if(MINGW)
  include(MinGWRuntime)
endif()

# korvane_library(<name> <SHARED|STATIC> SOURCES ... [LIBS ...])
# A library of this code base: warnings on, the repository root on the
# include path (headers are included as "platform/...", "diag/..." and so on).
function(korvane_library name kind)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} ${kind} ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
  if(WIN32 AND kind STREQUAL "SHARED")
    # Windows modules carry no "lib" prefix.
    set_target_properties(${name} PROPERTIES PREFIX "")
  endif()
endfunction()
include(ModuleResources)
