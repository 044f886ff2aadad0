// The names of a store's "Order".
#include "rulestore/OrderNames.h"

#include <algorithm>

#include "base/Cp932Text.h"

namespace {

// The number whose key name is the folded token: hexadecimal, zero-padded to three digits and no
// further. Anything else names no rule number.
bool ParseRuleNumber(const std::string& folded, std::uint32_t* number) {
  if (folded.size() < 3 || folded.size() > 8 || (folded.size() > 3 && folded[0] == '0')) return false;
  *number = 0;
  for (const char digit : folded) {
    std::uint32_t value = 0;
    if (digit >= '0' && digit <= '9') {
      value = static_cast<std::uint32_t>(digit - '0');
    } else if (digit >= 'a' && digit <= 'f') {
      value = static_cast<std::uint32_t>(digit - 'a' + 10);
    } else {
      return false;
    }
    *number = *number * 16 + value;
  }
  return true;
}

}  // namespace

OrderNames::OrderNames(const std::string& order) {
  // A blank (0x20) is never the trail byte of a double-byte character.
  std::string::size_type start = 0;
  while (start <= order.size()) {
    std::string::size_type end = order.find(' ', start);
    if (end == std::string::npos) end = order.size();
    if (end > start) {
      const std::string token = order.substr(start, end - start);
      any_non_ascii_ = any_non_ascii_ || HasNonAscii(token);
      folded_.push_back(FoldAsciiCase(token));
      std::uint32_t number = 0;
      if (ParseRuleNumber(folded_.back(), &number)) numbers_.push_back(number);
    }
    start = end + 1;
  }
}

bool OrderNames::MayList(const std::string& key_name) const {
  if (any_non_ascii_ && HasNonAscii(key_name)) return true;
  return std::find(folded_.begin(), folded_.end(), FoldAsciiCase(key_name)) != folded_.end();
}

bool OrderNames::ListsNumber(std::uint32_t number) const {
  return std::find(numbers_.begin(), numbers_.end(), number) != numbers_.end();
}
