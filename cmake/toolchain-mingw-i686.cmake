# Cross-compiles the Windows program: 32-bit, ANSI, mingw-w64 with the win32 thread model.
# QUELLMARK_MINGW_THREADS=posix selects the posix variant, which GoogleTest needs (std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
if(NOT DEFINED QUELLMARK_MINGW_THREADS)
  set(QUELLMARK_MINGW_THREADS win32)
endif()
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${QUELLMARK_MINGW_THREADS})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${QUELLMARK_MINGW_THREADS})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
# The processor floor: the 486, on which Windows 98 still installs (the Pentium for Me and 2000).
# The compiler's default is the Pentium Pro, whose CMOV those processors lack. Every compile and
# link takes it (cmake/CompilerFlags.cmake; the link for the code that link-time optimisation
# generates there), and so do the runtime members rebuilt by cmake/FloorRuntime.cmake. Tuned for
# the processors of today.
set(QUELLMARK_FLOOR_FLAGS -march=i486 -mtune=generic)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests and the program run under Wine through a wrapper that sets the Japanese locale and a throwaway prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run)
