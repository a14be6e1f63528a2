# Installation the Debian way. `cmake --install` lays out:
#   <prefix>/lib/ostrel/                  the program's folder, read-only at run time:
#                                         OBX, its libraries, the uploader, ostrel-device, Template/
#                                         (and scanbd/ when dist/scanbd/ ships one)
#   <prefix>/bin/obx                      a link to lib/ostrel/OBX
#   <prefix>/share/applications/          "Ostrel Configuration" (obx /Configure)
#   <prefix>/share/icons/hicolor/         the program icon, 16 to 256 pixels
#   /etc/xdg/autostart/ostrel.desktop     plain obx at every user's login
# `cpack -G DEB` packs the same into a .deb whose dependencies dpkg-shlibdeps
# finds from the libraries the programs link, plus what they start or load.
set(OSTREL_PROGRAM_DIR lib/ostrel)

install(TARGETS OBX Zeltsvc Drovel Mirelle Wexford ostreldsm nvdriver sanedriver ostrel-device
  RUNTIME DESTINATION ${OSTREL_PROGRAM_DIR} LIBRARY DESTINATION ${OSTREL_PROGRAM_DIR})
# From the source tree: the copy in build/bin/ also takes the templates the
# program writes at run time from its built-in sets, with the program paths it
# resolved on the build machine.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Template DESTINATION ${OSTREL_PROGRAM_DIR})
if(EXISTS ${CMAKE_SOURCE_DIR}/dist/scanbd)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/scanbd DESTINATION ${OSTREL_PROGRAM_DIR} USE_SOURCE_PERMISSIONS)
endif()
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
file(CREATE_LINK ../${OSTREL_PROGRAM_DIR}/OBX \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/obx\" SYMBOLIC)")
install(FILES ${CMAKE_SOURCE_DIR}/dist/desktop/ostrel-configuration.desktop DESTINATION share/applications)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION share/icons)
# The desktops read autostart entries from /etc/xdg only, whatever the prefix.
install(FILES ${CMAKE_SOURCE_DIR}/dist/desktop/ostrel.desktop DESTINATION /etc/xdg/autostart)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VERSION 2.1.8)
set(CPACK_PACKAGE_VENDOR Norvane)
set(CPACK_PACKAGE_CONTACT "Norvane <support@norvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "scanner button manager")
set(CPACK_PACKAGE_DESCRIPTION "Ostrel scans with the profile of the scanner button pressed and hands the
files to a folder, a program, a printer, e-mail, a cloud folder or a fax service.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${OSTREL_BIN_DIR})
# Started or loaded at run time, so no library link names them: the desktop
# helpers for documents and mail, Qt's display plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tesseract-ocr-eng, tesseract-ocr-osd, sane-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "scanbd")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/dist/debian/conffiles)
include(CPack)
