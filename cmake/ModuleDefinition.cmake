# cmake -DIN=<linker's .def> -DOUT=<shipped .def> -P ModuleDefinition.cmake
# The module definition that ships beside the import libraries, from the one the linker writes
# (ld --output-def): the library's name and every export by name, the COM entry points marked
# PRIVATE (clients reach them through COM, never by import); without the linker's base address
# and ordinals, which Microsoft's tools and llvm-dlltool do not take.
file(STRINGS ${IN} lines)
set(text "")
foreach(line IN LISTS lines)
  if(line MATCHES "^LIBRARY \"?([^\" ]+)\"?")
    string(APPEND text "LIBRARY ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^EXPORTS")
    string(APPEND text "EXPORTS\n")
  elseif(line MATCHES "^[ \t]+([A-Za-z_][A-Za-z0-9_@]*)[ \t]+@[0-9]+( PRIVATE)?")
    string(APPEND text "    ${CMAKE_MATCH_1}${CMAKE_MATCH_2}\n")
  endif()
endforeach()
file(WRITE ${OUT} "${text}")
