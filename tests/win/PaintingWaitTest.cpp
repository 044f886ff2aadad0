// The lock's wait against what the thread's queue may hold meanwhile: a quit, and a window that
// never stops asking to be painted.
#include <gtest/gtest.h>
#include <windows.h>

#include "win/Handles.h"
#include "win/PaintingWait.h"

namespace {

// A window that leaves every WM_PAINT unanswered, so the system hands out another at once. Past
// five seconds it gives in, so that a wait that ignores its deadline fails the case, not hangs it.
DWORD g_shown_at = 0;
bool g_gave_in = false;
int g_paints = 0;

LRESULT CALLBACK NeverValidated(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wparam, lparam);
  ++g_paints;
  if (GetTickCount() - g_shown_at > 5000) g_gave_in = ValidateRect(window, nullptr) != FALSE;
  return 0;
}

UniqueHwnd ShowNeverValidatedWindow() {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = NeverValidated;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "NeverValidated";
  RegisterClassA(&window_class);
  UniqueHwnd window(CreateWindowA("NeverValidated", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                    nullptr, window_class.hInstance, nullptr));
  g_shown_at = GetTickCount();
  g_gave_in = false;
  g_paints = 0;
  return window;
}

TEST(PaintingWait, EndsByItsDeadlineThoughAWindowIsNeverValidated) {
  const UniqueKernelObject never(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const UniqueHwnd window = ShowNeverValidatedWindow();
  ASSERT_TRUE(window);
  EXPECT_EQ(WAIT_TIMEOUT, WaitKeepingWindowsPainted(never.Get(), 300));
  EXPECT_GT(g_paints, 0);
  EXPECT_FALSE(g_gave_in) << "the wait went on past its deadline while paints kept coming";
}

TEST(PaintingWait, AQuitMetDuringTheWaitEndsItAndStaysForTheMessageLoop) {
  const UniqueKernelObject never(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  // Met by the input thrown away after a wait with nothing to paint, and by the paints.
  for (const bool painting : {false, true}) {
    const UniqueHwnd window = painting ? ShowNeverValidatedWindow() : UniqueHwnd();
    PostQuitMessage(7);
    EXPECT_EQ(WAIT_TIMEOUT, WaitKeepingWindowsPainted(never.Get(), painting ? 8000 : 300));
    EXPECT_FALSE(g_gave_in) << "the quit did not end the wait";
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << painting;
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), message.message);
    EXPECT_EQ(7u, message.wParam);
  }
}

}  // namespace
