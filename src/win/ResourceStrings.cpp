// The string table of the Windows program: its own resources, read with LoadStringA in the
// system's ANSI code page (932 on a Japanese system).
#include <windows.h>

#include <vector>

#include "base/ResourceStrings.h"

std::string ResourceString(int id) {
  // LoadStringA cuts a text that does not fit; a text that fills the buffer may have been cut.
  constexpr std::size_t kLargest = 1 << 17;  // two bytes for each of a string's at most 65535 UTF-16 units
  for (std::size_t size = 256; size <= kLargest; size *= 2) {
    std::vector<char> buffer(size);
    const int length = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer.data(), static_cast<int>(size));
    if (length <= 0) return {};
    if (static_cast<std::size_t>(length) + 1 < size) return std::string(buffer.data(), static_cast<std::size_t>(length));
  }
  return {};
}
