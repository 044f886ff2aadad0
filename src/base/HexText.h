// Upper-case hexadecimal text without printf: the C runtime's formatter costs more than all its uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// value in upper-case hexadecimal, zero-padded to at least min_digits digits.
inline std::string UpperHex(std::uint32_t value, std::size_t min_digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (text.size() < min_digits) text.insert(0, min_digits - text.size(), '0');
  return text;
}
