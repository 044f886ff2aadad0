// Reads and holds the Win32 clipboard of its Wine prefix for the GUI tests, where xclip cannot see
// exact bytes (Wine hands CR LF to X as LF).
//
//   clipboard_tool.exe read     prints the CF_TEXT bytes up to their NUL as hexadecimal, or "-" when
//                               the clipboard holds no text; then on a line each its CF_LOCALE (the
//                               language identifier, hexadecimal) and its CF_UNICODETEXT (UTF-16LE
//                               bytes, hexadecimal), or "-"; exit code 0, or 1 when it will not open
//   clipboard_tool.exe put HEX  puts the bytes HEX on the clipboard as CF_TEXT
//   clipboard_tool.exe hold     opens the clipboard for a window of its own, prints "held" and keeps
//                               it open until its standard input ends (other programs cannot open it)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool OpenWithRetries(HWND owner) {
  // Another program may have it open for a moment (the program under test, Wine's X bridge).
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(20);
  }
  return false;
}

// Prints size bytes of the clipboard's data in format as hexadecimal, up to the first NUL unit of
// unit bytes when unit is not 0, or "-" when the clipboard has none.
void PrintFormat(UINT format, std::size_t unit) {
  HANDLE data = GetClipboardData(format);
  const auto* bytes = data != nullptr ? static_cast<const unsigned char*>(GlobalLock(data)) : nullptr;
  if (bytes == nullptr) {
    std::printf("-\n");
    return;
  }
  std::size_t length = GlobalSize(data);
  if (unit != 0) {
    for (std::size_t at = 0; at + unit <= length; at += unit) {
      if (std::memcmp(bytes + at, "\0\0", unit) == 0) {
        length = at;
        break;
      }
    }
  }
  for (std::size_t i = 0; i < length; ++i) std::printf("%02x", bytes[i]);
  std::printf("\n");
  GlobalUnlock(data);
}

int Read() {
  if (!OpenWithRetries(nullptr)) return 1;
  PrintFormat(CF_TEXT, 1);
  PrintFormat(CF_LOCALE, 0);
  PrintFormat(CF_UNICODETEXT, 2);
  CloseClipboard();
  return 0;
}

int Put(const char* hex) {
  std::string bytes;
  for (std::size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2) {
    const char pair[3] = {hex[i], hex[i + 1], '\0'};
    bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
  }
  if (!OpenWithRetries(nullptr)) return 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
  char* target = block != nullptr ? static_cast<char*>(GlobalLock(block)) : nullptr;
  if (target == nullptr) {
    if (block != nullptr) GlobalFree(block);
    CloseClipboard();
    return 1;
  }
  std::memcpy(target, bytes.c_str(), bytes.size() + 1);
  GlobalUnlock(block);
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_TEXT, block) != nullptr;
  if (!placed) GlobalFree(block);
  CloseClipboard();
  return placed ? 0 : 1;
}

int Hold() {
  // A clipboard opened without a window can be taken over by anyone else opening it without one.
  HWND owner = CreateWindowExA(0, "STATIC", "clipboard_tool", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  if (owner == nullptr || !OpenWithRetries(owner)) return 1;
  std::printf("held\n");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  CloseClipboard();
  DestroyWindow(owner);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "read") == 0) return Read();
  if (argc == 3 && std::strcmp(argv[1], "put") == 0) return Put(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "hold") == 0) return Hold();
  std::fprintf(stderr, "usage: clipboard_tool read | put HEX | hold\n");
  return 2;
}
