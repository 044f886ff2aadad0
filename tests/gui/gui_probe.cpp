// A tiny window that proves the GUI test harness: its caption, keys, clicks, clipboard and registry writes are known.
//
// W copies HKCU\Software\Quellmark Probe\Text to "Echo" through the ANSI calls, and once more without
// its terminator to "EchoNoTerminator"; a left click stores its client coordinates as "ClickX" and
// "ClickY"; C puts a Japanese CF_TEXT on the clipboard. Closing the window ends the process with the
// exit code given on the command line (0 without one).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

const char kCaption[] = "探針ウィンドウ";
const char kClassName[] = "QuellmarkGuiProbe";
const char kProbeKey[] = "Software\\Quellmark Probe";
const char kClipboardText[] = "クリップボード試験";
const int kClientWidth = 320;
const int kClientHeight = 200;
const DWORD kMaxText = 4096;

int g_exitCode = 0;

class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  bool Create(HKEY root, const char* path) {
    return RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr) ==
           ERROR_SUCCESS;
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class GlobalMemory {
 public:
  explicit GlobalMemory(SIZE_T size) : memory_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
  GlobalMemory(const GlobalMemory&) = delete;
  GlobalMemory& operator=(const GlobalMemory&) = delete;
  ~GlobalMemory() {
    if (memory_) GlobalFree(memory_);
  }
  HGLOBAL get() const { return memory_; }
  HGLOBAL release() { return std::exchange(memory_, nullptr); }

 private:
  HGLOBAL memory_;
};

class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  bool is_open() const { return open_; }

 private:
  bool open_;
};

void StoreDword(const char* name, DWORD value) {
  RegKey key;
  if (key.Create(HKEY_CURRENT_USER, kProbeKey))
    RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// The bytes go through RegQueryValueExA and RegSetValueExA unchanged, so the copy shows exactly what
// the ANSI side of the registry sees of a fixture.
void EchoText() {
  RegKey key;
  if (!key.Create(HKEY_CURRENT_USER, kProbeKey)) return;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), "Text", nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ ||
      size > kMaxText)
    return;
  std::string text(size, '\0');
  if (RegQueryValueExA(key.get(), "Text", nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key.get(), "Echo", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()), size);
  // RegSetValueEx counts a terminator left out of the size when the byte after the data is NUL, as
  // NT does; a non-NUL byte there keeps the value unterminated.
  if (size > 0 && text[size - 1] == '\0') {
    text[size - 1] = '!';
    RegSetValueExA(key.get(), "EchoNoTerminator", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()), size - 1);
  }
}

void CopyToClipboard(HWND window) {
  GlobalMemory memory(sizeof kClipboardText);
  if (!memory.get()) return;
  void* target = GlobalLock(memory.get());
  if (!target) return;
  std::memcpy(target, kClipboardText, sizeof kClipboardText);
  GlobalUnlock(memory.get());
  ClipboardSession clipboard(window);
  if (!clipboard.is_open() || !EmptyClipboard()) return;
  if (SetClipboardData(CF_TEXT, memory.get())) memory.release();  // the clipboard owns it now
}

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == 'W') EchoText();
      if (wParam == 'C') CopyToClipboard(window);
      return 0;
    case WM_LBUTTONDOWN:
      StoreDword("ClickX", static_cast<DWORD>(static_cast<short>(LOWORD(lParam))));
      StoreDword("ClickY", static_cast<DWORD>(static_cast<short>(HIWORD(lParam))));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(g_exitCode);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  g_exitCode = std::atoi(commandLine);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass)) return 100;

  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  HWND window = CreateWindowA(kClassName, kCaption, WS_OVERLAPPEDWINDOW, 40, 40, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!window) return 101;
  ShowWindow(window, showCommand);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
