# What `cmake --install` puts under its prefix on Linux, in the three parts
# Debian splits it into (cmake/debian-package.cmake makes a package of
# each): the program with its manual and completion (component "program"),
# the shared library (component "library"), and what a developer builds
# against (component "development"): the public headers, the static
# library, a CMake package and a pkg-config file. Consumers see one library,
# not the layers the build is made of: ZarnUtils::zarnutils, the shared
# one, which pkg-config links too, or ZarnUtils::zarnutils_static.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
# Libraries go where Debian's own packages keep them, the multiarch folder
# (lib/x86_64-linux-gnu), in which the cross-compiling pkg-config looks too;
# GNUInstallDirs picks it only for the prefix /usr. A folder chosen with
# -DCMAKE_INSTALL_LIBDIR stays as chosen.
if(CMAKE_LIBRARY_ARCHITECTURE AND CMAKE_INSTALL_LIBDIR STREQUAL "lib")
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE})
endif()

find_package(SQLite3 REQUIRED)
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(HIVEX REQUIRED IMPORTED_TARGET hivex)
add_library(zarnutils_library SHARED)
add_library(zarnutils_static_library STATIC)
foreach(library zarnutils_library zarnutils_static_library)
  foreach(layer zarnutils_automation zarnutils_platform zarnutils_ini zarnutils_registry
                zarnutils_registry_api zarnutils_registry_object zarnutils_ini_api
                zarnutils_component)
    target_sources(${library} PRIVATE $<TARGET_OBJECTS:${layer}>)
  endforeach()
  target_include_directories(${library} INTERFACE
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_features(${library} INTERFACE cxx_std_17)
  set_target_properties(${library} PROPERTIES
    OUTPUT_NAME zarnutils
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
endforeach()
# The shared library has its dependencies recorded in itself; the static one
# leaves them to the consumer's link line (libhivex by its name, which
# Debian's libhivex-dev puts where the linker looks).
target_link_libraries(zarnutils_library PRIVATE SQLite::SQLite3 Threads::Threads PkgConfig::HIVEX)
target_link_libraries(zarnutils_static_library PUBLIC SQLite::SQLite3 Threads::Threads hivex)
# The soname follows the major version: it changes exactly when a public
# declaration changes in a way that breaks programs built against the
# previous one. Only the public API is exported (zarnutils.map).
set_target_properties(zarnutils_library PROPERTIES
  EXPORT_NAME zarnutils
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/zarnutils.map)
target_link_options(zarnutils_library PRIVATE
  -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/zarnutils.map)
set_target_properties(zarnutils_static_library PROPERTIES EXPORT_NAME zarnutils_static)

install(TARGETS zarnutils RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(TARGETS zarnutils_library EXPORT ZarnUtilsTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library
          NAMELINK_COMPONENT development)
install(TARGETS zarnutils_static_library EXPORT ZarnUtilsTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
# Stripping (cpack, or `cmake --install --strip`) leaves a static library's
# debug information in place, over 20 MB of it: remove it here, keeping the
# symbols a link needs.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND ${CMAKE_STRIP} --strip-debug
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:zarnutils_static_library>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()" COMPONENT development)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/zarnutils
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

set(zarn_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ZarnUtils)
install(EXPORT ZarnUtilsTargets NAMESPACE ZarnUtils:: DESTINATION ${zarn_package_dir}
  COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZarnUtilsConfig.cmake.in
  ${CMAKE_BINARY_DIR}/package/ZarnUtilsConfig.cmake
  INSTALL_DESTINATION ${zarn_package_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/ZarnUtilsConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/ZarnUtilsConfig.cmake
              ${CMAKE_BINARY_DIR}/package/ZarnUtilsConfigVersion.cmake
  DESTINATION ${zarn_package_dir} COMPONENT development)

# The prefix is written at install time, when `cmake --install --prefix`
# has settled it, as the plain absolute path: pkg-config leaves out the
# system folders (-I/usr/include) only when they are spelled exactly so.
set(ZARN_PKG_PREFIX @ZARN_PKG_PREFIX@)
configure_file(${PROJECT_SOURCE_DIR}/cmake/zarnutils.pc.in
  ${CMAKE_BINARY_DIR}/package/zarnutils.pc.in @ONLY)
install(CODE "
  set(ZARN_PKG_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(${CMAKE_BINARY_DIR}/package/zarnutils.pc.in
    ${CMAKE_BINARY_DIR}/package/zarnutils.pc @ONLY)" COMPONENT development)
install(FILES ${CMAKE_BINARY_DIR}/package/zarnutils.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zarnutils COMPONENT program)
include(${PROJECT_SOURCE_DIR}/cmake/debian-package.cmake)

install(FILES ${PROJECT_SOURCE_DIR}/tools/completion/zarnutils.bash
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME zarnutils
  COMPONENT program)

# The manual page is the program's --help laid out for man, made at build
# time so that the two are always the same text.
set(zarn_manual ${CMAKE_BINARY_DIR}/package/zarnutils.1)
add_custom_command(OUTPUT ${zarn_manual}.gz
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/manual/help-to-man.sh $<TARGET_FILE:zarnutils>
          ${PROJECT_VERSION} > ${zarn_manual}
  COMMAND gzip -9nf ${zarn_manual}
  DEPENDS zarnutils ${PROJECT_SOURCE_DIR}/tools/manual/help-to-man.sh)
add_custom_target(zarnutils_manual ALL DEPENDS ${zarn_manual}.gz)
install(FILES ${zarn_manual}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
