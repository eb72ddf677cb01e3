# Cross toolchain: 32-bit Windows through mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZT_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
