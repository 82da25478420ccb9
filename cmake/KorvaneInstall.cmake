# Install rules and packages: `cmake --install` lays out a normal tree (the
# driver module, the stand-ins of the outside components as libraries of their
# own, the public header, the `korvane` program, pkg-config and CMake package
# files, the Python package, README and licence); CPack turns that tree into a
# .deb on Linux and a ZIP on Windows. Included once, after every target exists.
# The build tree keeps its own layout (every module in build/bin).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KORVANE_PUBLIC_HEADER ${PROJECT_SOURCE_DIR}/ivic/Korvane.h)
set(KORVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Korvane)
set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/korvane)

# The driver module first: it is what clients link and what COM loads.
set(korvane_installed_libraries Korvane KorvaneAFundamental_64 IviSessionServices IviConfigServer)
if(TARGET IviDriverTypeLib)
  list(APPEND korvane_installed_libraries IviDriverTypeLib)
endif()
if(NOT WIN32)
  list(APPEND korvane_installed_libraries korvane_platform)
endif()
# korvane, and on Linux korvane-regsvr, which registers COM servers as
# Windows's own regsvr32 does.
set(korvane_installed_programs)
foreach(program korvane korvane-regsvr)
  if(TARGET ${program} AND NOT (WIN32 AND program STREQUAL "korvane-regsvr"))
    list(APPEND korvane_installed_programs ${program})
  endif()
endforeach()

# Installed modules find each other in their own folder, programs in the
# library folder beside bin/.
if(NOT WIN32)
  file(RELATIVE_PATH korvane_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(${korvane_installed_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
  if(korvane_installed_programs)
    set_target_properties(${korvane_installed_programs} PROPERTIES
      INSTALL_RPATH "$ORIGIN/${korvane_bin_to_lib}")
  endif()
endif()

install(TARGETS ${korvane_installed_libraries} ${korvane_installed_programs}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

if(EXISTS ${KORVANE_PUBLIC_HEADER})
  install(FILES ${KORVANE_PUBLIC_HEADER} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endif()
# For COM clients: the IDL files, the interfaces' header and their identifiers (com/typelib).
install(FILES ${KORVANE_COM_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(TARGET korvane)
  # korvane's trace stylesheet (for the TraceTransform option) and the schema of its JSON.
  install(FILES ${PROJECT_SOURCE_DIR}/tools/korvane/trace.xslt
    ${PROJECT_SOURCE_DIR}/tools/korvane/status.schema.json
    DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane)
endif()

if(WIN32)
  # The GCC runtime DLLs the modules need (stripped), Korvane.lib, the type libraries (also inside
  # the modules, as resources) for clients that import them, and the note on
  # registering the driver.
  include(KorvaneWindowsPackage)
  if(KORVANE_TYPELIB_DIR)
    install(FILES ${KORVANE_TYPELIB_DIR}/Korvane.tlb ${KORVANE_TYPELIB_DIR}/IviDriverTypeLib.tlb
      DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/INSTALL-windows.txt
    DESTINATION . RENAME INSTALL.txt)
else()
  # The Python package, where Debian's python3 looks for it.
  set(korvane_python_dir lib/python3/dist-packages)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/korvane DESTINATION ${korvane_python_dir}
    PATTERN "__pycache__" EXCLUDE)
endif()

# pkg-config: the prefix is found from the .pc file's own place, so the tree
# may be moved (an unpacked package, a staging folder).
file(RELATIVE_PATH korvane_pc_to_prefix
  ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" korvane_pc_to_prefix "${korvane_pc_to_prefix}")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/package/korvane.pc @ONLY CONTENT
[[prefix=${pcfiledir}/@korvane_pc_to_prefix@
libdir=${prefix}/@CMAKE_INSTALL_LIBDIR@
includedir=${prefix}/@CMAKE_INSTALL_INCLUDEDIR@

Name: korvane
Description: IVI driver for the Q7730A PXI Express chassis (IVI-C face)
Version: @PROJECT_VERSION@
Cflags: -I${includedir}
Libs: -L${libdir} -lKorvane
]])
install(FILES ${PROJECT_BINARY_DIR}/package/korvane.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# CMake package: find_package(Korvane) gives the imported target
# Korvane::Korvane (the driver module and the header folder).
if(WIN32)
  set(korvane_module_property
    "IMPORTED_LOCATION \"\${_korvane_prefix}/${CMAKE_INSTALL_BINDIR}/Korvane.dll\"
    IMPORTED_IMPLIB \"\${_korvane_prefix}/${CMAKE_INSTALL_LIBDIR}/libKorvane.dll.a\"")
else()
  set(korvane_module_property
    "IMPORTED_LOCATION \"\${_korvane_prefix}/${CMAKE_INSTALL_LIBDIR}/libKorvane.so\"
    IMPORTED_SONAME libKorvane.so")
endif()
set(korvane_include_property)
if(EXISTS ${KORVANE_PUBLIC_HEADER})
  set(korvane_include_property
    "\n    INTERFACE_INCLUDE_DIRECTORIES \"\${_korvane_prefix}/${CMAKE_INSTALL_INCLUDEDIR}\"")
endif()
file(RELATIVE_PATH korvane_cmake_to_prefix
  ${CMAKE_INSTALL_PREFIX}/${KORVANE_CMAKE_DIR} ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" korvane_cmake_to_prefix "${korvane_cmake_to_prefix}")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/package/KorvaneConfig.cmake @ONLY CONTENT
[[# Korvane::Korvane: the driver module with its IVI-C face (Korvane.h).
get_filename_component(_korvane_prefix "${CMAKE_CURRENT_LIST_DIR}/@korvane_cmake_to_prefix@"
  ABSOLUTE)
if(NOT TARGET Korvane::Korvane)
  add_library(Korvane::Korvane SHARED IMPORTED)
  set_target_properties(Korvane::Korvane PROPERTIES
    @korvane_module_property@@korvane_include_property@)
endif()
unset(_korvane_prefix)
]])
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/KorvaneConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/KorvaneConfig.cmake
  ${PROJECT_BINARY_DIR}/package/KorvaneConfigVersion.cmake
  DESTINATION ${KORVANE_CMAKE_DIR})

# Packages: `cpack` in the build folder.
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VENDOR "The Korvane developers")
set(CPACK_PACKAGE_CONTACT "The Korvane developers <korvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "IVI driver for the Q7730A 18-slot PXI Express chassis")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS python3)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(KORVANE_PYTHON_PACKAGE_PATH /usr/${korvane_python_dir}/korvane)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/prerm.in ${PROJECT_BINARY_DIR}/package/prerm
    @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
  # CPack adds the scripts that refresh the dynamic linker's cache.
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/package/prerm)
endif()
include(CPack)
