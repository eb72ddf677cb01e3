# Cross toolchain: 64-bit Windows through mingw-w64 (posix thread model).
# Used only where the machine cannot run 32-bit programs (see scripts/target-arch).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZT_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
