// The mail client check against process lists that stand in for the snapshot.
#include <gtest/gtest.h>

#include "ui/MailClientCheck.h"

namespace {

constexpr std::uint32_t kOwnSession = 1;

// Processes of this program's own session.
std::optional<ProcessSnapshot> Listing(std::vector<std::string> names) {
  ProcessSnapshot snapshot{kOwnSession, {}};
  for (std::string& name : names) snapshot.processes.push_back({std::move(name), kOwnSession});
  return snapshot;
}

TEST(MailClientCheck, FindsTheMailClientWhateverItsLetterCase) {
  EXPECT_TRUE(IsMailClientRunning(Listing({"explorer.exe", "msimn.exe"})));
  EXPECT_TRUE(IsMailClientRunning(Listing({"MSIMN.EXE"})));
  EXPECT_TRUE(IsMailClientRunning(Listing({"MsImN.ExE", "quellmark.exe"})));
}

TEST(MailClientCheck, FindsTheMailClientByTheFullPathsOfWindows98AndMe) {
  EXPECT_TRUE(IsMailClientRunning(Listing({"C:\\WINDOWS\\EXPLORER.EXE", "C:\\PROGRAM FILES\\OUTLOOK EXPRESS\\MSIMN.EXE"})));
  EXPECT_TRUE(IsMailClientRunning(Listing({"c:\\Program Files\\Outlook Express\\MsImn.exe"})));
  // A folder named msimn.exe is no program, and "ソ" (83 5C) ends in a byte that is no separator.
  EXPECT_FALSE(IsMailClientRunning(Listing({"C:\\msimn.exe\\other.exe", "C:\\\x83\x5Cmsimn.exe"})));
}

TEST(MailClientCheck, OtherProcessesAndNearMissesDoNotCount) {
  EXPECT_FALSE(IsMailClientRunning(Listing({})));
  EXPECT_FALSE(IsMailClientRunning(Listing({"explorer.exe", "quellmark.exe"})));
  EXPECT_FALSE(IsMailClientRunning(Listing({"msimn.exe.bak", "xmsimn.exe", "msimn", "msimn.ex"})));
}

TEST(MailClientCheck, ASnapshotThatFailsLetsTheCommandGoOn) {
  EXPECT_FALSE(IsMailClientRunning(std::nullopt));
}

TEST(MailClientCheck, OnlyTheUsersOwnSessionCountsAndAnUnknownSessionDoes) {
  const auto with = [](std::optional<std::uint32_t> session) {
    return std::optional<ProcessSnapshot>(
        ProcessSnapshot{kOwnSession, {{"explorer.exe", kOwnSession}, {"msimn.exe", session}}});
  };
  EXPECT_FALSE(IsMailClientRunning(with(kOwnSession + 1)));  // another user's, by fast user switching
  EXPECT_FALSE(IsMailClientRunning(with(0)));
  EXPECT_TRUE(IsMailClientRunning(with(kOwnSession)));
  EXPECT_TRUE(IsMailClientRunning(with(std::nullopt)));
}

TEST(MailClientCheck, WarningIsCodePage932) {
  // "起動" in code page 932, and the button caption in its corner brackets 「追加」.
  EXPECT_NE(MailClientRunningMessage.find("\x8B\x4E\x93\xAE"), std::string::npos);
  EXPECT_NE(MailClientRunningMessage.find("\x81\x75\x92\xC7\x89\xC1\x81\x76"), std::string::npos);
}

}  // namespace
