# The MIDI command-line modes, driven through the lumibox binary against the JACK dummy
# server of midi/tests. Included once, wherever the lumibox target is defined.
include_guard(GLOBAL)

lumibox_add_test(midi_cli_tests
  SOURCES ${PROJECT_SOURCE_DIR}/midi/tests/midi_cli_test.cpp ${PROJECT_SOURCE_DIR}/cli/tests/run_binary.cpp
  LIBS lumibox_midi lumibox_jack_peer
  LABELS cli jack
  FIXTURES ${LUMIBOX_JACK_FIXTURE}
  ENVIRONMENT "LUMIBOX_MIDI_API=jack;JACK_DEFAULT_SERVER=${LUMIBOX_JACK_SERVER}")
target_compile_definitions(midi_cli_tests PRIVATE LUMIBOX_BINARY="$<TARGET_FILE:lumibox>"
  LUMIBOX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
set_tests_properties(midi_cli_tests PROPERTIES RESOURCE_LOCK ${LUMIBOX_JACK_FIXTURE})
add_dependencies(midi_cli_tests lumibox)
