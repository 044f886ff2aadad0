// The mail client check, free of Win32 so that it is tested natively.
#include "ui/guard/MailClientCheck.h"

namespace {

bool EqualsIgnoringAsciiCase(const std::string& left, const char* right) {
  std::string::size_type index = 0;
  for (; right[index] != '\0'; ++index) {
    if (index >= left.size()) return false;
    char a = left[index];
    char b = right[index];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return index == left.size();
}

}  // namespace

const std::string MailClientRunningMessage =
    "Outlook Express が起動しています。\r\n"
    "Outlook Express を終了してから、もう一度「追加」ボタンをクリックしてください。";

bool IsMailClientRunning(const std::optional<ProcessSnapshot>& snapshot) {
  if (!snapshot) return false;
  for (const RunningProcess& process : snapshot->processes) {
    const bool own_session = !process.session || *process.session == snapshot->own_session;
    if (own_session && EqualsIgnoringAsciiCase(process.exe_name, "msimn.exe")) return true;
  }
  return false;
}
