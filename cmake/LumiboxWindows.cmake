# The Windows build (cross-compiled with cmake/toolchain-mingw-w64-x86_64.cmake):
# GoogleTest compiled from Debian's sources with the same compiler, and every test run
# under wine through tools/wine-run.sh with one fresh wine prefix per test run.
include_guard(GLOBAL)

add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 NOMINMAX WIN32_LEAN_AND_MEAN)

# Debian's googletest package ships the sources only; Debian's libgtest-dev is for Linux.
set(LUMIBOX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${LUMIBOX_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# Its own warning flags only; ours (and -Werror) are for our code. It defines the
# GTest::gtest and GTest::gtest_main names the tests link.
set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS "")

include(${PROJECT_SOURCE_DIR}/packaging/windows/manifest.cmake)

# cpp-httplib and libpcap, built from Debian's source packages by
# tools/build-windows-libraries.sh (./build-windows.sh runs it), under the names the Linux
# build gets from pkg-config. Both are linked statically.
set(LUMIBOX_WINDOWS_LIBRARIES ${PROJECT_BINARY_DIR}/libraries CACHE PATH
  "cpp-httplib and libpcap for Windows (tools/build-windows-libraries.sh)")
if(NOT EXISTS ${LUMIBOX_WINDOWS_LIBRARIES}/lib/libpcap.a OR NOT EXISTS ${LUMIBOX_WINDOWS_LIBRARIES}/include/httplib.h)
  message(FATAL_ERROR "No cpp-httplib and libpcap in ${LUMIBOX_WINDOWS_LIBRARIES}: run ./build-windows.sh, "
                      "or tools/build-windows-libraries.sh <build folder>")
endif()
# The header only: the one file that includes it compiles it, with Debian's definitions but
# OpenSSL and Brotli, and zlib from Debian's mingw-w64 package.
add_library(PkgConfig::HTTPLIB INTERFACE IMPORTED GLOBAL)
target_include_directories(PkgConfig::HTTPLIB SYSTEM INTERFACE ${LUMIBOX_WINDOWS_LIBRARIES}/include)
target_compile_definitions(PkgConfig::HTTPLIB INTERFACE CPPHTTPLIB_USE_POLL CPPHTTPLIB_ZLIB_SUPPORT)
target_link_libraries(PkgConfig::HTTPLIB INTERFACE z ws2_32)
add_library(PkgConfig::PCAP STATIC IMPORTED GLOBAL)
set_target_properties(PkgConfig::PCAP PROPERTIES IMPORTED_LOCATION ${LUMIBOX_WINDOWS_LIBRARIES}/lib/libpcap.a
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${LUMIBOX_WINDOWS_LIBRARIES}/include
  INTERFACE_INCLUDE_DIRECTORIES ${LUMIBOX_WINDOWS_LIBRARIES}/include
  INTERFACE_LINK_LIBRARIES "ws2_32;iphlpapi")

# The lumibox program: wWinMain entry (-municode) and the GUI subsystem, so no console
# window opens (lumibox.com is its console companion); with the application manifest.
function(lumibox_windows_program target)
  # Every thread's stack 8 MiB, as on Linux, not mingw's 2 MiB: cpp-httplib parses a Range
  # header with std::regex, whose recursion a long header drives deep.
  target_link_options(${target} PRIVATE -municode -Wl,--stack,8388608)
  target_link_libraries(${target} PRIVATE lumibox_windows_manifest)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()

if(CMAKE_CROSSCOMPILING)
  set(LUMIBOX_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine-prefix)
  set(LUMIBOX_WINE_FIXTURE lumibox_wine_prefix)
  # ctest puts the emulator in front of every test whose command is one of our programs.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/wine-run.sh ${LUMIBOX_WINE_PREFIX})
  add_test(NAME wine_prefix_setup COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-run.sh ${LUMIBOX_WINE_PREFIX} --init)
  set_tests_properties(wine_prefix_setup PROPERTIES
    FIXTURES_SETUP ${LUMIBOX_WINE_FIXTURE} RESOURCE_LOCK ${LUMIBOX_WINE_FIXTURE} LABELS wine TIMEOUT 300)
endif()

# The programs need nothing beyond Windows' own DLLs: the runtime is linked in statically.
add_test(NAME windows_programs_import_system_dlls_only
  COMMAND ${PROJECT_SOURCE_DIR}/tools/pe-imports.sh system ${CMAKE_OBJDUMP}
          $<TARGET_FILE:net_engine_socket_tests> $<TARGET_FILE:midi_winmm_tests>
          $<TARGET_FILE:lumibox_fake_winmm> $<TARGET_FILE:win32_gdiplus_tests> $<TARGET_FILE:cli_unit_tests>
          $<TARGET_FILE:win32_window_tests>
          $<$<TARGET_EXISTS:lumibox>:$<TARGET_FILE:lumibox>>)
set_tests_properties(windows_programs_import_system_dlls_only PROPERTIES LABELS windows)

# Called by lumibox_add_test for every Windows test: it needs the prefix, and one test at a
# time uses it, since a second one would join the first one's wine server and namespace.
function(lumibox_windows_test name)
  if(NOT CMAKE_CROSSCOMPILING)
    return()
  endif()
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED ${LUMIBOX_WINE_FIXTURE})
  set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK ${LUMIBOX_WINE_FIXTURE})
  set_property(TEST ${name} APPEND PROPERTY LABELS wine)
endfunction()

# GCC 12 reports a false -Wrestrict inside libstdc++'s string concatenation at -O3
# (GCC bug 105329); it is not about our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
