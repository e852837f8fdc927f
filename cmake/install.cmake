# What `cmake --install` puts under its prefix on Linux: the caller, one
# library holding every layer, the public headers, a CMake package and a
# pkg-config file, and the documents. Consumers see one library and one
# target, ZarnUtils::zarnutils, not the layers the build is made of.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

find_package(SQLite3 REQUIRED)
find_package(Threads REQUIRED)
add_library(zarnutils_library)
foreach(layer zarnutils_automation zarnutils_platform zarnutils_ini zarnutils_registry
              zarnutils_component)
  target_sources(zarnutils_library PRIVATE $<TARGET_OBJECTS:${layer}>)
endforeach()
target_include_directories(zarnutils_library INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_link_libraries(zarnutils_library PUBLIC SQLite::SQLite3 Threads::Threads)
target_compile_features(zarnutils_library INTERFACE cxx_std_17)
set_target_properties(zarnutils_library PROPERTIES
  OUTPUT_NAME zarnutils
  EXPORT_NAME zarnutils
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR})

install(TARGETS zarnutils RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS zarnutils_library EXPORT ZarnUtilsTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/zarnutils
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(zarn_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ZarnUtils)
install(EXPORT ZarnUtilsTargets NAMESPACE ZarnUtils:: DESTINATION ${zarn_package_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZarnUtilsConfig.cmake.in
  ${CMAKE_BINARY_DIR}/package/ZarnUtilsConfig.cmake
  INSTALL_DESTINATION ${zarn_package_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/ZarnUtilsConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/ZarnUtilsConfig.cmake
              ${CMAKE_BINARY_DIR}/package/ZarnUtilsConfigVersion.cmake
  DESTINATION ${zarn_package_dir})

# A static library leaves its dependencies to the consumer's link line; a
# shared one has them recorded in itself.
if(BUILD_SHARED_LIBS)
  set(ZARN_PKG_REQUIRES "Requires.private: sqlite3")
  set(ZARN_PKG_LIBS "-lzarnutils")
else()
  set(ZARN_PKG_REQUIRES "Requires: sqlite3")
  set(ZARN_PKG_LIBS "-lzarnutils -pthread")
endif()
# Relative to the .pc file, so that an install under any --prefix finds itself.
file(RELATIVE_PATH ZARN_PKG_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(${PROJECT_SOURCE_DIR}/cmake/zarnutils.pc.in
  ${CMAKE_BINARY_DIR}/package/zarnutils.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/zarnutils.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zarnutils)
include(${PROJECT_SOURCE_DIR}/cmake/debian-package.cmake)

install(FILES ${PROJECT_SOURCE_DIR}/tools/completion/zarnutils.bash
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME zarnutils)

# The manual page is the program's --help laid out for man, made at build
# time so that the two are always the same text.
set(zarn_manual ${CMAKE_BINARY_DIR}/package/zarnutils.1)
add_custom_command(OUTPUT ${zarn_manual}.gz
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/manual/help-to-man.sh $<TARGET_FILE:zarnutils>
          ${PROJECT_VERSION} > ${zarn_manual}
  COMMAND gzip -9nf ${zarn_manual}
  DEPENDS zarnutils ${PROJECT_SOURCE_DIR}/tools/manual/help-to-man.sh)
add_custom_target(zarnutils_manual ALL DEPENDS ${zarn_manual}.gz)
install(FILES ${zarn_manual}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
