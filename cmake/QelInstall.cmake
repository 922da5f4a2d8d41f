# `cmake --install` puts the package in place: the libraries, their headers (under
# include/QelObjCntrl, in the source tree's layout), the designer plugin, and the CMake package
# files, so that an application finds it with find_package(QelObjCntrl).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QEL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/QelObjCntrl)
set(QEL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/QelObjCntrl)

install(TARGETS qelobjdb qeltoolkit qelbinding QelObjCntrl EXPORT QelObjCntrlTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT QelObjCntrlTargets NAMESPACE QelObjCntrl:: DESTINATION ${QEL_INSTALL_CMAKEDIR})

foreach(dir platform/objdb platform/toolkit binding controls lists vectors pickers documents)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${QEL_INSTALL_INCLUDEDIR}/${dir}
    FILES_MATCHING PATTERN "*.h")
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/QelObjCntrl.h DESTINATION ${QEL_INSTALL_INCLUDEDIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QelObjCntrlConfig.cmake.in
  ${CMAKE_BINARY_DIR}/QelObjCntrlConfig.cmake INSTALL_DESTINATION ${QEL_INSTALL_CMAKEDIR} PATH_VARS CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/QelObjCntrlConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/QelObjCntrlConfig.cmake ${CMAKE_BINARY_DIR}/QelObjCntrlConfigVersion.cmake
  DESTINATION ${QEL_INSTALL_CMAKEDIR})
