# The Windows DLLs: names per architecture, the export table, static runtimes, and the
# checks and wine test suite that prove them. Included by the top-level list for WIN32.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KESTRO_DLL_NAME "TAV Kestro_x64")
else()
  set(KESTRO_DLL_NAME "TAV Kestro")
endif()
set_target_properties(kestro_plugin PROPERTIES OUTPUT_NAME "${KESTRO_DLL_NAME}" PREFIX "" SUFFIX ".dll")

# The .def file is the whole export table; -static takes libstdc++, libgcc and winpthreads
# into the DLL, so a host needs nothing but Windows' own DLLs.
set(KESTRO_EXPORTS_DEF ${CMAKE_SOURCE_DIR}/platform/windows/exports.def)
target_sources(kestro_plugin PRIVATE ${KESTRO_EXPORTS_DEF})
target_link_options(kestro_plugin PRIVATE -static -static-libgcc -static-libstdc++
  -Wl,--no-undefined -Wl,--exclude-all-symbols)

target_link_libraries(kestro_core PUBLIC user32 gdi32 advapi32 shell32 comdlg32 ole32)
target_link_libraries(kestro_toolkit PUBLIC user32 gdi32 comdlg32)
# Windows 7 and later; <windows.h> without its min/max macros and rarely used parts.
target_compile_definitions(kestro_core PUBLIC _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_definitions(kestro_toolkit PUBLIC _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)

option(KESTRO_WINDOWS_TESTS "Build the Windows checks and the wine test suite" OFF)
if(KESTRO_WINDOWS_TESTS)
  enable_testing()
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/windows ${CMAKE_BINARY_DIR}/tests/windows)
endif()
