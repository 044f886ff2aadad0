// Handing a web address to the user's default web browser through the shell.
#pragma once

// ShellExecuteA with no owner window, "open", the address, no parameters, no directory and SW_SHOW.
// shell32 is loaded only now, from the system folder by its full path: nothing else of the program
// needs it, and importing it would load it, and all it brings, at every start. Just before, the DLLs
// that the shell loads by bare name are preloaded from the system folder (PreloadShellLoadedDlls).
// False when shell32 cannot be loaded or the shell refuses the address.
bool OpenInShell(const char* address) noexcept;
