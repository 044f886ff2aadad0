// Keeps DLLs planted beside the program (a download folder) or in the current directory from being
// loaded into it, as far as a program can once its own code runs.
//
// What RestrictDllSearchToSystemDirectory protects, called first thing in ProgramEntry, before any
// window:
// - The current directory leaves the search order (SetDllDirectoryA, from XP SP1 on).
// - Where SetDefaultDllDirectories works (Windows 8 and later; Vista and 7 with update KB2533623),
//   every later load by bare name, the program's and the system's, searches the system folder only.
// - Elsewhere (2000, XP, Vista and 7 without that update, 98, Me), the DLLs that the system itself
//   loads by bare name while the window is up are loaded from the system folder by full path at
//   start, their own imports searched for there too, so that those later loads find them loaded
//   already: the theme library, which the first window pulls in (XP's common controls 6 and its
//   user32). What the shell, COM and the security calls load by bare name (the rest of the list
//   that well-known installers preload for this) is loaded the same way just before shell32, at the
//   first click of the home-page button (PreloadShellLoadedDlls), and not at every start.
//
// What it does not protect:
// - Whatever loads before ProgramEntry runs, which is the import table and what it brings: kernel32,
//   user32, gdi32 and advapi32 alone, KnownDLLs on every NT system and loaded by 95, 98 and Me for
//   the system itself, so from the system folder everywhere. comctl32, which is never a KnownDLL, is
//   not imported but loaded afterwards (ui/widgets/CommonControls.h), and the C runtime is the
//   program's own (app/CRuntimeFunctions.h). Not covered: what those four DLLs import or load while
//   they start (on East Asian systems user32 loads imm32 as it starts, and imm32 the input method
//   DLLs; on XP the text services' msctf.dll may follow with the first window, by a search that is
//   not documented).
// - On systems without SetDefaultDllDirectories, a DLL that the system loads by bare name and that
//   the list does not name: the program's own folder is still searched first for it.
// - On 98 and Me none of this is verified.
#pragma once

#include <windows.h>

void RestrictDllSearchToSystemDirectory() noexcept;

// Loads the DLL called name from the system folder by full path, its own imports searched for
// there too; null when it cannot be loaded.
HMODULE LoadSystemDll(const char* name) noexcept;

// The window's preload alone: the DLLs that the system loads by bare name while the window is up,
// from the system folder by full path.
void PreloadSystemLoadedDlls() noexcept;
// The shell's preload, to be called just before shell32 is loaded: where the search is not already
// restricted to the system folder (RestrictDllSearchToSystemDirectory, SetDefaultDllDirectories),
// the DLLs that the shell, COM and the security calls load by bare name, from the system folder by
// full path.
void PreloadShellLoadedDlls() noexcept;
