// The writer lock as two copies meet it: one that holds it keeps the other out; one that ended
// without releasing it (killed, crashed) leaves it to the next.
#include <gtest/gtest.h>
#include <windows.h>

#include "win/RuleStoreWriterLock.h"

namespace {

// Takes the lock on a thread of its own and ends that thread without releasing it.
DWORD WINAPI TakeAndEnd(void* name) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, static_cast<const char*>(name));
  WaitForSingleObject(mutex, INFINITE);
  CloseHandle(mutex);
  return 0;
}

TEST(RuleStoreWriterLock, AHolderKeepsOthersOutAndAnEndedOneLeavesItFree) {
  const std::string name = RunningRuleStoreWriterLockName();
  ASSERT_NE("", name);
  {
    const RuleStoreWriterLock first(0);
    ASSERT_TRUE(first.Made() && first.Held());
    // Mutexes are the thread's: another copy is another thread here.
    struct Attempt {
      static DWORD WINAPI Run(void* held) {
        const RuleStoreWriterLock second(50);
        *static_cast<bool*>(held) = second.Held() || !second.Made();
        return 0;
      }
    };
    bool second_held = true;
    HANDLE thread = CreateThread(nullptr, 0, Attempt::Run, &second_held, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_FALSE(second_held);
  }
  // An open handle keeps the abandoned mutex in existence, as a waiting copy's does.
  HANDLE keep = CreateMutexA(nullptr, FALSE, name.c_str());
  HANDLE thread = CreateThread(nullptr, 0, TakeAndEnd, const_cast<char*>(name.c_str()), 0, nullptr);
  ASSERT_NE(nullptr, thread);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_TRUE(RuleStoreWriterLock(0).Held());
  CloseHandle(keep);
}

}  // namespace
