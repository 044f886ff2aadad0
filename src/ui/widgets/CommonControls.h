// The common controls (comctl32), which the tab control and the visual styles come from. Loaded at
// run time rather than imported: comctl32 is not one of the DLLs that Windows always takes from its
// system folder, so an imported one would be looked for beside the program first, before any code
// of ours runs, wherever the program's manifest does not send it to the side-by-side store.
#pragma once

// Loads comctl32 and registers the window classes of the standard controls and the tab control.
// Where the system has a side-by-side store (XP and later: it has activation contexts), by name,
// which the program's manifest leads to Common Controls 6 there; before XP by full path from the
// system folder, after the DLL search hardening (base/DllSearchHardening.h). Raises Exception when
// the common controls cannot be had: Windows 95 without Internet Explorer 3 or later has none that
// know InitCommonControlsEx (4.70).
void LoadCommonControls();
