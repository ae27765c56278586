# Shared part of the mingw-w64 toolchain files; KESTRO_MINGW_TRIPLET names the target.
# Debian ships each compiler in two thread models; the posix one (winpthreads) is the one
# whose C++ runtime has std::thread and std::mutex.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KESTRO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_ASM_COMPILER ${KESTRO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_RC_COMPILER ${KESTRO_MINGW_TRIPLET}-windres)
set(CMAKE_OBJDUMP ${KESTRO_MINGW_TRIPLET}-objdump)

# Target headers and libraries only from the mingw sysroot; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
