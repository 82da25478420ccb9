# Install rules and packages: `cmake --install` lays out a normal tree (the
# driver module, the stand-ins of the outside components as libraries of their
# own, the public header, the `korvane` program, pkg-config and CMake package
# files, the Python package, README, licence, examples and reference);
# tools/make_debs.sh turns its components into Debian packages, CPack turns it
# into a ZIP on Windows. Included once, after every target exists.
# The build tree keeps its own layout (every module in build/bin).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KORVANE_PUBLIC_HEADER ${PROJECT_SOURCE_DIR}/ivic/Korvane.h)
set(KORVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Korvane)
set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/korvane)
# Every file belongs to one of four components, the four Debian packages
# (tools/make_debs.sh): runtime (the driver module and its private folder),
# dev (what a client builds with), programs (korvane and what it reads) and
# python. A rule that names none lands in dev (the top CMakeLists.txt), and
# tools/make_debs.sh refuses a component that is in no package.

# The driver module first: it is what clients link and what COM loads. On
# Linux it is the one public library, libKorvane.so.0; the platform layer and
# the stand-ins of the outside components are the driver's private libraries,
# in lib/korvane, found through the run path (the real components, installed
# by their makers under these names, replace the stand-ins).
set(korvane_private_libraries KorvaneAFundamental_64 IviSessionServices IviConfigServer)
if(TARGET IviDriverTypeLib)
  list(APPEND korvane_private_libraries IviDriverTypeLib)
