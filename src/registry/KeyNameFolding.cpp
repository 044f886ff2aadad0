// Decoding and folding of registry names: iconv on the portable build, the system code page
// tables on Windows.
#include "registry/KeyNameFolding.h"

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace {

constexpr char16_t kUndecodableBase = 0xF700;

bool IsAscii(const std::string& bytes) {
  for (unsigned char byte : bytes) {
    if (byte >= 0x80) return false;
  }
  return true;
}

#ifdef _WIN32

// One double-byte character to its UTF-16 unit, or false when the pair is not a character.
bool DecodePair(unsigned char lead, unsigned char trail, char16_t* unit) {
  const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  wchar_t wide[2] = {};
  if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) != 1) return false;
  *unit = static_cast<char16_t>(wide[0]);
  return true;
}

#else

// A conversion descriptor per thread: iconv keeps shift state in it, so it must not be shared.
class Cp932Decoder {
 public:
  Cp932Decoder() : descriptor_(iconv_open("UTF-16LE", "CP932")) {}
  ~Cp932Decoder() {
    if (usable()) iconv_close(descriptor_);
  }
  Cp932Decoder(const Cp932Decoder&) = delete;
  Cp932Decoder& operator=(const Cp932Decoder&) = delete;

  bool DecodePair(unsigned char lead, unsigned char trail, char16_t* unit) {
    if (!usable()) return false;
    char in_bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char out_bytes[4] = {};
    char* in = in_bytes;
    char* out = reinterpret_cast<char*>(out_bytes);
    std::size_t in_left = sizeof in_bytes;
    std::size_t out_left = sizeof out_bytes;
    const std::size_t converted = iconv(descriptor_, &in, &in_left, &out, &out_left);
    iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    // Exactly one UTF-16 unit from both bytes, or the pair is no character of the code page.
    if (converted == static_cast<std::size_t>(-1) || in_left != 0 || out_left != 2) return false;
    *unit = static_cast<char16_t>(out_bytes[0] | (out_bytes[1] << 8));
    return true;
  }

 private:
  bool usable() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t descriptor_;
};

bool DecodePair(unsigned char lead, unsigned char trail, char16_t* unit) {
  thread_local Cp932Decoder decoder;
  return decoder.DecodePair(lead, trail, unit);
}

#endif

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
  std::u16string folded = DecodeCp932(bytes);
  for (char16_t& unit : folded) unit = UpcaseUnit(unit);
  return folded;
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> components;
  if (path.empty()) return components;
  std::string current;
  for (std::size_t i = 0; i < path.size();) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (IsCp932LeadByte(byte) && i + 1 < path.size()) {
      current.append(path, i, 2);
      i += 2;
    } else if (byte == '\\') {
      components.push_back(std::move(current));
      current.clear();
      ++i;
    } else {
      current.push_back(path[i]);
      ++i;
    }
  }
  components.push_back(std::move(current));
  return components;
}
