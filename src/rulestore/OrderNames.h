// The names that a store's "Order" lists. Which key a name opens only the registry can tell (it
// folds letter case, beyond ASCII too), so the names are kept as they are, for it to open. The
// rule numbers among them are read as the registry compares their names: it folds the ASCII
// letters of a hexadecimal name, and nothing else onto them. The lookups search sorted lists: hash
// tables would bring libstdc++'s prebuilt growth policy, which computes in floating point with
// instructions that a 486 lacks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

class OrderNames {
 public:
  // "Order": names separated by blanks; a doubled or trailing blank separates nothing.
  explicit OrderNames(const std::string& order);

  // Each name once, sorted.
  const std::vector<std::string>& Names() const noexcept { return spellings_; }
  // Whether key_name is listed byte for byte (the registry may open a key by other spellings too).
  bool ListsExactly(const std::string& key_name) const {
    return std::binary_search(spellings_.begin(), spellings_.end(), key_name);
  }
  // Whether the key name of a rule number (RuleKeyNameOf) is listed, in any letter case.
  bool ListsNumber(std::uint32_t number) const { return std::binary_search(numbers_.begin(), numbers_.end(), number); }

 private:
  std::vector<std::string> spellings_;  // sorted, each once
  std::vector<std::uint32_t> numbers_;  // sorted, each once
};
