// One writer at a time: the add command holds this lock while it works on the rule store, so that
// two copies of the program never both read "Order" and write it back, one losing the other's rule.
#pragma once

#include "win/Handles.h"

// The lock's name, per user session (NT's "Local\" namespace; Windows 98 and Me have one session
// and no namespaces). Other copies, older and newer, must use the same.
const char* RuleStoreWriterLockName() noexcept;

class RuleStoreWriterLock {
 public:
  // Waits up to wait_ms for the lock. A copy that died holding it leaves it free; the store then
  // shows what it left, which an installation knows how to clean up. When the lock cannot be made
  // at all, it counts as held: a failure of ours must not stop the user from adding rules.
  explicit RuleStoreWriterLock(DWORD wait_ms) noexcept;
  RuleStoreWriterLock(const RuleStoreWriterLock&) = delete;
  RuleStoreWriterLock& operator=(const RuleStoreWriterLock&) = delete;

  bool Held() const noexcept { return !mutex_ || ownership_; }

 private:
  struct OwnershipTraits : NullIsInvalid<HANDLE> {
    static void Close(HANDLE mutex) noexcept { ReleaseMutex(mutex); }
  };
  UniqueKernelObject mutex_;
  UniqueHandle<OwnershipTraits> ownership_;  // released before the handle closes
};