endif()
if(NOT WIN32)
  list(APPEND korvane_private_libraries korvane_platform)
  set_target_properties(Korvane PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
endif()
set(korvane_private_dir ${CMAKE_INSTALL_LIBDIR}/korvane)
# korvane, and on Linux korvane-regsvr, which registers COM servers as
# Windows's own regsvr32 does.
set(korvane_installed_programs)
foreach(program korvane korvane-regsvr)
  if(TARGET ${program} AND NOT (WIN32 AND program STREQUAL "korvane-regsvr"))
    list(APPEND korvane_installed_programs ${program})
  endif()
endforeach()

# Installed modules find the private ones through their run path, relative
# to their own place, so that an unpacked tree may be moved.
if(NOT WIN32)
  file(RELATIVE_PATH korvane_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(Korvane PROPERTIES INSTALL_RPATH "$ORIGIN/korvane")
  set_target_properties(${korvane_private_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
  if(korvane_installed_programs)
    set_target_properties(${korvane_installed_programs} PROPERTIES
      INSTALL_RPATH "$ORIGIN/${korvane_bin_to_lib}/korvane:$ORIGIN/${korvane_bin_to_lib}")
  endif()
endif()

install(TARGETS Korvane
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
if(WIN32)
  install(TARGETS ${korvane_private_libraries} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT runtime)
else()
  install(TARGETS ${korvane_private_libraries} LIBRARY DESTINATION ${korvane_private_dir}
    COMPONENT runtime NAMELINK_SKIP)
endif()
if(korvane_installed_programs)
  install(TARGETS ${korvane_installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT programs)
endif()

if(EXISTS ${KORVANE_PUBLIC_HEADER})
  install(FILES ${KORVANE_PUBLIC_HEADER} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
endif()
# The examples and the reference of the C face, for client developers: on
# Linux in the documentation folder of the development package.
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
    DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
  set(korvane_dev_docdir ${CMAKE_INSTALL_DOCDIR})
else()
  # The licence is in each package's copyright file.
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
    COMPONENT programs)
  set(korvane_dev_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/libkorvane-dev)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${korvane_dev_docdir}/examples
  COMPONENT dev)
install(FILES ${PROJECT_SOURCE_DIR}/docs/reference.md DESTINATION ${korvane_dev_docdir}
  COMPONENT dev)
# For COM clients: the IDL files, the interfaces' header and their identifiers (com/typelib).
install(FILES ${KORVANE_COM_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
if(TARGET korvane)
  # korvane's trace stylesheet (for the TraceTransform option) and the schema of its JSON.
  install(FILES ${PROJECT_SOURCE_DIR}/tools/korvane/trace.xslt
    ${PROJECT_SOURCE_DIR}/tools/korvane/status.schema.json
    DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane COMPONENT programs)
  # Monitoring: Prometheus alert rules, a Grafana dashboard and systemd units
  # for `korvane serve` and the textfile mode.
  set(korvane_monitoring ${PROJECT_SOURCE_DIR}/tools/korvane/monitoring)
  install(FILES ${korvane_monitoring}/korvane-alerts.yml ${korvane_monitoring}/korvane-dashboard.json
    DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane COMPONENT programs)
  if(NOT WIN32)
    install(FILES ${korvane_monitoring}/korvane-exporter.service
      ${korvane_monitoring}/korvane-textfile.service ${korvane_monitoring}/korvane-textfile.timer
      DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane/systemd COMPONENT programs)
  endif()
endif()

if(TARGET korvane_cli_docs)
  install(FILES ${KORVANE_MANUAL_PAGE} ${PROJECT_SOURCE_DIR}/tools/korvane-regsvr.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programs)
  install(FILES ${KORVANE_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
    RENAME korvane COMPONENT programs)
endif()

if(WIN32)
  # The GCC runtime DLLs the modules need (stripped), Korvane.lib, the type libraries (also inside
  # the modules, as resources) for clients that import them, and the note on
  # registering the driver.
  include(KorvaneWindowsPackage)
  if(KORVANE_TYPELIB_DIR)
    install(FILES ${KORVANE_TYPELIB_DIR}/Korvane.tlb ${KORVANE_TYPELIB_DIR}/IviDriverTypeLib.tlb
      DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/INSTALL-windows.txt
    DESTINATION . RENAME INSTALL.txt COMPONENT runtime)
else()
  # The Python package, where Debian's python3 looks for it.
  set(korvane_python_dir lib/python3/dist-packages)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/korvane DESTINATION ${korvane_python_dir}
    COMPONENT python PATTERN "__pycache__" EXCLUDE)
endif()

# pkg-config. On Windows the prefix is found from the .pc file's own place,
# so the unpacked ZIP may go anywhere; on Linux the file names the prefix it
# is installed to (written when installing), so its flags are plain
# -I${includedir} and -L${libdir}.
if(WIN32)
  file(RELATIVE_PATH korvane_pc_to_prefix
    ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
  string(REGEX REPLACE "/$" "" korvane_pc_to_prefix "${korvane_pc_to_prefix}")
  set(korvane_pc_prefix "\${pcfiledir}/${korvane_pc_to_prefix}")
else()
  set(korvane_pc_prefix "@KORVANE_INSTALLED_PREFIX@")
endif()
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/package/korvane.pc.in @ONLY CONTENT
[[prefix=@korvane_pc_prefix@
libdir=${prefix}/@CMAKE_INSTALL_LIBDIR@
includedir=${prefix}/@CMAKE_INSTALL_INCLUDEDIR@

Name: korvane
Description: IVI driver for the Q7730A PXI Express chassis (IVI-C face)
Version: @PROJECT_VERSION@
Cflags: -I${includedir}
Libs: -L${libdir} -lKorvane
]])
install(CODE "set(KORVANE_INSTALLED_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${PROJECT_BINARY_DIR}/package/korvane.pc.in\"
    \"${PROJECT_BINARY_DIR}/package/korvane.pc\" @ONLY)" COMPONENT dev)
install(FILES ${PROJECT_BINARY_DIR}/package/korvane.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# CMake package: find_package(Korvane) gives the imported target
# Korvane::Korvane (the driver module and the header folder).
if(WIN32)
  set(korvane_module_property
    "IMPORTED_LOCATION \"\${_korvane_prefix}/${CMAKE_INSTALL_BINDIR}/Korvane.dll\"
    IMPORTED_IMPLIB \"\${_korvane_prefix}/${CMAKE_INSTALL_LIBDIR}/libKorvane.dll.a\"")
else()
  set(korvane_module_property
    "IMPORTED_LOCATION \"\${_korvane_prefix}/${CMAKE_INSTALL_LIBDIR}/libKorvane.so\"
    IMPORTED_SONAME libKorvane.so.${PROJECT_VERSION_MAJOR}")
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

# The Windows ZIP: `cpack` in the build folder. The Debian packages are made
# from the install tree's components by tools/make_debs.sh.
if(WIN32)
  set(CPACK_PACKAGE_NAME korvane)
  set(CPACK_PACKAGE_VENDOR "The Korvane developers")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "IVI driver for the Q7730A 18-slot PXI Express chassis")
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
  set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  include(CPack)
endif()
