# Install rules, the CMake package (Kestrix::kestrix), the pkg-config file and the Debian packages.
# Components: Runtime (the tool, the shared library, the samples, man page, completion) and Development
# (headers, static library, CMake and pkg-config files).
include(CMakePackageConfigHelpers)

set(KX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Kestrix)

set_target_properties(kx_headers PROPERTIES EXPORT_NAME headers)
set_target_properties(kx_usage PROPERTIES EXPORT_NAME usage)
install(TARGETS kestrix_shared EXPORT KestrixTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime NAMELINK_COMPONENT Development)
install(TARGETS kestrix_static kx_headers kx_usage EXPORT KestrixTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
install(TARGETS kestrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)

# Public headers of each area, beside each other as in the source tree; helpers only the library's own
# sources use stay out.
set(KX_INTERNAL_HEADERS fiber/FiberJsonUtil.h fiber/FiberReadUtil.h fiber/FiberSections.h
    copper/CopperEvaluation.h copper/CopperTrace.h storage/JsonFields.h storage/ListRead.h storage/ObjectList.h
    storage/ProjectTrace.h storage/SqliteHandles.h serialization/LittleEndian.h serialization/SeekTarget.h
    common/PFileMessages.h common/TextTable.h trace/LibraryChannels.h)
foreach(area serialization common trace fiber copper storage)
  file(GLOB _headers RELATIVE ${PROJECT_SOURCE_DIR}/libcrossplatform CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/libcrossplatform/${area}/*.h)
  list(REMOVE_ITEM _headers ${KX_INTERNAL_HEADERS})
  list(TRANSFORM _headers PREPEND ${PROJECT_SOURCE_DIR}/libcrossplatform/)
  install(FILES ${_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kestrix/${area} COMPONENT Development)
endforeach()
# The plain C headers of the exported functions.
install(FILES exports/FiberEx.h exports/FiberLimitEx.h exports/ManifestEx.h exports/TraceBufferEx.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kestrix COMPONENT Development)

install(DIRECTORY ${PROJECT_BINARY_DIR}/samples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrix/samples
        COMPONENT Runtime PATTERN .stamp EXCLUDE)

install(EXPORT KestrixTargets NAMESPACE Kestrix:: DESTINATION ${KX_CMAKE_DIR} COMPONENT Development)
configure_package_config_file(cmake/KestrixConfig.cmake.in ${PROJECT_BINARY_DIR}/KestrixConfig.cmake
                              INSTALL_DESTINATION ${KX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KestrixConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KestrixConfig.cmake ${PROJECT_BINARY_DIR}/KestrixConfigVersion.cmake
        DESTINATION ${KX_CMAKE_DIR} COMPONENT Development)

# Relocatable: the prefix is found from where the file lies.
file(RELATIVE_PATH KX_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" KX_PC_TO_PREFIX "${KX_PC_TO_PREFIX}")
configure_file(cmake/kestrix.pc.in ${PROJECT_BINARY_DIR}/kestrix.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kestrix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)

# The man page and the completion script are written by the tool itself from its command tree.
set(KX_MAN ${PROJECT_BINARY_DIR}/man/kestrix.1.gz)
set(KX_COMPLETION ${PROJECT_BINARY_DIR}/completion/kestrix)
add_custom_command(OUTPUT ${KX_MAN} ${KX_COMPLETION}
  COMMAND ${CMAKE_COMMAND} -DKESTRIX=$<TARGET_FILE:kestrix> -DMAN=${KX_MAN} -DCOMPLETION=${KX_COMPLETION}
          -P ${PROJECT_SOURCE_DIR}/cmake/KestrixDocs.cmake
  DEPENDS kestrix ${PROJECT_SOURCE_DIR}/cmake/KestrixDocs.cmake VERBATIM
  COMMENT "Writing the man page and the bash completion of kestrix")
add_custom_target(kestrix_docs ALL DEPENDS ${KX_MAN} ${KX_COMPLETION})
install(FILES ${KX_MAN} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Runtime)
install(FILES ${KX_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT Runtime)

# Debian packages: kestrix_<version>_amd64.deb and kestrix-dev_<version>_amd64.deb (cpack in a release tree).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kestrix maintainers <kestrix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Results, setups and maintenance for a family of cable-certification testers")
set(CPACK_COMPONENTS_ALL Runtime Development)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME kestrix)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME kestrix-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The headers include JsonCpp and Boost; the static library needs the rest at link time.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "kestrix (= ${PROJECT_VERSION}), libjsoncpp-dev, libboost-dev, zlib1g-dev, libsqlite3-dev")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "the kestrix tool, the shared library and sample result files")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "headers, static library, CMake and pkg-config files of Kestrix")
include(CPack)
