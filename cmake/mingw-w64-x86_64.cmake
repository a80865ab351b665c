# Cross-building the Windows program on Linux with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64, installed by scripts/setup.sh --windows):
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOVIRA_MINGW_TRIPLET x86_64-w64-mingw32)
# The POSIX thread model: with GCC 12 only it has std::mutex and std::thread, which
# GoogleTest needs (winpthreads is linked in statically like the rest).
set(CMAKE_C_COMPILER ${TOVIRA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOVIRA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TOVIRA_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW sysroot only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TOVIRA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable and DLL carries its own libgcc, libstdc++ and winpthread, so the
# program folder needs no MinGW DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)

# ctest runs the cross-built test programs under Wine. Debian keeps wine64 outside PATH.
find_program(TOVIRA_WINE64 NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TOVIRA_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOVIRA_WINE64})
endif()
