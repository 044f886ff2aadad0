// The writer lock's names: one per user on every system, valid where it is used.
#include <gtest/gtest.h>

#include "ui/WriterLockName.h"

namespace {

// S-1-5-21-1004336348-1177238915-682003330-1001 and another user of the same machine.
const std::vector<unsigned char> kUser{1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0xDC, 0xF4, 0xDC, 0x3B, 0x83, 0x3D, 0x2B,
                                       0x46, 0x82, 0x8B, 0xA6, 0x28, 0xE9, 0x03, 0, 0};
std::vector<unsigned char> OtherUser() {
  std::vector<unsigned char> sid = kUser;
  sid.back() = 1;  // ...-16778217
  return sid;
}

TEST(RuleStoreWriterLockNames, OnePerUserOnEverySystemGlobalFirst) {
  const std::string name = "Quellmark.RuleStoreWriter.S-1-5-21-1004336348-1177238915-682003330-1001";
  EXPECT_EQ((std::vector<std::string>{"Global\\" + name, name}), RuleStoreWriterLockNames(SystemFamily::kWindowsNt, kUser));
  EXPECT_EQ(std::vector<std::string>{"Quellmark.RuleStoreWriter"}, RuleStoreWriterLockNames(SystemFamily::kWindows9x, {}));
  EXPECT_NE(RuleStoreWriterLockNames(SystemFamily::kWindowsNt, kUser),
            RuleStoreWriterLockNames(SystemFamily::kWindowsNt, OtherUser()));
  EXPECT_TRUE(RuleStoreWriterLockNames(SystemFamily::kWindowsNt, {}).empty());
}

TEST(SidText, WritesWhatTheSystemWritesAndRefusesWhatIsNoSid) {
  EXPECT_EQ("S-1-5-18", SidText({1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}));
  EXPECT_EQ("S-1-0x010000000000", SidText({1, 0, 1, 0, 0, 0, 0, 0}));  // an authority beyond 32 bits
  EXPECT_EQ("S-1-5-21-1004336348-1177238915-682003330-16778217", SidText(OtherUser()));
  std::vector<unsigned char> short_by_one = kUser;
  short_by_one.pop_back();
  EXPECT_EQ("", SidText(short_by_one));
  std::vector<unsigned char> revision_two = kUser;
  revision_two[0] = 2;
  EXPECT_EQ("", SidText(revision_two));
  // A SID has at most 15 sub-authorities: 15 give the full lock name, 16 none, each at its size.
  const auto with_parts = [](unsigned char count) {
    std::vector<unsigned char> sid{1, count, 0, 0, 0, 0, 0, 5};
    for (unsigned char part = 1; part <= count; ++part) sid.insert(sid.end(), {part, 0, 0, 0});
    return sid;
  };
  EXPECT_EQ("Global\\Quellmark.RuleStoreWriter.S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15",
            RuleStoreWriterLockNames(SystemFamily::kWindowsNt, with_parts(15)).front());
  EXPECT_TRUE(RuleStoreWriterLockNames(SystemFamily::kWindowsNt, with_parts(16)).empty());
}

}  // namespace
