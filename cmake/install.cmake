# What `cmake --install BUILD --prefix P` puts under P:
#   bin/zervola-frame                 the command line
#   bin/zervola                       the launcher of the CAD host
#   lib/libzervola.so                 the library of the twenty exports
#   include/zervola.h                 its C header
#   lib/libzervola_frame.so           the frame analysis
#   share/zervola/sections/           its section catalogue (found beside the library)
#   share/zervola/viewer/             the 3D view's page, scripts and three.js (beside the library)
#   include/zervola/frame.hpp, include/zervola/frame/*.hpp   its C++ API
#   lib/cmake/zervola/                find_package(zervola): zervola::zervola, zervola::frame
#   lib/pkgconfig/zervola.pc          pkg-config for the C library
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(zervola_cmake_dir "${CMAKE_INSTALL_LIBDIR}/cmake/zervola")

set_target_properties(zervola PROPERTIES EXPORT_NAME zervola)
install(TARGETS zervola EXPORT zervolaTargets
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/include/zervola.h" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")
install(TARGETS zervola_launcher RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

if(TARGET zervola_frame)
  install(TARGETS zervola_frame EXPORT zervolaTargets
    LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
    ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}")
  install(FILES "${PROJECT_SOURCE_DIR}/include/zervola/frame.hpp"
          DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/zervola")
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/include/zervola/frame/"
          DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/zervola/frame"
          FILES_MATCHING PATTERN "*.hpp")
  install(TARGETS zervola-frame RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/data/sections/"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/zervola/sections"
          FILES_MATCHING PATTERN "*.csv" PATTERN "*.md")
  # From the build tree: the viewer's files with three.js, when it was found.
  install(DIRECTORY "${ZERVOLA_VIEWER_BUILD_DIR}/"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/zervola/viewer")
endif()

install(EXPORT zervolaTargets NAMESPACE zervola:: DESTINATION "${zervola_cmake_dir}")
configure_package_config_file("${PROJECT_SOURCE_DIR}/cmake/package/zervolaConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/package/zervolaConfig.cmake"
  INSTALL_DESTINATION "${zervola_cmake_dir}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/package/zervolaConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/package/zervolaConfig.cmake"
              "${PROJECT_BINARY_DIR}/package/zervolaConfigVersion.cmake"
        DESTINATION "${zervola_cmake_dir}")

# pkg-config finds the C library; the paths follow the prefix given at
# install time, found from the .pc file's own place (lib/pkgconfig, or
# lib/<multiarch>/pkgconfig).
file(RELATIVE_PATH ZERVOLA_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" ZERVOLA_PC_TO_PREFIX "${ZERVOLA_PC_TO_PREFIX}")
configure_file("${PROJECT_SOURCE_DIR}/cmake/package/zervola.pc.in"
               "${PROJECT_BINARY_DIR}/package/zervola.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/package/zervola.pc"
        DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
