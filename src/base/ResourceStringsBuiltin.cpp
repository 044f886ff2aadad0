// The string table for builds that carry no Windows resources (native tests, benchmarks, fuzzing).
#include "base/ResourceStrings.h"

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
