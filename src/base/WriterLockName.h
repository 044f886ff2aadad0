// The name of the rule store's writer lock. The store belongs to a user, so the lock does too: one
// name for every session of the same user, another for another user, and valid on every system.
#pragma once

#include <string>
#include <vector>

#include "base/SystemFamily.h"

// A security identifier in its binary form (revision, sub-authority count, 48-bit authority, then
// the sub-authorities, little-endian) as text, "S-1-5-21-…"; empty when the bytes are no SID.
std::string SidText(const std::vector<unsigned char>& sid);

// The lock's name on that family of systems for the user whose SID (binary) is given; 9x has no
// users to tell apart. Empty on NT when the SID is not one: no lock can then be named.
std::string RuleStoreWriterLockName(SystemFamily family, const std::vector<unsigned char>& user_sid);
