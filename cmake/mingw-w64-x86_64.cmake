# Cross toolchain: Debian's mingw-w64 compilers (posix thread model, for
# std::thread) building 64-bit Windows executables on Linux.
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HESTAVO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HESTAVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HESTAVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${HESTAVO_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HESTAVO_MINGW_TRIPLET})
# The libraries built for Windows by scripts/windows-deps (Qt, SQLite, zlib,
# libzip), when the build names their folder.
if(DEFINED ENV{HESTAVO_WINDOWS_PREFIX})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{HESTAVO_WINDOWS_PREFIX} $ENV{HESTAVO_WINDOWS_PREFIX}/qt)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime (libstdc++, libgcc, winpthread) is linked in, so the
# executables run without the compiler's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine, in a Wine folder of the build's own, quiet.
set(HESTAVO_WINE /usr/lib/wine/wine64 CACHE FILEPATH "Wine loader that runs the Windows test programs")
