# 32-bit Windows: the build the program is made for, which runs on 64-bit Windows too.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
