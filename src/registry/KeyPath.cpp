// Key paths split into their names. A file of its own, so that what splits a path brings nothing
// else along (the name folding beside it builds hash tables).
#include "registry/KeyPath.h"

#include "base/Cp932.h"

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> components;
  if (path.empty()) return components;
  std::string current;
  for (std::size_t i = 0; i < path.size();) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (IsCp932LeadByte(byte) && i + 1 < path.size()) {
      current.append(path, i, 2);
      i += 2;
    } else if (byte == '\\') {
      components.push_back(std::move(current));
      current.clear();
      ++i;
    } else {
      current.push_back(path[i]);
      ++i;
    }
  }
  components.push_back(std::move(current));
  return components;
}
