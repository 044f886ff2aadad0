// Numbers as text without printf, the program's one number formatter: the C runtime's formatter
// costs more than all its uses (rule key names, the fatal error's address, SIDs, the runtime's own
// messages).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// value in base 10 or 16 (upper-case letters), zero-padded to at least min_digits digits.
inline std::string NumberText(std::uint64_t value, unsigned base, std::size_t min_digits = 1) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % base]);
    value /= base;
  } while (value != 0);
  if (text.size() < min_digits) text.insert(0, min_digits - text.size(), '0');
  return text;
}

inline std::string UpperHex(std::uint64_t value, std::size_t min_digits) { return NumberText(value, 16, min_digits); }
