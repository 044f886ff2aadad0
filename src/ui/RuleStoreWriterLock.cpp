// The rule store's writer lock: a named mutex per user.
#include "ui/RuleStoreWriterLock.h"

#include <string>
#include <vector>

#include "base/SystemFamily.h"
#include "ui/ProcessUser.h"
#include "ui/WriterLockName.h"

namespace {

// 95, 98 and Me have no users; on NT a user that cannot be read names no lock.
std::vector<std::string> RunningLockNames() {
  const SystemFamily family = RunningSystemFamily();
  return RuleStoreWriterLockNames(family, OwnProcessUser(family).value_or(SidBytes{}));
}

}  // namespace

WriterLockAttempt TryRuleStoreWriterLock(RuleStoreWriterLock& lock) {
  // The first name that gives a mutex is the lock. The global name fails where the system has no
  // global namespace (NT 4.0 refuses the backslash), and where another user made an object of that
  // name first that this user may not open: then the session's own name keeps two copies of this
  // session apart, rather than every add being refused for good.
  for (const std::string& name : RunningLockNames()) {
    lock.mutex.Reset(CreateMutexA(nullptr, FALSE, name.c_str()));
    if (lock.mutex) break;
  }
  if (!lock.mutex) return WriterLockAttempt::kUnavailable;
  const DWORD waited = WaitForSingleObject(lock.mutex.Get(), 0);
  // Abandoned: its last holder ended without releasing it; the lock is ours now all the same.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    lock.ownership.Reset(lock.mutex.Get());
    return WriterLockAttempt::kTaken;
  }
  return waited == WAIT_TIMEOUT ? WriterLockAttempt::kHeldElsewhere : WriterLockAttempt::kUnavailable;
}
