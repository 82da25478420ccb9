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

# The GCC runtime (libstdc++, libgcc, winpthread) is linked as DLLs, one copy
# shared by all our modules: tests and the driver pass C++ objects and
# exceptions from one of our DLLs to another (the chassis stand-in's
# constructor may throw into the driver). cmake/MinGWRuntime.cmake copies the
# runtime DLLs next to our modules, where Windows (and Wine) find them.
# Linking the runtime statically into each module instead breaks linking: a
# DLL exports the standard-library template code it instantiated, and a
# program that imports it clashes with its own static libstdc++.

# Windows test programs run under Wine's 64-bit loader. Debian's "wine" is a
# shell script that picks the 32-bit loader when present and otherwise this
# one; call the 64-bit loader directly.
find_program(KORVANE_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
find_program(KORVANE_WINE64 NAMES wine64 wine)
if(KORVANE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVANE_WINE64})
endif()
