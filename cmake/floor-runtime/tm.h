/* The target macros libgcc's unwinder takes from gcc/tm.h (i386.h and defaults.h) that the
   compiler does not predefine under -fbuilding-libgcc. */
#define DWARF_REG_TO_UNWIND_COLUMN(REGNO) (REGNO)
#define LIBGCC2_UNWIND_ATTRIBUTE __attribute__((target ("no-mmx,no-sse")))
