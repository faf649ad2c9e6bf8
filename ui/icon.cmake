# The vector icon renderer and --export-icon.
add_library(lumibox_icon STATIC app_icon.cpp icon_export.cpp)
target_include_directories(lumibox_icon PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(lumibox_icon PUBLIC lumibox_core Qt6::Gui)

# Renders the icon straight into a QImage: no display and no binary needed.
lumibox_add_test(icon_render_tests
  SOURCES tests/icon_render_test.cpp
  LIBS lumibox_icon
  LABELS ui)
