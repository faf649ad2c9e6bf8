# The .deb: `cpack -G DEB` in the build folder, as ./package.sh runs it. dpkg-shlibdeps
# computes the library dependencies from the binary, so installing the package pulls
# Qt 6, RtMidi and the JACK library; what the binary loads at run time is added here.
set(LUMIBOX_PACKAGE_MAINTAINER "Velmora Lumibox developers <lumibox@velmora.invalid>"
    CACHE STRING "Maintainer field of the .deb")
# The MIT licence in Debian's machine-readable copyright format, where Debian looks for it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${CMAKE_CURRENT_BINARY_DIR}/copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumibox)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumibox)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "DMX over IP and MIDI monitor and test sender")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumibox is a test instrument for stage-lighting and show-control networks.
It receives one DMX512 universe carried by sACN (E1.31) or Art-Net, validates
every datagram strictly and shows all 512 levels with the stream's status; it
transmits a universe with single sends, timed pulses, all-to-zero and
continuous 30 Hz transmission. It lists MIDI ports, monitors one input and
sends Note, Control Change and Program Change messages with pulses.
.
The same executable is a desktop window and a headless command-line tool for
automated tests that reports through exit codes and JSON files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LUMIBOX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugin at run time; without it the window cannot open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The window's font; plain DejaVu Sans is the fallback.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "jackd2, prometheus")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The service's options file is the administrator's: dpkg keeps their changes on upgrade.
if(IS_ABSOLUTE "${LUMIBOX_DEFAULTS_DIR}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/conffiles "${LUMIBOX_DEFAULTS_DIR}/lumibox-monitor\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/conffiles)
endif()
include(CPack)
