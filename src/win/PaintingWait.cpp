// A wait that lets paint messages through.
#include "win/PaintingWait.h"

namespace {

// Removes the next message in [first, last] as PeekMessageA does. PeekMessageA also hands over a
// pending WM_QUIT, whatever the range: that one belongs to the message loop, so it is posted again
// and *quit says so; the caller then peeks no more, or it would meet the quit once more.
bool TakeMessage(MSG& message, UINT first, UINT last, bool& quit) noexcept {
  if (!PeekMessageA(&message, nullptr, first, last, PM_REMOVE)) return false;
  if (message.message != WM_QUIT) return true;
  PostQuitMessage(static_cast<int>(message.wParam));
  quit = true;
  return false;
}

void DiscardUserInput(bool& quit) noexcept {
  static const UINT kInputRanges[][2] = {
      {WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST}, {WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK}};
  MSG message;
  for (const auto& range : kInputRanges) {
    while (!quit && TakeMessage(message, range[0], range[1], quit)) {
    }
  }
}

}  // namespace

DWORD WaitKeepingWindowsPainted(HANDLE object, DWORD timeout_ms) noexcept {
  DWORD waited = WaitForSingleObject(object, 0);
  if (waited != WAIT_TIMEOUT) return waited;
  const DWORD start = GetTickCount();
  const auto elapsed = [start] { return GetTickCount() - start; };  // unsigned: right across the wrap
  bool quit = false;
  for (;;) {
    const DWORD so_far = elapsed();
    if (quit || so_far >= timeout_ms) {
      waited = WAIT_TIMEOUT;
      break;
    }
    waited = MsgWaitForMultipleObjects(1, &object, FALSE, timeout_ms - so_far, QS_PAINT);
    if (waited != WAIT_OBJECT_0 + 1) break;
    // Also bounded by the deadline: a window that never validates itself (a broken input method's,
    // say) is handed WM_PAINT again and again.
    MSG message;
    while (elapsed() < timeout_ms && TakeMessage(message, WM_PAINT, WM_PAINT, quit)) DispatchMessageA(&message);
  }
  DiscardUserInput(quit);
  return waited;
}
