// Decoding, folding and canonical forms of registry names and strings, from a table of code page
// 932 that is the same on every build (tests check it against the system's own conversion).
#include "registry/KeyNameFolding.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <unordered_map>

namespace {

#include "registry/Cp932Table.inc"

constexpr char16_t kUndecodableBase = 0xF700;
constexpr unsigned kTrailsPerLead = 188;

bool IsAscii(const std::string& bytes) {
  for (unsigned char byte : bytes) {
    if (byte >= 0x80) return false;
  }
  return true;
}

// One double-byte character to its UTF-16 unit, or false when the pair is not a character.
bool DecodePair(unsigned char lead, unsigned char trail, char16_t* unit) {
  if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
  const unsigned trail_index = trail - 0x40u - (trail > 0x7F ? 1u : 0u);
  if (lead >= 0xF0 && lead <= 0xF9) {  // the user-defined area
    *unit = static_cast<char16_t>(0xE000 + (lead - 0xF0u) * kTrailsPerLead + trail_index);
    return true;
  }
  // The table's rows: 31 lead bytes 0x81..0x9F, 16 from 0xE0, 3 from 0xFA.
  unsigned row = 0;
  if (lead >= 0x81 && lead <= 0x9F) {
    row = lead - 0x81u;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    row = lead - 0xE0u + 31;
  } else if (lead >= 0xFA && lead <= 0xFC) {
    row = lead - 0xFAu + 47;
  } else {
    return false;
  }
  const char16_t decoded = kDoubleByteUnits[row][trail_index];
  if (decoded == 0) return false;
  *unit = decoded;
  return true;
}

// Single bytes above ASCII: halfwidth katakana, and the few bytes Windows maps to fixed code points.
char16_t DecodeSingleByte(unsigned char byte) {
  if (byte >= 0xA1 && byte <= 0xDF) return static_cast<char16_t>(0xFF61 + (byte - 0xA1));
  switch (byte) {
    case 0x80: return 0x0080;
    case 0xA0: return 0xF8F0;
    case 0xFD: return 0xF8F1;
    case 0xFE: return 0xF8F2;
    case 0xFF: return 0xF8F3;
    default: return static_cast<char16_t>(kUndecodableBase + byte);  // a lead byte with no trail
  }
}

const Cp932Alias* FindAlias(std::uint16_t code) {
  const auto alias =
      std::lower_bound(std::begin(kAliases), std::end(kAliases), code,
                       [](const Cp932Alias& entry, std::uint16_t wanted) { return entry.code < wanted; });
  return alias != std::end(kAliases) && alias->code == code ? alias : nullptr;
}

bool IsAlias(std::uint16_t code) { return FindAlias(code) != nullptr; }

}  // namespace

std::u16string DecodeCp932(const std::string& bytes) {
  std::u16string units;
  units.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      units.push_back(byte);
      ++i;
    } else if (IsCp932LeadByte(byte) && i + 1 < bytes.size()) {
      const auto trail = static_cast<unsigned char>(bytes[i + 1]);
      char16_t unit = 0;
      if (DecodePair(byte, trail, &unit)) {
        units.push_back(unit);
      } else {
        units.push_back(static_cast<char16_t>(kUndecodableBase + byte));
        units.push_back(static_cast<char16_t>(kUndecodableBase + trail));
      }
      i += 2;
    } else {
      units.push_back(DecodeSingleByte(byte));
      ++i;
    }
  }
  return units;
}

