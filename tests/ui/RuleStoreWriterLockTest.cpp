// The writer lock as two copies meet it: one that holds it keeps the other out; one that ended
// without releasing it (killed, crashed) leaves it to the next. (A global name that gives no mutex:
// the GUI command tests.)
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/RuleStoreWriterLock.h"

namespace {

// Mutexes are the thread's: another copy is another thread here. With end_holding it ends without
// releasing what it took.
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

}  // namespace
