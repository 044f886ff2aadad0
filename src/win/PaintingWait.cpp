// A wait that lets paint messages through.
#include "win/PaintingWait.h"

namespace {

void DiscardUserInput() noexcept {
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  while (PeekMessageA(&message, nullptr, WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, PM_REMOVE)) {
  }
}

}  // namespace

DWORD WaitKeepingWindowsPainted(HANDLE object, DWORD timeout_ms) noexcept {
  DWORD waited = WaitForSingleObject(object, 0);
  if (waited != WAIT_TIMEOUT) return waited;
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;  // unsigned: right across the counter's wrap
    if (elapsed >= timeout_ms) {
      waited = WAIT_TIMEOUT;
      break;
    }
    waited = MsgWaitForMultipleObjects(1, &object, FALSE, timeout_ms - elapsed, QS_PAINT);
    if (waited != WAIT_OBJECT_0 + 1) break;
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
  }
  DiscardUserInput();
  return waited;
}
