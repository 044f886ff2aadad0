/* libgcc's build installs unwind-generic.h as unwind.h. */
#include "unwind-generic.h"
