// The names of a store's "Order".
#include "rulestore/OrderNames.h"

#include <algorithm>

namespace {

// The number whose key name the token is: hexadecimal, zero-padded to three digits and no further.
// Anything else names no rule number.
bool ParseRuleNumber(const std::string& token, std::uint32_t* number) {
  if (token.size() < 3 || token.size() > 8 || (token.size() > 3 && token[0] == '0')) return false;
  *number = 0;
  for (const char digit : token) {
    std::uint32_t value = 0;
    if (digit >= '0' && digit <= '9') {
      value = static_cast<std::uint32_t>(digit - '0');
    } else if (digit >= 'a' && digit <= 'f') {
      value = static_cast<std::uint32_t>(digit - 'a' + 10);
    } else if (digit >= 'A' && digit <= 'F') {
      value = static_cast<std::uint32_t>(digit - 'A' + 10);
    } else {
      return false;
    }
    *number = *number * 16 + value;
  }
  return true;
}

template <typename Item>
void SortOnce(std::vector<Item>& items) {
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
}

}  // namespace

OrderNames ReadOrderNames(const std::string& order) {
  OrderNames listed;
  // A blank (0x20) is never the trail byte of a double-byte character.
  std::string::size_type start = 0;
  while (start <= order.size()) {
    std::string::size_type end = order.find(' ', start);
    if (end == std::string::npos) end = order.size();
    if (end > start) {
      listed.spellings.push_back(order.substr(start, end - start));
      std::uint32_t number = 0;
      if (ParseRuleNumber(listed.spellings.back(), &number)) listed.numbers.push_back(number);
    }
    start = end + 1;
  }
  SortOnce(listed.numbers);
  SortOnce(listed.spellings);
  return listed;
}

bool OrderListsExactly(const OrderNames& listed, const std::string& key_name) {
  return std::binary_search(listed.spellings.begin(), listed.spellings.end(), key_name);
}

bool OrderListsNumber(const OrderNames& listed, std::uint32_t number) {
  return std::binary_search(listed.numbers.begin(), listed.numbers.end(), number);
}
