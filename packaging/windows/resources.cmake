# lumibox.exe's resources, compiled by windres: the version information and icon 1,
# which the window class uses. The icon is the file `lumibox --export-icon` writes. The
# cross-built exe cannot run while it is being built, so a native (Linux) lumibox
# exports it: LUMIBOX_HOST_LUMIBOX, from the environment variable of that name
# (./package.sh sets it) or else found in build-release/ or build/.
set(LUMIBOX_HOST_LUMIBOX "" CACHE FILEPATH "A native lumibox that exports the icon for the Windows resources")
# The environment wins on every configure, so a later ./package.sh is not held to an
# earlier empty choice.
if(NOT "$ENV{LUMIBOX_HOST_LUMIBOX}" STREQUAL "")
  set(LUMIBOX_HOST_LUMIBOX "$ENV{LUMIBOX_HOST_LUMIBOX}" CACHE FILEPATH "" FORCE)
endif()
if(LUMIBOX_HOST_LUMIBOX)
  set(_host_lumibox "${LUMIBOX_HOST_LUMIBOX}")
else()
  unset(_host_lumibox)  # an empty value would count as found and skip the search
  find_program(_host_lumibox lumibox PATHS ${PROJECT_SOURCE_DIR}/build-release ${PROJECT_SOURCE_DIR}/build
               NO_DEFAULT_PATH NO_CACHE)
endif()

set(_resource_dir ${CMAKE_CURRENT_BINARY_DIR})
set(_windows_icon ${_resource_dir}/lumibox.ico)
if(_host_lumibox)
  add_custom_command(
    OUTPUT ${_windows_icon}
    COMMAND ${_host_lumibox} --export-icon ${_windows_icon}
    DEPENDS ${_host_lumibox}
    COMMENT "Exporting the application icon with ${_host_lumibox}"
    VERBATIM)
  add_custom_target(lumibox_windows_icon DEPENDS ${_windows_icon})
  add_dependencies(lumibox lumibox_windows_icon)
  set(LUMIBOX_RC_ICON "1 ICON \"${_windows_icon}\"")
else()
  message(WARNING "No native lumibox found to export the icon: lumibox.exe gets its version information "
                  "but no icon. Build Linux first (./run.sh --version) or set LUMIBOX_HOST_LUMIBOX.")
  set(LUMIBOX_RC_ICON "")
endif()

configure_file(windows/lumibox.rc.in ${_resource_dir}/lumibox.rc @ONLY)
target_sources(lumibox PRIVATE ${_resource_dir}/lumibox.rc)
if(_host_lumibox)
  set_source_files_properties(${_resource_dir}/lumibox.rc TARGET_DIRECTORY lumibox
                              PROPERTIES OBJECT_DEPENDS ${_windows_icon})
endif()
