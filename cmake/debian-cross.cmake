# Cross-building for another Debian architecture with Debian's cross compiler
# (crossbuild-essential-ARCH) against a sysroot of that architecture's Debian packages; both come
# from scripts/cross.sh, which passes -DCROSS_TRIPLE=aarch64-linux-gnu -DCROSS_PROCESSOR=aarch64
# -DCMAKE_SYSROOT=... The host's libraries and headers are never found.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${CROSS_PROCESSOR})
set(CMAKE_C_COMPILER ${CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLE}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${CROSS_TRIPLE})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CROSS_TRIPLE CROSS_PROCESSOR)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
