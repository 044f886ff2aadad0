// The rule store's writer lock: a named mutex per user.
#include "win/RuleStoreWriterLock.h"

#include "base/WriterLockName.h"
#include "win/PaintingWait.h"
#include "win/ProcessUser.h"
#include "win/SystemFamily.h"

std::string RunningRuleStoreWriterLockName() {
  const SystemFamily family = RunningSystemFamily();
  if (family == SystemFamily::kWindows9x) return RuleStoreWriterLockName(family, {});
  const std::optional<SidBytes> user = ProcessUsers(family).OwnUser();
  return user ? RuleStoreWriterLockName(family, *user) : std::string();
}

RuleStoreWriterLock::RuleStoreWriterLock(DWORD wait_ms) {
  const std::string name = RunningRuleStoreWriterLockName();
  if (name.empty()) return;
  mutex_.Reset(CreateMutexA(nullptr, FALSE, name.c_str()));
  if (!mutex_) return;
  const DWORD waited = WaitKeepingWindowsPainted(mutex_.Get(), wait_ms);
  // Abandoned: its last holder ended without releasing it; the lock is ours now all the same.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ownership_.Reset(mutex_.Get());
}
