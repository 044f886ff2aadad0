// The writer lock as two copies meet it: one that holds it keeps the other out; one that
// ended without releasing it (killed, crashed) leaves it to the next; a global name taken by an
// object this user cannot have does not refuse the add.
#include <gtest/gtest.h>
#include <windows.h>

#include "base/SystemFamily.h"
#include "ui/ProcessUser.h"
#include "ui/RuleStoreWriterLock.h"
#include "ui/WriterLockName.h"

namespace {

std::string GlobalLockName() {
  const std::optional<SidBytes> user = OwnProcessUser(SystemFamily::kWindowsNt);
  return user ? RuleStoreWriterLockNames(SystemFamily::kWindowsNt, *user).front() : std::string();
}

// Mutexes are the thread's: another copy is another thread here. It tries the lock, and with
// end_holding ends without releasing what it took.
struct OtherCopy {
  bool end_holding = false;
  WriterLockAttempt attempt = WriterLockAttempt::kUnavailable;
  static DWORD WINAPI Run(void* self) {
    auto* copy = static_cast<OtherCopy*>(self);
    RuleStoreWriterLock lock;
    copy->attempt = TryRuleStoreWriterLock(lock);
    if (copy->end_holding) lock.ownership.Release();
    return 0;
  }
  WriterLockAttempt RunToEnd() {
    HANDLE thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    if (thread == nullptr) return WriterLockAttempt::kUnavailable;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return attempt;
  }
};

TEST(RuleStoreWriterLock, AHolderKeepsOthersOutAndAnEndedOneLeavesItFree) {
  ASSERT_EQ(SystemFamily::kWindowsNt, RunningSystemFamily());
  {
    RuleStoreWriterLock first;
    ASSERT_EQ(WriterLockAttempt::kTaken, TryRuleStoreWriterLock(first));
    EXPECT_EQ(WriterLockAttempt::kHeldElsewhere, OtherCopy{}.RunToEnd());
  }
  // An open handle keeps the abandoned mutex in existence, as a waiting copy's does.
  RuleStoreWriterLock keep;
  ASSERT_EQ(WriterLockAttempt::kTaken, TryRuleStoreWriterLock(keep));
  keep.ownership.Reset();
  EXPECT_EQ(WriterLockAttempt::kTaken, OtherCopy{true}.RunToEnd());
  RuleStoreWriterLock next;
  EXPECT_EQ(WriterLockAttempt::kTaken, TryRuleStoreWriterLock(next));
}

TEST(RuleStoreWriterLock, AGlobalNameThatGivesNoMutexLeavesTheSessionsLock) {
  // As another user who made the name first with an access list that shuts this one out: Wine
  // grants what such a list refuses, so an event holds the name here, of which no mutex can be made
  // either.
  const std::string global = GlobalLockName();
  ASSERT_NE("", global);
  HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, global.c_str());
  ASSERT_NE(nullptr, squatter);
  {
    RuleStoreWriterLock lock;
    EXPECT_EQ(WriterLockAttempt::kTaken, TryRuleStoreWriterLock(lock));
    // Two copies of this session still keep each other out.
    EXPECT_EQ(WriterLockAttempt::kHeldElsewhere, OtherCopy{}.RunToEnd());
  }
  CloseHandle(squatter);
}

}  // namespace
