# 32-bit Windows with mingw-w64 (Debian's g++-mingw-w64-i686): quorvel_soft.dll
# and its import library. Nothing built here runs on this machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(quorvel_mingw_prefix i686-w64-mingw32)
set(CMAKE_C_COMPILER ${quorvel_mingw_prefix}-gcc)
set(CMAKE_CXX_COMPILER ${quorvel_mingw_prefix}-g++)
set(CMAKE_RC_COMPILER ${quorvel_mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${quorvel_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
