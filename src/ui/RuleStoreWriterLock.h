// One writer at a time: the add command holds this lock while it works on the rule store, so that
// two copies of the program never both read "Order" and write it back, one losing the other's rule
// or listing it twice. The store is the user's, so the lock is too (WriterLockName.h).
#pragma once

#include "base/Handles.h"

// A lock taken: the named mutex and this thread's ownership of it. The ownership is declared last,
// so that it is released before the handle closes.
struct RuleStoreWriterLock {
  UniqueKernelObject mutex;
  UniqueMutexOwnership ownership;
};

enum class WriterLockAttempt {
  kTaken,
  kHeldElsewhere,  // another copy is writing now
  kUnavailable,    // no lock could be made: whether another copy writes cannot be told
};

// Tries the lock once, without waiting: the other copy holds it only for the moments of its
// registry work, and the user is better told at once than kept waiting. A copy that ended without
// releasing it (killed, crashed) leaves it to the next one: the store then shows what it left, which
// an installation knows how to clean up.
WriterLockAttempt TryRuleStoreWriterLock(RuleStoreWriterLock& lock);
