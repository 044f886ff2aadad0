/* The thread model of the compiler that links quellmark.exe: win32. */
#include "config/i386/gthr-win32.h"
