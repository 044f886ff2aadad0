// One writer at a time: the add command holds this lock while it works on the rule store, so that
// two copies of the program never both read "Order" and write it back, one losing the other's rule.
// The store is the user's, so the lock is too: every session of that user shares one lock.
#pragma once

#include <string>

#include "win/Handles.h"

// The lock's name on this system for this program's user (WriterLockName.h); empty when the user
// cannot be read on a system that has users.
std::string RunningRuleStoreWriterLockName();

class RuleStoreWriterLock {
 public:
  // Waits up to wait_ms for the lock, the program's windows repainted meanwhile and input typed
  // during the wait thrown away (PaintingWait.h). A copy that ended without releasing it (killed,
  // crashed) leaves it to the next one: the store then shows what it left, which an installation
  // knows how to clean up.
  explicit RuleStoreWriterLock(DWORD wait_ms);
  RuleStoreWriterLock(const RuleStoreWriterLock&) = delete;
  RuleStoreWriterLock& operator=(const RuleStoreWriterLock&) = delete;

  // Whether the lock exists at all. Without it nothing tells whether another copy is writing, so a
  // lock that cannot be made is never taken as held.
  bool Made() const noexcept { return static_cast<bool>(mutex_); }
  bool Held() const noexcept { return static_cast<bool>(ownership_); }

 private:
  struct OwnershipTraits : NullIsInvalid<HANDLE> {
    static void Close(HANDLE mutex) noexcept { ReleaseMutex(mutex); }
  };
  UniqueKernelObject mutex_;
  UniqueHandle<OwnershipTraits> ownership_;  // released before the handle closes
};
