# Cross-build for 64-bit Windows with Debian's MinGW-w64, tests run under Wine.
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The POSIX thread model is required: the win32 model of GCC 12 has no
# std::thread, std::mutex or std::condition_variable.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVANE_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every module carries its own copy of the GCC runtime (libgcc, libstdc++,
# winpthread), so a .exe or .dll needs nothing beyond the Windows system DLLs
# and msvcrt: it runs under Wine as it is and, like any driver DLL, can be
# loaded into a foreign process. Exceptions still cross from one of our DLLs
# into another (x64 unwinding is table-based and type matching compares type
# names), which the chassis stand-in relies on. A DLL exports only its own
# symbols, never the runtime's: an exported copy of the unwinder would clash
# with the importing module's own copy.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -Wl,--exclude-libs,ALL")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -Wl,--exclude-libs,ALL")

# Windows test programs run under Wine's 64-bit loader. Debian's "wine" is a
# shell script that picks the 32-bit loader when present and otherwise this
# one; call the 64-bit loader directly.
find_program(KORVANE_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
find_program(KORVANE_WINE64 NAMES wine64 wine)
if(KORVANE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVANE_WINE64})
endif()
