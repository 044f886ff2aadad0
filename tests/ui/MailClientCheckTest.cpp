// The mail client check against process lists that stand in for the snapshot.
#include <gtest/gtest.h>

#include "base/ResourceStrings.h"
#include "ui/MailClientCheck.h"

namespace {

// Processes of one owner.
std::optional<ProcessSnapshot> Listing(std::vector<std::string> names, ProcessOwner owner = ProcessOwner::kCurrentUser) {
  ProcessSnapshot snapshot;
  for (std::string& name : names) snapshot.push_back({std::move(name), owner});
  return snapshot;
}

TEST(MailClientCheck, FindsTheMailClientWhateverItsLetterCase) {
  EXPECT_TRUE(IsMailClientRunning(Listing({"explorer.exe", "msimn.exe"})));
  EXPECT_TRUE(IsMailClientRunning(Listing({"MSIMN.EXE"})));
  EXPECT_TRUE(IsMailClientRunning(Listing({"MsImN.ExE", "quellmark.exe"})));
}

TEST(MailClientCheck, FindsTheMailClientByTheFullPathsOfWindows98AndMe) {
  constexpr ProcessOwner k98 = ProcessOwner::kNoOwners;
  EXPECT_TRUE(IsMailClientRunning(Listing({"C:\\WINDOWS\\EXPLORER.EXE", "C:\\PROGRAM FILES\\OUTLOOK EXPRESS\\MSIMN.EXE"}, k98)));
  EXPECT_TRUE(IsMailClientRunning(Listing({"c:\\Program Files\\Outlook Express\\MsImn.exe"}, k98)));
  // A folder named msimn.exe is no program, and "ソ" (83 5C) ends in a byte that is no separator.
  EXPECT_FALSE(IsMailClientRunning(Listing({"C:\\msimn.exe\\other.exe", "C:\\\x83\x5Cmsimn.exe"}, k98)));
}

TEST(MailClientCheck, OtherProcessesAndNearMissesDoNotCount) {
  EXPECT_FALSE(IsMailClientRunning(Listing({})));
  EXPECT_FALSE(IsMailClientRunning(Listing({"explorer.exe", "quellmark.exe"})));
  EXPECT_FALSE(IsMailClientRunning(Listing({"msimn.exe.bak", "xmsimn.exe", "msimn", "msimn.ex"})));
}

TEST(MailClientCheck, ASnapshotThatFailsLetsTheCommandGoOn) {
  EXPECT_FALSE(IsMailClientRunning(std::nullopt));
}

TEST(MailClientCheck, OnlyTheUsersOwnMailClientCounts) {
  EXPECT_TRUE(IsMailClientRunning(Listing({"msimn.exe"}, ProcessOwner::kCurrentUser)));
  EXPECT_FALSE(IsMailClientRunning(Listing({"msimn.exe"}, ProcessOwner::kOtherUser)));  // fast user switching
  // The user's own processes grant the user query access: one that refuses it is someone else's.
  EXPECT_FALSE(IsMailClientRunning(Listing({"msimn.exe"}, ProcessOwner::kUnreadable)));
  // Owners as the NT list reads them from the tokens: one that would not open is nobody's.
  const std::vector<unsigned char> own{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}, other{1, 1, 0, 0, 0, 0, 0, 5, 19, 0, 0, 0};
  EXPECT_EQ(ProcessOwner::kUnreadable, OwnerOf(std::nullopt, own));
  EXPECT_EQ(ProcessOwner::kCurrentUser, OwnerOf(own, own));
  EXPECT_EQ(ProcessOwner::kOtherUser, OwnerOf(other, own));
  // Another user's mail client does not hide the user's own.
  EXPECT_TRUE(IsMailClientRunning(
      ProcessSnapshot{{"msimn.exe", ProcessOwner::kOtherUser}, {"MSIMN.EXE", ProcessOwner::kCurrentUser}}));
}

TEST(MailClientCheck, WarningIsCodePage932) {
  // From the string table, with the bytes it had as a literal of its own ("起動" 8B 4E 93 AE in code page 932).
  EXPECT_EQ("Outlook Express が起動しています。\r\nOutlook Express を終了してから、もう一度「追加」ボタンをクリックしてください。",
            ResourceString(kSMailClientRunning));
}

}  // namespace
