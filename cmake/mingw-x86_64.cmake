# Cross toolchain: 64-bit Windows through mingw-w64 (posix thread model).
# Used only where the machine cannot run 32-bit programs (see scripts/target-arch).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(ZT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${ZT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZT_MINGW_PREFIX}-windres)
set(CMAKE_AR           ${ZT_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB       ${ZT_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${ZT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
