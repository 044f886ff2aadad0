// The rule store's writer lock: a named mutex.
#include "win/RuleStoreWriterLock.h"

const char* RuleStoreWriterLockName() noexcept {
  // Windows 98 and Me know no "Local\" prefix and would take the backslash as part of the name.
  const bool nt = (GetVersion() & 0x80000000u) == 0;
  return nt ? "Local\\Quellmark.RuleStoreWriter" : "Quellmark.RuleStoreWriter";
}

RuleStoreWriterLock::RuleStoreWriterLock(DWORD wait_ms) noexcept
    : mutex_(CreateMutexA(nullptr, FALSE, RuleStoreWriterLockName())) {
  if (!mutex_) return;
  const DWORD waited = WaitForSingleObject(mutex_.Get(), wait_ms);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ownership_.Reset(mutex_.Get());
}
