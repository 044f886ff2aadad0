// The display monitors through user32's monitor functions, where the system has them.
#include "ui/widgets/Monitors.h"

#include "base/SystemFunction.h"

namespace {

// user32's, as far as this system has them.
struct MonitorFunctions {
  decltype(&MonitorFromWindow) from_window;
  decltype(&MonitorFromRect) from_rect;
  decltype(&GetMonitorInfoA) info;
};

// The system's, when it has all three.
const MonitorFunctions* SystemMonitorFunctions() noexcept {
  static const MonitorFunctions functions{
      SystemFunction<decltype(&MonitorFromWindow)>("user32.dll", "MonitorFromWindow"),
      SystemFunction<decltype(&MonitorFromRect)>("user32.dll", "MonitorFromRect"),
      SystemFunction<decltype(&GetMonitorInfoA)>("user32.dll", "GetMonitorInfoA")};
  const bool complete = functions.from_window != nullptr && functions.from_rect != nullptr && functions.info != nullptr;
  return complete ? &functions : nullptr;
}

std::optional<RECT> AreaIfOther(HMONITOR monitor, HMONITOR own, const MonitorFunctions& functions) noexcept {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor == nullptr || monitor == own || !functions.info(monitor, &info)) return std::nullopt;
  return info.rcMonitor;
}

}  // namespace

std::optional<RECT> OtherMonitorArea(HWND window, HWND own) noexcept {
  const MonitorFunctions* functions = SystemMonitorFunctions();
  if (functions == nullptr) return std::nullopt;
  return AreaIfOther(functions->from_window(window, MONITOR_DEFAULTTONEAREST),
                     functions->from_window(own, MONITOR_DEFAULTTONEAREST), *functions);
}

std::optional<RECT> OtherMonitorArea(HWND window, const RECT& own) noexcept {
  const MonitorFunctions* functions = SystemMonitorFunctions();
  if (functions == nullptr) return std::nullopt;
  return AreaIfOther(functions->from_window(window, MONITOR_DEFAULTTONEAREST),
                     functions->from_rect(&own, MONITOR_DEFAULTTONEAREST), *functions);
}
