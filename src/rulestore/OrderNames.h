// The rule key names that a store's "Order" lists, compared as the registry compares key names.
// Folding ASCII letters is exact for the names this program makes (hexadecimal digits); the
// registry also folds letters beyond ASCII (full-width, Greek, Cyrillic), so a name with such
// characters is only "maybe" listed whenever "Order" holds a name with them too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class OrderNames {
 public:
  // "Order": names separated by blanks; a doubled or trailing blank separates nothing.
  explicit OrderNames(const std::string& order);

  // Whether key_name is listed or might be: where this comparison cannot tell, the answer is yes.
  bool MayList(const std::string& key_name) const;
  // Whether the key name of a rule number (RuleKeyNameOf) is listed.
  bool ListsNumber(std::uint32_t number) const;

 private:
  std::vector<std::string> folded_;
  std::vector<std::uint32_t> numbers_;  // of the names that are some rule number's key name
  bool any_non_ascii_ = false;
};
