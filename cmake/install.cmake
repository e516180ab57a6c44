# Installation, the exported CMake package and the Debian package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS noc_soc_lib EXPORT noc_soc_targets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS noc_soc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# nocgen is exported too: noc_soc_generate() of the package runs it at build time.
install(TARGETS nocgen EXPORT noc_soc_targets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY src/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/noc_soc
        FILES_MATCHING PATTERN "*.h")
install(FILES ${NOC_SCHEMA_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/noc_soc)

set(NOC_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/noc_soc)
install(EXPORT noc_soc_targets NAMESPACE noc_soc:: DESTINATION ${NOC_CMAKE_DIR})
configure_package_config_file(cmake/noc_socConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/noc_socConfig.cmake
                              INSTALL_DESTINATION ${NOC_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/noc_socConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/noc_socConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/noc_socConfigVersion.cmake
        DESTINATION ${NOC_CMAKE_DIR})

if(TARGET noc_soc_python)
  # The interpreter's own package directory, relative to the install prefix: Debian's
  # lib/python3/dist-packages, elsewhere lib/pythonX.Y/site-packages.
  execute_process(
    COMMAND ${Python_EXECUTABLE} -c
            "import sysconfig as s; n = 'deb_system' if 'deb_system' in s.get_scheme_names() else 'posix_prefix'; print(s.get_path('platlib', n, vars={'platbase': '', 'base': ''}).lstrip('/'))"
    OUTPUT_VARIABLE NOC_PYTHON_DIR_DEFAULT OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(NOC_PYTHON_INSTALL_DIR ${NOC_PYTHON_DIR_DEFAULT} CACHE STRING
      "Where the Python module goes, relative to the install prefix")
  install(TARGETS noc_soc_python LIBRARY DESTINATION ${NOC_PYTHON_INSTALL_DIR})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME noc-soc)
set(CPACK_PACKAGE_CONTACT "noc_soc developers <noc-soc@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Generator of the top-level SystemVerilog of a NoC SoC")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
