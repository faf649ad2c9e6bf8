# The application manifest as an object library: lumibox.exe links it, and so do the
# window's test programs, so they run with the same common controls and DPI awareness.
set(LUMIBOX_MANIFEST_FILE ${PROJECT_BINARY_DIR}/packaging/lumibox.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/lumibox.manifest.in ${LUMIBOX_MANIFEST_FILE} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/lumibox_manifest.rc.in ${PROJECT_BINARY_DIR}/packaging/lumibox_manifest.rc @ONLY)
add_library(lumibox_windows_manifest OBJECT ${PROJECT_BINARY_DIR}/packaging/lumibox_manifest.rc)
set_source_files_properties(${PROJECT_BINARY_DIR}/packaging/lumibox_manifest.rc PROPERTIES
                            OBJECT_DEPENDS ${LUMIBOX_MANIFEST_FILE})
