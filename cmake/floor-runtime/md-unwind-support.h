/* The unwinder's machine support for 32-bit Windows. */
#include "config/i386/w32-unwind.h"
