# Cross build for x86_64 Windows with the mingw-w64 compilers (win32 thread model).
# Programs built here run under Wine when it is installed, which is how CTest
# runs the Windows tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER   x86_64-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++)
set(CMAKE_RC_COMPILER  x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The 64-bit loader itself where Debian keeps it: its wine command picks the
# 32-bit loader whenever wine32 is installed, even on a kernel that cannot run it.
find_program(WINE_EXECUTABLE NAMES wine64 wine PATHS /usr/lib/wine)
if(WINE_EXECUTABLE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_EXECUTABLE})
endif()
