/* What libgcc's configure finds for i686-w64-mingw32 that these members use: the unwinder
   offers _Unwind_GetIPInfo. */
#define HAVE_GETIPINFO 1
