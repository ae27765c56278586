# 32-bit Windows (i686-w64-mingw32): builds "TAV Kestro.dll".
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KESTRO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# The SIMD pack types need SSE2 registers to pass and return by value. Hosts built with
# other compilers only promise a 4-byte aligned stack on 32-bit Windows, so every function
# that keeps 16-byte data on the stack realigns it itself.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
