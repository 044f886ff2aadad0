/* libgcc's own target macros: none for i686-w64-mingw32. */
