# cpack -G DEB from the native build tree: one package per install
# component, as Debian splits a library (all under /usr):
#   zarnutils         the program, its manual and completion (component
#                     "program"); it carries its own copy of the library
#   libzarnutils1     the shared library, named by its soname ("library")
#   libzarnutils-dev  headers, the libzarnutils.so link, the static library
#                     without debug information, the CMake package and the
#                     pkg-config file ("development")
# The program and the shared library depend on what dpkg-shlibdeps finds
# (libsqlite3-0 among them). The machine store's folder is made by the
# program package's postinst script rather than by the install rules, so
# that an install into any other prefix never touches /var.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL program library development)
set(CPACK_PACKAGE_NAME zarnutils)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "the ZarnUtils authors <zarnutils@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(zarn_about "ZarnUtils reads, writes, lists and deletes registry keys and values
and INI file entries through the classes Regedit and IniEdit, over a
registry store on SQLite.")

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME zarnutils)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/cmake/debian/postinst ${PROJECT_SOURCE_DIR}/cmake/debian/postrm)
set(CPACK_COMPONENT_PROGRAM_DESCRIPTION "registry and INI editing from the command line
${zarn_about} The zarnutils command calls their
methods and offers reg and ini verbs for shell scripts.")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libzarnutils${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SHLIBDEPS ON)
# A shlibs file (only this package holds a shared library), and the
# ldconfig trigger Debian wants instead of ldconfig calls. cpack writes such
# calls into the postinst and postrm of a package holding a shared library
# unless the package brings its own, so it brings two that leave the work
# to the trigger (lintian's one warning, maintainer-script-empty, is that).
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/library/triggers
  ${PROJECT_SOURCE_DIR}/cmake/debian/library/postinst
  ${PROJECT_SOURCE_DIR}/cmake/debian/library/postrm)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION "registry and INI editing classes (shared library)
${zarn_about} This package holds the shared library.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libzarnutils-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
  "libzarnutils${PROJECT_VERSION_MAJOR} (= ${PROJECT_VERSION}), libsqlite3-dev, libhivex-dev")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "registry and INI editing classes (development files)
${zarn_about} This package holds the headers, the static library, a
CMake package (find_package(ZarnUtils)) and a pkg-config file.")

# Debian wants its copyright file and a compressed changelog in each
# package's documentation folder; changelog.gz, as the version has no Debian
# revision.
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog
  ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/package/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/package/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/package/changelog.gz)
foreach(component program library development)
  string(TOUPPER ${component} zarn_component)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
                ${CMAKE_BINARY_DIR}/package/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${zarn_component}_PACKAGE_NAME}
    COMPONENT ${component})
endforeach()
include(CPack)
