# The desktop window: layout, window procedure, painting.
add_library(lumibox_ui STATIC
  main_window.cpp
  window_controls.cpp
  window_layout.cpp
  window_style.cpp
  window_host.cpp
  command_button.cpp
  level_table_model.cpp
  window_widgets.cpp
  window_views.cpp
  window_routing.cpp
  window_procedure.cpp)
target_include_directories(lumibox_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(lumibox_ui PUBLIC lumibox_icon lumibox_dmx_engine lumibox_midi lumibox_core Qt6::Widgets Qt6::Gui)
# Qt's "slots"/"signals"/"emit" macros would clash with engine member names.
target_compile_definitions(lumibox_ui PUBLIC QT_NO_KEYWORDS)
