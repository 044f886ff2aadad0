// The names that a store's "Order" lists. Which key a name opens only the registry can tell (it
// folds letter case, beyond ASCII too), so the names are kept as they are, for it to open. The
// rule numbers among them are read as the registry compares their names: it folds the ASCII
// letters of a hexadecimal name, and nothing else onto them. The lookups search sorted lists: hash
// tables would bring libstdc++'s prebuilt growth policy, which computes in floating point with
// instructions that a 486 lacks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct OrderNames {
  std::vector<std::string> spellings;  // each listed name once, sorted
  std::vector<std::uint32_t> numbers;  // the rule numbers they name, each once, sorted
};

// "Order": names separated by blanks; a doubled or trailing blank separates nothing.
OrderNames ReadOrderNames(const std::string& order);
// Whether key_name is listed byte for byte (the registry may open a key by other spellings too).
bool OrderListsExactly(const OrderNames& listed, const std::string& key_name);
// Whether the key name of a rule number (RuleKeyNameOf) is listed, in any letter case.
bool OrderListsNumber(const OrderNames& listed, std::uint32_t number);
