# The winmm service under wine, which has no MIDI devices: the tests load our looped-back
# winmm.dll instead of wine's (winmm=n,b), found beside the test program in its own folder
# so that no other program of the build picks it up.
set(LUMIBOX_WINMM_LOOP_DIR ${CMAKE_CURRENT_BINARY_DIR}/winmm-loop CACHE INTERNAL "Programs here load the loop winmm.dll")

add_library(lumibox_fake_winmm SHARED fake_winmm_win32.cpp fake_winmm.def)
set_target_properties(lumibox_fake_winmm PROPERTIES
  OUTPUT_NAME winmm PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${LUMIBOX_WINMM_LOOP_DIR})
target_link_libraries(lumibox_fake_winmm PRIVATE Threads::Threads ws2_32)

lumibox_add_test(midi_winmm_tests
  SOURCES midi_winmm_test.cpp
  LIBS lumibox_midi_service lumibox_core
  LABELS unit
  ENVIRONMENT "LUMIBOX_WINE_DLL_OVERRIDES=winmm=n,b")
set_target_properties(midi_winmm_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${LUMIBOX_WINMM_LOOP_DIR})
add_dependencies(midi_winmm_tests lumibox_fake_winmm)

# Without devices winmm refuses port 0 as a bad index (2); the test expects the number of
# an unreachable Linux MIDI system (3).
set_property(TEST midi_engine_tests APPEND PROPERTY ENVIRONMENT
  "GTEST_FILTER=-MidiEngineView.UnreachablePortsGiveTheServiceErrorNumber")

# The stand-in offers everything the service imports from winmm.
add_test(NAME winmm_stand_in_matches_imports
  COMMAND ${PROJECT_SOURCE_DIR}/tools/pe-imports.sh stand-in ${CMAKE_OBJDUMP}
          $<TARGET_FILE:midi_winmm_tests> $<TARGET_FILE:lumibox_fake_winmm>)
set_tests_properties(winmm_stand_in_matches_imports PROPERTIES LABELS windows)
