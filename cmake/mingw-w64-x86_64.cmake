# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (the -posix variant, whose threads Qt
# needs). Programs built with it run here under Wine, which ctest uses to run the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARVIK_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARVIK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVIK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVIK_MINGW}-windres)
set(CMAKE_AR ${TARVIK_MINGW}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TARVIK_MINGW}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TARVIK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Debian's wine64 package puts its loader here and no wine64 on the PATH.
find_program(TARVIK_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TARVIK_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TARVIK_WINE})
endif()
