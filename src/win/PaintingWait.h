// Waiting on the user-interface thread without leaving a frozen picture on the screen.
#pragma once

#include <windows.h>

// Waits up to timeout_ms for object, as WaitForSingleObject does and with its answers, while the
// thread's windows are repainted (a dialog that just closed leaves nothing behind) and nothing else
// is handled. When it had to wait, the keyboard and mouse input that arrived meanwhile is thrown
// away afterwards: it was meant for a window that could not take it, and a key pressed then must
// not answer the next dialog before the user has seen it. A WM_QUIT met meanwhile ends the wait
// (WAIT_TIMEOUT) and is posted again, for the message loop that is to end.
DWORD WaitKeepingWindowsPainted(HANDLE object, DWORD timeout_ms) noexcept;
