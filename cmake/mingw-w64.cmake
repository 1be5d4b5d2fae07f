# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX threads),
# linked statically (no DLL but the system's to ship), tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 8 and later; Unicode calls.
add_compile_definitions(_WIN32_WINNT=0x0602 UNICODE _UNICODE)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(DORVIK_WITH_QT OFF CACHE BOOL "" FORCE)
set(DORVIK_BUILD_BENCH OFF CACHE BOOL "" FORCE)
set(DORVIK_GTEST_SOURCE /usr/src/googletest CACHE PATH "")

find_program(DORVIK_WINE NAMES wine wine64)
if(DORVIK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DORVIK_WINE})
endif()
