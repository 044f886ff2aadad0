// The program's string table. The Windows builds read it from their own resources
// (ResourceStrings.rc), in the system's ANSI code page (932 on a Japanese system); the portable
// build, which has no resources, compiles the same entries in as code page 932 bytes.
#include "base/ResourceStrings.h"

#ifdef _WIN32

#include <windows.h>

#include <vector>

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

#else

namespace {
struct Entry {
  int id;
  const char* text;
};

#define RESOURCE_STRING(id, text) {id, text},
constexpr Entry kTable[] = {
#include "base/ResourceStrings.def"
};
#undef RESOURCE_STRING
}  // namespace

std::string ResourceString(int id) {
  for (const Entry& entry : kTable) {
    if (entry.id == id) return entry.text;
  }
  return {};
}

#endif
