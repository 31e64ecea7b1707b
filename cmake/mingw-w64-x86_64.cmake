# 64-bit Windows: the same sources as the 32-bit build, for machines (and
# Wine installations) that run 64-bit programs only.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MIRUTOKA_MINGW_TRIPLET x86_64-w64-mingw32)
set(MIRUTOKA_WINDOWS_NAME win64)  # also Wine's name for the prefix's architecture
set(MIRUTOKA_MANIFEST_ARCHITECTURE amd64)
set(MIRUTOKA_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
