// Which display monitor a window lies on. user32's monitor functions came with Windows 98 and 2000,
// so they are looked up at run time: Windows 95 and NT 4.0 know one screen only, where every
// window lies on the one monitor.
#pragma once

#include <windows.h>

#include <optional>

// The rectangle of the monitor that window lies on (the nearest one), when that is another monitor
// than the one that own lies on; nothing when both lie on one monitor, and always nothing on a system
// without the monitor functions.
std::optional<RECT> OtherMonitorArea(HWND window, HWND own) noexcept;
std::optional<RECT> OtherMonitorArea(HWND window, const RECT& own) noexcept;
