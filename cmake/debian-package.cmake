# cpack -G DEB from the native build tree: the installed tree under /usr,
# with the dependencies dpkg-shlibdeps finds (libsqlite3-0 among them). The
# machine store's folder is made by the package's postinst script rather than
# by the install rules, so that an install into any other prefix never
# touches /var.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarnutils)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "the ZarnUtils authors <zarnutils@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "registry and INI editing classes and command-line caller")
set(CPACK_PACKAGE_DESCRIPTION "ZarnUtils reads, writes, lists and deletes registry keys and values
and INI file entries through the classes Regedit and IniEdit, over a
registry store on SQLite. The zarnutils command calls their methods and
offers reg and ini verbs for shell scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/cmake/debian/postinst ${PROJECT_SOURCE_DIR}/cmake/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)

# Debian wants its copyright file and a compressed changelog in the
# package's documentation folder; changelog.gz, as the version has no Debian
# revision.
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog
  ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/package/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/package/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/package/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
              ${CMAKE_BINARY_DIR}/package/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zarnutils)
include(CPack)
