// Keeps DLLs planted beside the program or in the current directory from being loaded.
#pragma once

// Restricts later DLL loads (comctl32's themes, shell32's handlers ...) to the system directory
// where the system supports it, and takes the current directory out of the search either way.
void RestrictDllSearchToSystemDirectory() noexcept;
