# The vector icon renderer and --export-icon.
add_library(lumibox_icon STATIC icon_export.cpp)
target_include_directories(lumibox_icon PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(lumibox_icon PUBLIC Qt6::Gui)
