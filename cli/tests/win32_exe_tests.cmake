# lumibox.exe under wine, end to end. The tests are Linux programs of the Linux build
# (cli/app/CMakeLists.txt): they need the Linux lumibox as the peer, tshark, a second
# network namespace and Qt to decode PNG files. Each runs through wine-run.sh --host in
# a private namespace with the wine server running there, and starts lumibox.exe itself.
# ./test.sh builds Linux first, so they run when both builds exist.
set(LUMIBOX_HOST_BUILD_DIR ${PROJECT_SOURCE_DIR}/build CACHE PATH
  "The Linux build whose lumibox and test programs drive lumibox.exe under wine")

# A copy of lumibox.exe beside the loop winmm.dll, which it loads with winmm=n,b.
add_custom_command(TARGET lumibox POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:lumibox> ${LUMIBOX_WINMM_LOOP_DIR}/lumibox.exe
  VERBATIM)

# The loop winmm.dll offers everything lumibox.exe imports from winmm.
add_test(NAME winmm_stand_in_matches_lumibox_imports
  COMMAND ${PROJECT_SOURCE_DIR}/tools/pe-imports.sh stand-in ${CMAKE_OBJDUMP}
          $<TARGET_FILE:lumibox> $<TARGET_FILE:lumibox_fake_winmm>)
set_tests_properties(winmm_stand_in_matches_lumibox_imports PROPERTIES LABELS windows)

if(NOT CMAKE_CROSSCOMPILING OR NOT EXISTS ${LUMIBOX_HOST_BUILD_DIR}/CMakeCache.txt)
  message(STATUS "No Linux build at ${LUMIBOX_HOST_BUILD_DIR}: lumibox.exe's end-to-end tests are left out")
  return()
endif()

function(lumibox_exe_test name)
  set(driver ${LUMIBOX_HOST_BUILD_DIR}/cli/app/${name})
  add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-run.sh ${LUMIBOX_WINE_PREFIX} --host ${driver})
  set_tests_properties(${name} PROPERTIES
    LABELS "e2e" TIMEOUT 900 REQUIRED_FILES ${driver}
    ENVIRONMENT "LUMIBOX_WINDOWS_BINARY=$<TARGET_FILE:lumibox>;${ARGN}")
  lumibox_windows_test(${name})
endfunction()

lumibox_exe_test(exe_dmx_cli_tests)
lumibox_exe_test(exe_icon_tests)
# The Linux tables of --serve, --record and --replay, driving lumibox.exe through lumibox.com.
lumibox_exe_test(serve_cli_tests)
lumibox_exe_test(record_replay_tests)
lumibox_exe_test(exe_midi_cli_tests
  LUMIBOX_WINDOWS_LOOP_BINARY=${LUMIBOX_WINMM_LOOP_DIR}/lumibox.exe LUMIBOX_WINE_DLL_OVERRIDES=winmm=n,b)

# The window of lumibox.exe, on an X display of the test's own.
set(_lumibox_window_driver ${LUMIBOX_HOST_BUILD_DIR}/cli/app/exe_window_tests)
add_test(NAME exe_window_tests
  COMMAND ${PROJECT_SOURCE_DIR}/tools/with-xvfb.sh
          ${PROJECT_SOURCE_DIR}/tools/wine-run.sh ${LUMIBOX_WINE_PREFIX} --host ${_lumibox_window_driver})
set_tests_properties(exe_window_tests PROPERTIES
  LABELS "e2e;display" TIMEOUT 300 REQUIRED_FILES ${_lumibox_window_driver}
  ENVIRONMENT "LUMIBOX_WINDOWS_BINARY=$<TARGET_FILE:lumibox>")
lumibox_windows_test(exe_window_tests)
