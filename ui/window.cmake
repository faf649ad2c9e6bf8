# The desktop window: layout, window procedure, painting.
add_library(lumibox_ui STATIC
  main_window.cpp
  window_controls.cpp
  window_layout.cpp
  window_style.cpp
  window_host.cpp
  command_button.cpp
  level_table_model.cpp
  level_cell_delegate.cpp
  window_widgets.cpp
  window_views.cpp
  window_routing.cpp
  midi_wake_signal.cpp
  termination_signals_posix.cpp
  window_procedure.cpp)
target_include_directories(lumibox_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(lumibox_ui PUBLIC lumibox_icon lumibox_dmx_engine lumibox_midi lumibox_core Qt6::Widgets Qt6::Gui)
# Qt's "slots"/"signals"/"emit" macros would clash with engine member names.
target_compile_definitions(lumibox_ui PUBLIC QT_NO_KEYWORDS)

# Qt Test drives the real window on the offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_library(lumibox_window_test_support STATIC tests/window_test_support.cpp)
target_link_libraries(lumibox_window_test_support PUBLIC lumibox_ui Qt6::Test)

lumibox_add_test(window_tests
  SOURCES tests/window_defaults_test.cpp tests/window_routing_test.cpp
          tests/window_resize_test.cpp tests/window_pixels_test.cpp tests/window_midi_rows_test.cpp
  LIBS lumibox_window_test_support
  LABELS ui
  ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The DMX page end to end, with real sockets in a private network namespace.
lumibox_add_test(window_dmx_tests
  SOURCES tests/window_dmx_test.cpp
  LIBS lumibox_window_test_support
  LABELS ui
  NETNS
  ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The MIDI page end to end, against the JACK dummy server the MIDI tests start.
lumibox_add_test(window_midi_tests
  SOURCES tests/window_midi_test.cpp
  LIBS lumibox_window_test_support lumibox_jack_peer
  LABELS ui jack
  FIXTURES ${LUMIBOX_JACK_FIXTURE}
  ENVIRONMENT QT_QPA_PLATFORM=offscreen LUMIBOX_MIDI_API=jack JACK_DEFAULT_SERVER=${LUMIBOX_JACK_SERVER})
set_tests_properties(window_midi_tests PROPERTIES RESOURCE_LOCK ${LUMIBOX_JACK_FIXTURE})

# The real binary's window path without any display.
lumibox_add_test(window_binary_tests
  SOURCES tests/window_binary_test.cpp ${PROJECT_SOURCE_DIR}/cli/tests/run_binary.cpp
  LABELS ui)
target_include_directories(window_binary_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(window_binary_tests PRIVATE LUMIBOX_BINARY="$<TARGET_FILE:lumibox>")
add_dependencies(window_binary_tests lumibox)
