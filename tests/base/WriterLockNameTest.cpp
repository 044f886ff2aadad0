// The writer lock's name: one per user on every system, valid where it is used.
#include <gtest/gtest.h>

#include "base/WriterLockName.h"

namespace {

// S-1-5-21-1004336348-1177238915-682003330-1001 and another user of the same machine.
const std::vector<unsigned char> kUser{1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0xDC, 0xF4, 0xDC, 0x3B, 0x83, 0x3D, 0x2B,
                                       0x46, 0x82, 0x8B, 0xA6, 0x28, 0xE9, 0x03, 0, 0};
std::vector<unsigned char> OtherUser() {
  std::vector<unsigned char> sid = kUser;
  sid.back() = 1;  // ...-16778217
  return sid;
}

TEST(RuleStoreWriterLockName, OnePerUserOnEverySystem) {
  EXPECT_EQ("Global\\Quellmark.RuleStoreWriter.S-1-5-21-1004336348-1177238915-682003330-1001",
            RuleStoreWriterLockName(SystemFamily::kNt5AndLater, kUser));
  // NT 4.0 has no namespaces: a backslash would make the name invalid.
  EXPECT_EQ("Quellmark.RuleStoreWriter.S-1-5-21-1004336348-1177238915-682003330-1001",
            RuleStoreWriterLockName(SystemFamily::kNt4, kUser));
  EXPECT_EQ("Quellmark.RuleStoreWriter", RuleStoreWriterLockName(SystemFamily::kWindows9x, {}));
  for (const SystemFamily nt : {SystemFamily::kNt4, SystemFamily::kNt5AndLater}) {
    EXPECT_NE(RuleStoreWriterLockName(nt, kUser), RuleStoreWriterLockName(nt, OtherUser()));
    EXPECT_EQ("", RuleStoreWriterLockName(nt, {}));
  }
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
  EXPECT_EQ("", SidText({1, 16, 0, 0, 0, 0, 0, 5}));  // more sub-authorities than a SID has
}

}  // namespace