char16_t UpcaseUnit(char16_t unit) {
  if (unit < 0x80) return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 0x20) : unit;
  // Latin-1: à..þ except ÷; ÿ becomes Ÿ.
  if ((unit >= 0xE0 && unit <= 0xFE && unit != 0xF7)) return static_cast<char16_t>(unit - 0x20);
  if (unit == 0xFF) return 0x0178;
  // Greek.
  if (unit >= 0x03B1 && unit <= 0x03C1) return static_cast<char16_t>(unit - 0x20);
  if (unit == 0x03C2) return 0x03A3;  // final sigma
  if (unit >= 0x03C3 && unit <= 0x03CB) return static_cast<char16_t>(unit - 0x20);
  if (unit == 0x03AC) return 0x0386;
  if (unit >= 0x03AD && unit <= 0x03AF) return static_cast<char16_t>(unit - 0x25);
  if (unit == 0x03CC) return 0x038C;
  if (unit == 0x03CD || unit == 0x03CE) return static_cast<char16_t>(unit - 0x3F);
  if (unit >= 0x0370 && unit <= 0x0373 && (unit & 1)) return static_cast<char16_t>(unit - 1);
  // Cyrillic.
  if (unit >= 0x0430 && unit <= 0x044F) return static_cast<char16_t>(unit - 0x20);
  if (unit >= 0x0450 && unit <= 0x045F) return static_cast<char16_t>(unit - 0x50);
  // Small Roman numerals ⅰ..ⅿ.
  if (unit >= 0x2170 && unit <= 0x217F) return static_cast<char16_t>(unit - 0x10);
  // Fullwidth ａ..ｚ.
  if (unit >= 0xFF41 && unit <= 0xFF5A) return static_cast<char16_t>(unit - 0x20);
  return unit;
}

std::u16string FoldedName(const std::string& bytes) {
  // Most names (all of the program's own) are ASCII: no decoding needed.
  if (IsAscii(bytes)) {
    std::u16string folded(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) folded[i] = UpcaseUnit(static_cast<unsigned char>(bytes[i]));
    return folded;
  }
  return FoldedName(DecodeCp932(bytes));
}

std::u16string FoldedName(std::u16string units) {
  for (char16_t& unit : units) unit = UpcaseUnit(unit);
  return units;
}

std::string EncodeCp932(const std::u16string& units, bool* exact) {
  // The inverse of the decoding, built once: every code but the duplicates that canonical forms
  // replace, and the bytes that decode to fixed or private-use units.
  static const std::unordered_map<char16_t, std::uint16_t> codes = [] {
    std::unordered_map<char16_t, std::uint16_t> table;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
      const auto single = static_cast<unsigned char>(byte);
      if (!IsCp932LeadByte(single)) table.emplace(DecodeSingleByte(single), single);
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        const auto code = static_cast<std::uint16_t>((lead << 8) | trail);
        char16_t unit = 0;
        if (!IsAlias(code) && DecodePair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail), &unit)) {
          table.emplace(unit, code);
        }
      }
    }
    for (unsigned byte = 0; byte <= 0xFF; ++byte) table.emplace(static_cast<char16_t>(kUndecodableBase + byte), byte);
    return table;
  }();
  std::string bytes;
  *exact = true;
  for (const char16_t unit : units) {
    if (unit < 0x80) {
      bytes.push_back(static_cast<char>(unit));
      continue;
    }
    const auto found = codes.find(unit);
    if (found == codes.end()) {
      bytes.push_back('?');
      *exact = false;
    } else if (found->second > 0xFF) {
      bytes.push_back(static_cast<char>(found->second >> 8));
      bytes.push_back(static_cast<char>(found->second & 0xFF));
    } else {
      bytes.push_back(static_cast<char>(found->second));
    }
  }
  return bytes;
}

void CanonicalCp932(unsigned char* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size;) {
    if (!IsCp932LeadByte(bytes[i]) || i + 1 == size) {
      ++i;
      continue;
    }
    const auto code = static_cast<std::uint16_t>((bytes[i] << 8) | bytes[i + 1]);
    if (const Cp932Alias* alias = FindAlias(code)) {
      bytes[i] = static_cast<unsigned char>(alias->canonical >> 8);
      bytes[i + 1] = static_cast<unsigned char>(alias->canonical & 0xFF);
    }
    i += 2;
  }
}

std::string CanonicalCp932(std::string bytes) {
  CanonicalCp932(reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size());
  return bytes;
}

std::size_t Cp932Utf16Length(const std::string& bytes) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < bytes.size(); ++units) {
    i += (IsCp932LeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
  }
  return units;
}
