# 64-bit Windows (x86_64-w64-mingw32): builds "TAV Kestro_x64.dll".
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KESTRO_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
