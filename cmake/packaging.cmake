# Installation and packages: on Linux the command, its man page and its
# launcher entry (the Debian package is built from debian/ by
# dpkg-buildpackage, which installs them); on Windows the program in a zip
# with its read-me and licence, and a setup that installs them, made by CPack.
include(GNUInstallDirs)
set(CPACK_PACKAGE_NAME quorvin)
set(CPACK_PACKAGE_VENDOR "Quorvin")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "opens today's plain-text note")
set(CPACK_STRIP_FILES ON)
set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)

# Packages are reproducible: CPack takes its time stamp from the last commit
# and hands the archive to a tool that fixes owners, modes, order and times;
# a SHA256SUMS file names the result. CPack sees only CPACK_ variables.
set(CPACK_QUORVIN_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${packaging_dir}/cpack-config.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${packaging_dir}/cpack-post-build.cmake)

if(WIN32)
  install(TARGETS Quorvin RUNTIME DESTINATION .)
  # Plain text with Windows line ends, so that every editor shows it right.
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
  file(READ ${packaging_dir}/README-windows.txt readme)
  file(CONFIGURE OUTPUT ${generated}/README.txt CONTENT "${readme}" @ONLY NEWLINE_STYLE WIN32)
  file(CONFIGURE OUTPUT ${generated}/LICENSE.txt CONTENT "${licence}" @ONLY NEWLINE_STYLE WIN32)
  install(FILES ${generated}/README.txt ${generated}/LICENSE.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  find_program(CPACK_QUORVIN_ZIP zip REQUIRED)
  # Beside the zip, a per-user setup made by NSIS from the same files.
  find_program(CPACK_QUORVIN_MAKENSIS makensis REQUIRED)
  set(CPACK_QUORVIN_NSI ${packaging_dir}/quorvin.nsi)
  set(CPACK_QUORVIN_ICON ${PROJECT_SOURCE_DIR}/res/quorvin.ico)
  # The setup's finish page shows the icon's largest picture, drawn at build
  # time by make_icon. That runs on the machine that builds, so it is built
  # with that machine's compiler, not the cross compiler.
  find_program(HOST_CXX NAMES c++ g++ REQUIRED)
  add_custom_command(OUTPUT ${generated}/make_icon ${generated}/finish.bmp
                     COMMAND ${HOST_CXX} -std=c++17 -O2 -o ${generated}/make_icon
                             ${PROJECT_SOURCE_DIR}/res/make_icon.cpp
                     COMMAND ${generated}/make_icon ${PROJECT_SOURCE_DIR}/res/icon.txt
                             ${generated}/finish.bmp
                     DEPENDS ${PROJECT_SOURCE_DIR}/res/make_icon.cpp ${PROJECT_SOURCE_DIR}/res/icon.txt)
  add_custom_target(finish_bitmap ALL DEPENDS ${generated}/finish.bmp)
  set(CPACK_QUORVIN_BITMAP ${generated}/finish.bmp)
  file(STRINGS ${PROJECT_SOURCE_DIR}/res/resource.h copyright REGEX "QUORVIN_COPYRIGHT \"")
  string(REGEX REPLACE ".*\"(.*)\".*" "\\1" CPACK_QUORVIN_COPYRIGHT "${copyright}")
else()
  install(TARGETS quorvin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/doc/quorvin.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The launcher entry "Today's note", with the Windows icon's largest
  # picture as its icon, drawn at build time from the same text.
  add_executable(make_icon ${PROJECT_SOURCE_DIR}/res/make_icon.cpp)
  add_custom_command(OUTPUT ${generated}/quorvin.svg
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
                     COMMAND make_icon ${PROJECT_SOURCE_DIR}/res/icon.txt ${generated}/quorvin.ico
                             ${generated}/quorvin.svg
                     DEPENDS make_icon ${PROJECT_SOURCE_DIR}/res/icon.txt)
  add_custom_target(launcher_icon ALL DEPENDS ${generated}/quorvin.svg)
  install(FILES ${packaging_dir}/quorvin.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(FILES ${generated}/quorvin.svg
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
endif()

if(WIN32)
  include(CPack)
endif()
