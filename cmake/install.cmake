# Installation, the exported CMake package and the Debian package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS noc_soc_lib EXPORT noc_soc_targets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The direct-start program noc_soc is not installed: it generates the bundled example in a
# directory fixed when it is built, which is this source tree. The example itself is installed
# for users to copy; nocgen generate is the installed way to generate a design.
install(DIRECTORY examples/mesh_2x2 DESTINATION ${CMAKE_INSTALL_DATADIR}/noc_soc/examples
        PATTERN "noc_soc.sv" EXCLUDE PATTERN "noc_soc.sv.tmp.*" EXCLUDE)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/noc_soc)
install(FILES packaging/nocgen.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME nocgen)
# nocgen is exported too: noc_soc_generate() of the package runs it at build time.
install(TARGETS nocgen EXPORT noc_soc_targets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Only the public interface is installed, under include/noc_soc/, and included as
# <noc_soc/app/soc_generator.h>: the operation, its options and summary, the diagnostics and the
# error type.
foreach(header app/soc_generator.h model/diagnostics.h common/error.h rtl/rtl_options.h)
  get_filename_component(header_dir ${header} DIRECTORY)
  install(FILES src/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/noc_soc/${header_dir})
endforeach()
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

# The manual page of nocgen, made from its own help by help2man when that is installed.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(NOC_MAN_PAGE ${CMAKE_CURRENT_BINARY_DIR}/nocgen.1.gz)
  set(NOC_MAN_SECTIONS ${CMAKE_CURRENT_BINARY_DIR}/nocgen_sections.h2m)
  add_custom_command(
    OUTPUT ${NOC_MAN_PAGE}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/packaging/man_sections.sh $<TARGET_FILE:nocgen>
            ${NOC_MAN_SECTIONS}
    COMMAND ${HELP2MAN} --no-info --section=1 --include=${NOC_MAN_SECTIONS}
            "--name=write and inspect the top-level SystemVerilog of a network-on-chip SoC"
            --output=${CMAKE_CURRENT_BINARY_DIR}/nocgen.1 $<TARGET_FILE:nocgen>
    COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/nocgen.1
    DEPENDS nocgen ${CMAKE_CURRENT_SOURCE_DIR}/packaging/man_sections.sh
    VERBATIM)
  add_custom_target(nocgen_man_page ALL DEPENDS ${NOC_MAN_PAGE})
  install(FILES ${NOC_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# Debian wants a compressed changelog and a copyright file among the package's documents.
set(NOC_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${NOC_CHANGELOG}
  COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog > ${NOC_CHANGELOG}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog)
add_custom_target(noc_changelog ALL DEPENDS ${NOC_CHANGELOG})
install(FILES ${NOC_CHANGELOG} packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/noc-soc)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME noc-soc)
set(CPACK_PACKAGE_CONTACT "noc_soc developers <maintainers@noc-soc.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "generator of the top-level SystemVerilog of a NoC SoC")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "noc_soc reads a JSON description of a network-on-chip (routers, the compute\n"
    "tiles attached to them and the links between routers) and the SystemVerilog\n"
    "sources of the router and the tiles, and writes noc_soc.sv, whose module\n"
    "noc_top declares every wire, instantiates every tile and router and connects\n"
    "every port. It ships the nocgen command, a Python module, a C++ library with\n"
    "its CMake package, and a bundled example.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3 (>= 3.11)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "graphviz, verilator")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
