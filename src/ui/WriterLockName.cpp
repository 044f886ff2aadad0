// The writer lock's names per system and user, and a SID as text.
#include "ui/WriterLockName.h"

#include <cstdint>

#include "base/HexText.h"

namespace {

constexpr std::size_t kSidHeaderSize = 8;
constexpr std::size_t kMaxSubAuthorities = 15;

}  // namespace

std::string SidText(const std::vector<unsigned char>& sid) {
  if (sid.size() < kSidHeaderSize || sid[0] != 1) return {};
  const std::size_t count = sid[1];
  if (count > kMaxSubAuthorities || sid.size() != kSidHeaderSize + 4 * count) return {};
  std::uint64_t authority = 0;
  for (std::size_t i = 2; i < kSidHeaderSize; ++i) authority = authority << 8 | sid[i];
  // As the system writes it: an authority beyond 32 bits in hexadecimal.
  std::string text = "S-1-" + (authority >> 32 != 0 ? "0x" + NumberText(authority, 16, 12) : NumberText(authority, 10));
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* part = &sid[kSidHeaderSize + 4 * i];
    text += '-';
    const std::uint32_t sub_authority = std::uint32_t{part[0]} | std::uint32_t{part[1]} << 8 |
                                        std::uint32_t{part[2]} << 16 | std::uint32_t{part[3]} << 24;
    text += NumberText(sub_authority, 10);
  }
  return text;
}

std::vector<std::string> RuleStoreWriterLockNames(SystemFamily family, const std::vector<unsigned char>& user_sid) {
  static const char kBaseName[] = "Quellmark.RuleStoreWriter";
  if (family == SystemFamily::kWindows9x) return {kBaseName};
  const std::string user = SidText(user_sid);
  if (user.empty()) return {};
  const std::string name = kBaseName + ("." + user);
  return {"Global\\" + name, name};
}
