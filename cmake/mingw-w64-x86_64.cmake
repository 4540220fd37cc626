# Cross-build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
# The posix thread-model compilers give std::thread and std::mutex. Binaries
# link the runtime statically, so they need no DLLs besides Windows' own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNLINK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VARNLINK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNLINK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNLINK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VARNLINK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test programs under Wine (the Debian wine64 package).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

# There is no GoogleTest built for MinGW: the test suite builds it from
# Debian's source package (see mingw-gtest/GTestConfig.cmake).
set(GTest_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-gtest CACHE PATH "GoogleTest built from source")

# GCC 12 reports a false -Wrestrict inside libstdc++'s string concatenation
# when optimising (GCC bug 105651); it stays a warning rather than an error.
set(CMAKE_CXX_FLAGS_INIT "-Wno-error=restrict")
