# Installation under a prefix (freedesktop layout) and the Debian package.
#   cmake --install build --prefix /usr/local      cpack -G DEB (in the build folder)
# The installed program finds no writable cfg.ini beside itself and keeps its settings
# in the user's configuration folder (~/.config/Ordalis/cfg.ini).
include(GNUInstallDirs)
install(TARGETS ordalis ordalis-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/ordalis.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/ordalis.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ordalis)

set(CPACK_PACKAGE_NAME "ordalis")
set(CPACK_PACKAGE_VENDOR "Ordalis")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for digital stepper drives on a serial line")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Ordalis developers <dev@ordalis.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
# The Qt libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Configures digital stepper drives over RS232/RS485: connection wizard, parameters,\n oscilloscope; ordalis-cli for scripts and a connection doctor.")
include(CPack)
