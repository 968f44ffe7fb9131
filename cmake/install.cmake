# What `cmake --install` puts under the prefix: the two public headers, the
# module (on Windows the DLL, its import library, its .def and the DLL's
# separate debug information), a CMake package giving quorvel_soft::quorvel_soft
# and a pkg-config file. The package is MIT-licensed (LICENSE, installed with
# the documentation).
include(CMakePackageConfigHelpers)

set(quorvel_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/quorvel_soft)

install(TARGETS quorvel_soft EXPORT quorvel_soft_targets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT development
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/include/quorvel/quorvel_soft.h ${PROJECT_SOURCE_DIR}/include/quorvel/host_records.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quorvel COMPONENT development)
if(WIN32)
  install(FILES ${PROJECT_BINARY_DIR}/quorvel_soft.def DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  if(QUORVEL_SPLIT_DEBUG)
    install(FILES $<TARGET_FILE:quorvel_soft>.debug DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT debug)
  endif()
endif()
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

install(EXPORT quorvel_soft_targets NAMESPACE quorvel_soft:: FILE quorvel_soft-targets.cmake
        DESTINATION ${quorvel_package_dir} COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/quorvel_soft-config.cmake.in
                              ${PROJECT_BINARY_DIR}/quorvel_soft-config.cmake
                              INSTALL_DESTINATION ${quorvel_package_dir})
# 0.x releases promise nothing between minor versions; from 1.0 on a major
# version keeps the ABI.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(quorvel_compatibility SameMinorVersion)
else()
  set(quorvel_compatibility SameMajorVersion)
endif()
write_basic_package_version_file(${PROJECT_BINARY_DIR}/quorvel_soft-config-version.cmake
                                 COMPATIBILITY ${quorvel_compatibility})
install(FILES ${PROJECT_BINARY_DIR}/quorvel_soft-config.cmake ${PROJECT_BINARY_DIR}/quorvel_soft-config-version.cmake
        DESTINATION ${quorvel_package_dir} COMPONENT development)

# pkg-config: paths relative to the .pc file, so a prefix chosen at install
# time (cmake --install --prefix) still works.
if(IS_ABSOLUTE ${CMAKE_INSTALL_LIBDIR} OR IS_ABSOLUTE ${CMAKE_INSTALL_INCLUDEDIR})
  set(quorvel_pc_prefix ${CMAKE_INSTALL_PREFIX})
  set(quorvel_pc_libdir ${CMAKE_INSTALL_FULL_LIBDIR})
  set(quorvel_pc_includedir ${CMAKE_INSTALL_FULL_INCLUDEDIR})
else()
  file(RELATIVE_PATH quorvel_pc_up /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
  string(REGEX REPLACE "/$" "" quorvel_pc_up "${quorvel_pc_up}")
  set(quorvel_pc_prefix "\${pcfiledir}/${quorvel_pc_up}")
  set(quorvel_pc_libdir "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
  set(quorvel_pc_includedir "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/quorvel_soft.pc.in ${PROJECT_BINARY_DIR}/quorvel_soft.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quorvel_soft.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT development)
