// The string and memory functions of the C runtime, byte by byte: the program's texts are short, and
// the compiler must not turn these loops back into calls of the functions they are (src/app/CMakeLists.txt).
#include "app/CRuntimeFunctions.h"

void* MoveBytes(void* target, const void* source, std::size_t count) noexcept {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  // Backwards where the target starts inside the source, so that no byte is overwritten before it is read.
  if (to > from && to < from + count) {
    while (count-- > 0) to[count] = from[count];
  } else {
    for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
  }
  return target;
}

int CompareBytes(const void* left, const void* right, std::size_t count) noexcept {
  const auto* a = static_cast<const unsigned char*>(left);
  const auto* b = static_cast<const unsigned char*>(right);
  for (std::size_t i = 0; i < count; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

const void* FindByte(const void* bytes, int value, std::size_t count) noexcept {
  const auto* at = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < count; ++i) {
    if (at[i] == static_cast<unsigned char>(value)) return at + i;
  }
  return nullptr;
}

int CompareStrings(const char* left, const char* right) noexcept {
  const auto* a = reinterpret_cast<const unsigned char*>(left);
  const auto* b = reinterpret_cast<const unsigned char*>(right);
  while (*a != 0 && *a == *b) ++a, ++b;
  return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

std::size_t StringLength(const char* text) noexcept {
  std::size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

char* CopyStringPadded(char* target, const char* source, std::size_t count) noexcept {
  std::size_t i = 0;
  for (; i < count && source[i] != '\0'; ++i) target[i] = source[i];
  for (; i < count; ++i) target[i] = '\0';
  return target;
}
