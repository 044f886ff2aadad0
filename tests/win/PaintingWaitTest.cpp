// The lock's wait against a quit and a window that never stops asking to be painted, and the
// process list of the mail client check, per family.
#include <gtest/gtest.h>
#include <windows.h>

#include "win/Handles.h"
#include "win/PaintingWait.h"
#include "win/ProcessList.h"

namespace {

// Leaves every WM_PAINT unanswered, so another comes at once; past 5 s it gives in, so that a wait
// that ignores its deadline fails the case instead of hanging it.
DWORD g_shown_at = 0;
bool g_gave_in = false;
LRESULT CALLBACK NeverValidated(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wparam, lparam);
  if (GetTickCount() - g_shown_at > 5000) g_gave_in = ValidateRect(window, nullptr) != FALSE;
  return 0;
}

TEST(PaintingWait, EndsByItsDeadlineOrAQuitWhichStaysForTheMessageLoop) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = NeverValidated;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "NeverValidated";
  ASSERT_NE(0, RegisterClassA(&window_class));
  const UniqueKernelObject never(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  // A quit met by the input thrown away after the wait, or by the paints, which alone would not end.
  for (const int row : {0, 1, 2}) {
    const UniqueHwnd window(row == 0 ? nullptr
                                     : CreateWindowA("NeverValidated", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                                     100, nullptr, nullptr, window_class.hInstance, nullptr));
    g_shown_at = GetTickCount();
    if (row != 1) PostQuitMessage(7);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitKeepingWindowsPainted(never.Get(), row == 2 ? 8000 : 300)) << row;
    EXPECT_FALSE(g_gave_in) << row;
    MSG message{};
    EXPECT_EQ(row != 1, PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message == WM_QUIT &&
                            message.wParam == 7) << row;
  }
}

bool IsThisProgram(const std::string& exe_name) { return exe_name == "win_lock_tests.exe"; }

// Wine is of the NT family, whatever version it reports; told it is 98, the list comes from Toolhelp.
TEST(ProcessList, ListsOnlyTheProcessesAskedForWithTheOwnersTheirSystemHas) {
  for (const SystemFamily family : {SystemFamily::kNt5AndLater, SystemFamily::kNt4, SystemFamily::kWindows9x}) {
    const std::optional<ProcessSnapshot> listed = ListRunningProcesses(family, IsThisProgram);
    ASSERT_TRUE(listed && listed->size() == 1) << static_cast<int>(family);
    EXPECT_EQ(family == SystemFamily::kWindows9x ? ProcessOwner::kNoOwners : ProcessOwner::kCurrentUser,
              listed->front().owner);
  }
}

}  // namespace
