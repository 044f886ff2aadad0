/* libgcc's target configuration, as a cross build of GCC for i686-w64-mingw32 generates it
   (gcc/tconfig.h and the part of auto-host.h it passes on): a build with runtime checking, so
   gcc_assert stays in, as in the distribution's libgcc. */
#define USED_FOR_TARGET 1
#define ENABLE_RUNTIME_CHECKING 1
