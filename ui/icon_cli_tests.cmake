# Runs the real lumibox binary with --export-icon. Included from cli/app, where the
# lumibox target exists (ui/ is configured before it).
lumibox_add_test(icon_cli_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/icon_cli_test.cpp ${PROJECT_SOURCE_DIR}/cli/tests/run_binary.cpp
  LIBS lumibox_icon
  LABELS ui cli)
target_compile_definitions(icon_cli_tests PRIVATE LUMIBOX_BINARY="$<TARGET_FILE:lumibox>"
  LUMIBOX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
add_dependencies(icon_cli_tests lumibox)
