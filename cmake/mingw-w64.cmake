# What both Windows toolchains share: Debian's mingw-w64 with the posix thread
# model, whose full C++ standard library is linked statically, so no MinGW
# DLL has to travel with the program. The including file names the processor.
set(CMAKE_SYSTEM_NAME Windows)
set(MIRUTOKA_MINGW_TRIPLET ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

# Debian's `wine` picks the 32-bit loader whenever it is installed, so each
# build names the loader of its own word size, and a prefix of that kind
# (MIRUTOKA_WINDOWS_NAME is also Wine's name for the prefix's architecture).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  set(MIRUTOKA_WINDOWS_NAME win64)
  set(MIRUTOKA_MANIFEST_ARCHITECTURE amd64)
  set(MIRUTOKA_WINE_LOADER /usr/lib/wine/wine64)
else()
  set(MIRUTOKA_WINDOWS_NAME win32)
  set(MIRUTOKA_MANIFEST_ARCHITECTURE x86)
  set(MIRUTOKA_WINE_LOADER /usr/lib/wine/wine)
endif()

set(CMAKE_C_COMPILER ${MIRUTOKA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIRUTOKA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MIRUTOKA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MIRUTOKA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR ${MIRUTOKA_WINE_LOADER})
