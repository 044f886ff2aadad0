// The names of a store's "Order".
#include "rulestore/OrderNames.h"

#include <algorithm>

#include "base/Cp932Text.h"

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
    }
    start = end + 1;
  }
  std::sort(folded_.begin(), folded_.end());
}

bool OrderNames::Lists(const std::string& key_name) const {
  return std::binary_search(folded_.begin(), folded_.end(), FoldAsciiCase(key_name));
}

bool OrderNames::MayList(const std::string& key_name) const {
  return Lists(key_name) || (any_non_ascii_ && HasNonAscii(key_name));
}
