# lumibox.exe's checks in the Windows build.

# The loop winmm.dll offers exactly what lumibox.exe imports from winmm.
add_test(NAME winmm_stand_in_matches_lumibox_imports
  COMMAND ${PROJECT_SOURCE_DIR}/tools/pe-imports.sh stand-in ${CMAKE_OBJDUMP}
          $<TARGET_FILE:lumibox> $<TARGET_FILE:lumibox_fake_winmm>)
set_tests_properties(winmm_stand_in_matches_lumibox_imports PROPERTIES LABELS windows)
