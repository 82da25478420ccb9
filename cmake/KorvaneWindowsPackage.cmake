# What the Windows packages add to the install tree, and the MSI. Included by KorvaneInstall on
# the Windows build.
#
# The GCC runtime DLLs are shipped stripped of their symbols (libstdc++ from about 24 MB to 2).
# `cmake --build <build> --target msi` makes package/korvane-<version>-win64.msi with wixl
# from cmake/korvane.wxs, out of a stripped install of the build, with the COM registration
# rows typelib_idl writes (typelib/registry.wxi).
set(korvane_stripped_runtime ${PROJECT_BINARY_DIR}/runtime)
set(korvane_runtime_files)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  add_custom_command(
    OUTPUT ${korvane_stripped_runtime}/${dll}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${korvane_stripped_runtime}
    COMMAND ${CMAKE_STRIP} --strip-all -o ${korvane_stripped_runtime}/${dll}
            ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${dll}
    DEPENDS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${dll}
    COMMENT "Stripping ${dll} for the packages")
  list(APPEND korvane_runtime_files ${korvane_stripped_runtime}/${dll})
endforeach()
add_custom_target(korvane_runtime_stripped ALL DEPENDS ${korvane_runtime_files})
install(FILES ${korvane_runtime_files} DESTINATION ${CMAKE_INSTALL_BINDIR})

# Microsoft's import library and the module definition it was made from.
install(FILES ${KORVANE_MSVC_IMPLIB} ${KORVANE_MODULE_DEF} DESTINATION ${CMAKE_INSTALL_LIBDIR})

find_program(KORVANE_WIXL NAMES wixl)
if(KORVANE_WIXL)
  set(korvane_msi ${PROJECT_BINARY_DIR}/package/korvane-${PROJECT_VERSION}-win64.msi)
  # wixl takes the files' places relative to its working folder.
  set(korvane_msi_stage ${PROJECT_BINARY_DIR}/msi-stage)
  file(MAKE_DIRECTORY ${korvane_msi_stage})
  add_custom_target(msi
    COMMAND ${CMAKE_COMMAND} -E rm -rf tree
    COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${korvane_msi_stage}/tree
            --strip
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/examples tree/examples
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
    COMMAND ${KORVANE_WIXL} -a x64 -D Version=${PROJECT_VERSION} -I ${KORVANE_TYPELIB_DIR}
            -o ${korvane_msi} ${PROJECT_SOURCE_DIR}/cmake/korvane.wxs
    WORKING_DIRECTORY ${korvane_msi_stage}
    COMMENT "Making ${korvane_msi}"
    VERBATIM)
  add_dependencies(msi ${korvane_installed_libraries} ${korvane_installed_programs}
                   korvane_runtime_stripped korvane_typelibs)
endif()
