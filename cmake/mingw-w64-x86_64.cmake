# 64-bit Windows: the same sources as the 32-bit build, for machines (and
# Wine installations) that run 64-bit programs only.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
