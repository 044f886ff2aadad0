// The names of the rule store's writer lock. The store belongs to a user, so the lock does too: one
// name for every session of the same user, another for another user, and valid on every system.
#pragma once

#include <string>
#include <vector>

#include "base/SystemFamily.h"

// A security identifier in its binary form (revision, sub-authority count, 48-bit authority, then
// the sub-authorities, little-endian) as text, "S-1-5-21-…"; empty when the bytes are no SID.
std::string SidText(const std::vector<unsigned char>& sid);

// The lock's names on that family of systems for the user whose SID (binary) is given, in the order
// they are tried; 9x has no users to tell apart, nor namespaces. On NT the name in the global
// namespace comes first, shared by every session of the user (Terminal Services, fast user
// switching), then the same name in the session's own namespace, for a system that has no global
// one (NT 4.0) and for a global name that another user made first and shut this one out of. None on
// NT when the SID is not one: no lock can then be named.
std::vector<std::string> RuleStoreWriterLockNames(SystemFamily family, const std::vector<unsigned char>& user_sid);
