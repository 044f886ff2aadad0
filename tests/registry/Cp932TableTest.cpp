// The in-memory registry's code page 932 table against the system's own conversion, over every
// single byte and every lead byte with every trail byte: iconv on the portable build,
// MultiByteToWideChar and WideCharToMultiByte under Windows. The table is the same in both builds, so
// their passing together says that the two conversions agree. (The single bytes 80, A0 and FD..FF,
// which iconv refuses, are checked under Windows only.)
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "HexBytes.h"
#include "registry/KeyNameFolding.h"

namespace {

#ifdef _WIN32

class SystemConversion {
 public:
  bool Usable() const { return true; }
  // The character's UTF-16 unit, or nothing when the bytes are not one character. Single bytes are
  // taken as the registry takes them: A0 and FD..FF become private-use characters that round-trip,
  // although the strict conversion refuses them.
  std::optional<char16_t> Decode(const std::string& bytes) {
    wchar_t wide[4] = {};
    const DWORD flags = bytes.size() == 1 ? 0 : MB_ERR_INVALID_CHARS;
    const int units = MultiByteToWideChar(932, flags, bytes.data(), static_cast<int>(bytes.size()), wide, 4);
    if (units != 1) return std::nullopt;
    return static_cast<char16_t>(wide[0]);
  }
  std::string Encode(char16_t unit) {
    const wchar_t wide = static_cast<wchar_t>(unit);
    char out[4] = {};
    const int size = WideCharToMultiByte(932, 0, &wide, 1, out, sizeof out, nullptr, nullptr);
    return std::string(out, size > 0 ? size : 0);
  }
};

#else

class SystemConversion {
 public:
  SystemConversion() : decode_(iconv_open("UTF-16LE", "CP932")), encode_(iconv_open("CP932", "UTF-16LE")) {}
  ~SystemConversion() {
    if (decode_ != kNone) iconv_close(decode_);
    if (encode_ != kNone) iconv_close(encode_);
  }
  SystemConversion(const SystemConversion&) = delete;
  SystemConversion& operator=(const SystemConversion&) = delete;

  bool Usable() const { return decode_ != kNone && encode_ != kNone; }
  std::optional<char16_t> Decode(const std::string& bytes) {
    const std::string out = Convert(decode_, bytes);
    if (out.size() != 2) return std::nullopt;
    return static_cast<char16_t>(static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
  }
  std::string Encode(char16_t unit) {
    const char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return Convert(encode_, std::string(in, 2));
  }

 private:
  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

  // The whole input converted, or nothing.
  static std::string Convert(iconv_t descriptor, std::string in) {
    char out[8];
    char* in_at = &in[0];
    char* out_at = out;
    std::size_t in_left = in.size();
    std::size_t out_left = sizeof out;
    const std::size_t result = iconv(descriptor, &in_at, &in_left, &out_at, &out_left);
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    if (result == static_cast<std::size_t>(-1) || in_left != 0) return std::string();
    return std::string(out, sizeof out - out_left);
  }

  iconv_t decode_;
  iconv_t encode_;
};

#endif

std::string Units(const std::u16string& units) {
  std::string text;
  for (char16_t unit : units) {
    char hex[8];
    std::snprintf(hex, sizeof hex, " U+%04X", static_cast<unsigned>(unit));
    text += hex;
  }
  return text;
}

TEST(Cp932Table, DecodesEncodesAndCanonicalisesAsTheSystemConversionDoes) {
  SystemConversion system;
  ASSERT_TRUE(system.Usable());
  std::vector<std::string> inputs;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    if (!IsCp932LeadByte(static_cast<unsigned char>(byte))) inputs.emplace_back(1, static_cast<char>(byte));
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0; trail <= 0xFF; ++trail) inputs.push_back({static_cast<char>(lead), static_cast<char>(trail)});
  }

  std::vector<std::string> differences;
  for (const std::string& bytes : inputs) {
    const std::optional<char16_t> unit = system.Decode(bytes);
    const std::u16string decoded = DecodeCp932(bytes);
    const std::string canonical = CanonicalCp932(bytes);
    if (unit) {
      const std::string system_canonical = system.Encode(*unit);
      bool exact = false;
      const std::string encoded = EncodeCp932(std::u16string(1, *unit), &exact);
      if (decoded != std::u16string(1, *unit) || canonical != system_canonical || encoded != system_canonical ||
          !exact) {
        differences.push_back(Hex(bytes) + ": the table gives" + Units(decoded) + ", " + Hex(canonical) +
                              "; the system" + Units(std::u16string(1, *unit)) + ", " + Hex(system_canonical));
      }
    } else if (bytes.size() == 2 && (decoded.size() != 2 || canonical != bytes)) {
      // No character: it must neither decode to one nor be rewritten.
      differences.push_back(Hex(bytes) + ": the system refuses it, the table gives" + Units(decoded) + ", " +
                            Hex(canonical));
    }
  }
  if (!differences.empty()) ADD_FAILURE() << differences.size() << " differences, the first: " << differences.front();
}

}  // namespace
