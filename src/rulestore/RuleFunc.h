// RuleFunc: the current Outlook Express 5 identity's mail rule store in HKEY_CURRENT_USER, its
// lookups and the installers of the two junk-mail rules. Plain functions; each makes its own
// TRegistry and releases it on every way out, and resolves its paths from HKEY_CURRENT_USER.
// The lookups open "Identities" and the store with creation allowed (so a store of an existing
// identity may be made, empty); a rule key is opened without, and only for reading its name, so
// looking leaves the rules as they are. "Identities", an identity's key or the store is absent
// (-1, false or the empty text) only when the registry reports it as not found; a failure to open
// one otherwise, a value that cannot be read or stored, and a listing that fails raise
// ERegistryException naming what failed: a guess would let a rule be written over another one.
// A rule key that will not open carries no name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/TStringList.h"

// The subkey names of the mail rules key as the last count or name walk listed them. Created by the
// main window when it is made and freed when it is destroyed; only the lookups below touch it.
extern TStringList* RuleKeyNames;

// "Identities\<Last User ID>\Software\Microsoft\Outlook Express\5.0\Rules\Mail", or the empty text
// when there is no identity to build it from ("Identities" is not found, "Last User ID" is missing
// or empty, or the identity's key is not there). The empty text stands for "no store" everywhere
// below.
void GetMailRulesPath(std::string& path);
// The number of rule keys, listed into RuleKeyNames; -1 when there is no store to open.
std::int32_t GetRuleKeyCount();
// Whether the key at key_path opens and its "Name" is exactly name, byte for byte. A "Name" that is
// not text raises, naming the key.
bool RuleHasName(const std::string& key_path, const std::string& name);
// Whether any rule key's "Name" is exactly name. Every rule key is read; RuleKeyNames lists them.
bool RuleNameExists(const std::string& name);
// Whether the mail rules key has a subkey called key_name.
bool RuleKeyExists(const std::string& key_name);

// Install one junk-mail rule into the store that the current identity leads to when it starts
// (GetMailRulesPath, read once): its keys and its name in "Order" go there. Raises Exception, having
// written nothing, when the identity leads to none. Nothing is done when the rule is present: a key
// that the store's "Order" lists (the registry resolving each listed name) carries its name. Every
// other key that carries its name is one that "Order" does not list (what an interrupted
// installation left): it is deleted first, with everything beneath it, once all of them were checked
// (KeyDeletion.h); one that the check refuses stops the rule with nothing changed. The rule goes
// under the lowest number that is neither a key nor listed. DeleteAfterReceive selects the action:
// delete after receiving (true) or without receiving (false).
// All or nothing: the rule is complete and listed last in the store's "Order", or the store is left
// as it was (the keys this installation made are deleted again) and an exception says why. A store
// key name or an "Order" that code page 932 cannot hold stops the rule before anything is written.
void AddTwoDigitRule(bool DeleteAfterReceive);
void AddDigitAtRule(bool DeleteAfterReceive);

// A rule number as its key name: upper-case hexadecimal, at least three digits ("000", "00A", "1000").
std::string RuleKeyNameOf(std::uint32_t number);

// The rules' names (code page 932) and the criteria lists they look for.
extern const std::string TwoDigitRuleName;  // "非jp含数字二桁"
extern const std::string DigitAtRuleName;   // "非jp含数字@"

struct CriteriaBlob {
  const unsigned char* data;
  std::size_t size;
};
extern const CriteriaBlob TwoDigitCriteria;  // "00" ... "99", 302 bytes
extern const CriteriaBlob DigitAtCriteria;   // "0@" ... "9@", 32 bytes
extern const CriteriaBlob JpDomainCriteria;  // ".jp", 6 bytes
