// Reports the state of another program's windows for the GUI tests, read through the ANSI calls in
// the same Wine prefix: one line per window, texts as hexadecimal code page 932 bytes.
//
//   window_inspector.exe CLASS [MODULE...]  the top-level window of that class and all its
//                                           descendants, and where those modules of its process lie
//
// Lines, fields separated by tabs:
//   top     class text-hex style exstyle left,top,right,bottom client-width,client-height visible enabled owner-class
//   child   depth class text-hex style left,top,width,height(in the top window's client) visible enabled check selection
//   focus   class text-hex
//   module  name path-hex    for each module of the window's process whose name is given after CLASS
// "check" is BM_GETCHECK for buttons (-1 otherwise), "selection" TCM_GETCURSEL for tab controls (-1
// otherwise). Exit code 0, or 1 when no window of that class exists.
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

namespace {

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text.empty() ? "-" : text;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::string TextOf(HWND window) {
  // WM_GETTEXT is marshalled between processes; GetWindowTextA would not ask a control of another one.
  char text[4096] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                           &length)) {
    return {};
  }
  return std::string(text, length < sizeof text ? length : 0);
}

LRESULT Ask(HWND window, UINT message) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) return -2;
  return static_cast<LRESULT>(result);
}

HWND g_top = nullptr;

void PrintChildren(HWND parent, int depth) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::string window_class = ClassOf(child);
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, g_top, reinterpret_cast<POINT*>(&rect), 2);
    LRESULT check = -1;
    LRESULT selection = -1;
    if (lstrcmpiA(window_class.c_str(), "Button") == 0) check = Ask(child, BM_GETCHECK);
    if (lstrcmpiA(window_class.c_str(), WC_TABCONTROLA) == 0) selection = Ask(child, TCM_GETCURSEL);
    std::printf("child\t%d\t%s\t%s\t0x%08lx\t%ld,%ld,%ld,%ld\t%d\t%d\t%ld\t%ld\n", depth, window_class.c_str(),
                Hex(TextOf(child)).c_str(), static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)), rect.left,
                rect.top, rect.right - rect.left, rect.bottom - rect.top, IsWindowVisible(child) ? 1 : 0,
                IsWindowEnabled(child) ? 1 : 0, static_cast<long>(check), static_cast<long>(selection));
    PrintChildren(child, depth + 1);
  }
}

}  // namespace

// The paths of the window's process's modules named in names.
void PrintModules(HWND window, char** names, int count) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  MODULEENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
    for (int i = 0; i < count; ++i) {
      if (lstrcmpiA(entry.szModule, names[i]) == 0) std::printf("module\t%s\t%s\n", names[i], Hex(entry.szExePath).c_str());
    }
  }
  CloseHandle(snapshot);
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_inspector CLASS [MODULE...]\n");
    return 2;
  }
  g_top = FindWindowA(argv[1], nullptr);
  if (g_top == nullptr) return 1;
  RECT rect{};
  RECT client{};
  GetWindowRect(g_top, &rect);
  GetClientRect(g_top, &client);
  HWND owner = GetWindow(g_top, GW_OWNER);
  std::printf("top\t%s\t%s\t0x%08lx\t0x%08lx\t%ld,%ld,%ld,%ld\t%ld,%ld\t%d\t%d\t%s\n", argv[1], Hex(TextOf(g_top)).c_str(),
              static_cast<unsigned long>(GetWindowLongA(g_top, GWL_STYLE)),
              static_cast<unsigned long>(GetWindowLongA(g_top, GWL_EXSTYLE)), rect.left, rect.top, rect.right,
              rect.bottom, client.right, client.bottom, IsWindowVisible(g_top) ? 1 : 0, IsWindowEnabled(g_top) ? 1 : 0,
              owner != nullptr ? ClassOf(owner).c_str() : "-");
  PrintChildren(g_top, 1);
  PrintModules(g_top, argv + 2, argc - 2);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(g_top, nullptr), &info) && info.hwndFocus != nullptr) {
    std::printf("focus\t%s\t%s\n", ClassOf(info.hwndFocus).c_str(), Hex(TextOf(info.hwndFocus)).c_str());
  }
  std::fflush(stdout);
  return 0;
}
