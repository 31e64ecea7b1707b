# 32-bit Windows: the build the program is made for, which runs on 64-bit Windows too.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MIRUTOKA_MINGW_TRIPLET i686-w64-mingw32)
set(MIRUTOKA_WINDOWS_NAME win32)  # also Wine's name for the prefix's architecture
set(MIRUTOKA_MANIFEST_ARCHITECTURE x86)
set(MIRUTOKA_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
