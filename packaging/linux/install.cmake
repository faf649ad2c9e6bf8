# cmake --install: bin/lumibox, the desktop entry, the AppStream metainfo, the manual
# page and the hicolor icons; the copyright file comes with deb.cmake.
include(GNUInstallDirs)
find_package(Qt6 REQUIRED COMPONENTS Gui)

set(_packaging_out ${CMAKE_CURRENT_BINARY_DIR})
configure_file(linux/lumibox.desktop.in ${_packaging_out}/${LUMIBOX_APP_ID}.desktop @ONLY)
configure_file(linux/lumibox.metainfo.xml.in ${_packaging_out}/${LUMIBOX_APP_ID}.metainfo.xml @ONLY)
configure_file(linux/lumibox.1.in ${_packaging_out}/lumibox.1 @ONLY)

# The icons are rendered by the lumibox just built, then scaled: the art has one
# description, the vector drawing behind --export-icon.
set(LUMIBOX_ICON_SIZES 16 32 48 64 128 256)
set(_icon_dir ${_packaging_out}/icons)
file(MAKE_DIRECTORY ${_icon_dir})
add_executable(lumibox_hicolor_icons linux/hicolor_icons_qt.cpp)
target_link_libraries(lumibox_hicolor_icons PRIVATE Qt6::Gui)
set(_icon_files)
foreach(size ${LUMIBOX_ICON_SIZES})
  list(APPEND _icon_files ${_icon_dir}/hicolor/${size}x${size}/apps/${LUMIBOX_APP_ID}.png)
endforeach()
add_custom_command(
  OUTPUT ${_icon_files}
  COMMAND $<TARGET_FILE:lumibox> --export-icon ${_icon_dir}/lumibox.ico
  COMMAND $<TARGET_FILE:lumibox_hicolor_icons> ${_icon_dir}/lumibox.ico.png ${_icon_dir}/hicolor ${LUMIBOX_APP_ID}
          ${LUMIBOX_ICON_SIZES}
  DEPENDS lumibox lumibox_hicolor_icons
  COMMENT "Rendering the hicolor icons with lumibox --export-icon"
  VERBATIM)
add_custom_target(lumibox_desktop_icons ALL DEPENDS ${_icon_files})

install(TARGETS lumibox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_packaging_out}/${LUMIBOX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_packaging_out}/${LUMIBOX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_packaging_out}/lumibox.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(size ${LUMIBOX_ICON_SIZES})
  install(FILES ${_icon_dir}/hicolor/${size}x${size}/apps/${LUMIBOX_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The monitoring service of --serve: its unit (not enabled on installation), its options
# file and example alerting rules. The options file belongs in /etc/default, which
# ./package.sh passes; a plain `cmake --install` keeps it under the prefix.
set(LUMIBOX_DEFAULTS_DIR "${CMAKE_INSTALL_SYSCONFDIR}/default" CACHE STRING
    "Folder of lumibox-monitor's options file; /etc/default in the .deb")
install(FILES linux/lumibox-monitor.service DESTINATION lib/systemd/system)
install(FILES linux/lumibox-monitor.default DESTINATION ${LUMIBOX_DEFAULTS_DIR} RENAME lumibox-monitor)
install(FILES prometheus/lumibox-alerts.yml DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumibox/examples)
