// The names that a store's "Order" lists. Which key a name opens only the registry can tell (it
// folds letter case, beyond ASCII too), so the names are kept as they are, for it to open. The
// rule numbers among them are read as the registry compares their names: it folds the ASCII
// letters of a hexadecimal name, and nothing else onto them.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

class OrderNames {
 public:
  // "Order": names separated by blanks; a doubled or trailing blank separates nothing.
  explicit OrderNames(const std::string& order);

  // Each name once, in the order first listed.
  const std::vector<std::string>& Names() const noexcept { return names_; }
  // Whether key_name is listed byte for byte (the registry may open a key by other spellings too).
  bool ListsExactly(const std::string& key_name) const { return spellings_.count(key_name) != 0; }
  // Whether the key name of a rule number (RuleKeyNameOf) is listed, in any letter case.
  bool ListsNumber(std::uint32_t number) const { return numbers_.count(number) != 0; }

 private:
  std::vector<std::string> names_;
  std::unordered_set<std::string> spellings_;
  std::unordered_set<std::uint32_t> numbers_;
};
