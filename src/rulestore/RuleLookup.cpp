// Finding the current identity's mail rules key and looking into it.
#include "base/Cp932Text.h"
#include "base/ResourceStrings.h"
#include "registry/TRegistry.h"
#include "rulestore/RuleFunc.h"

TStringList* RuleKeyNames = nullptr;

namespace {
const char kIdentitiesKey[] = "Identities";
const char kMailRulesSuffix[] = "\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail";

// Opens path with creation allowed. Only "not found" counts as absent (false); any other failure
// raises, naming the key, since an answer of "absent" would be a guess.
bool OpenExisting(TRegistry& registry, const std::string& path, int message_id) {
  const TRegistry::OpenResult opened = registry.TryOpenPath(path, true);
  if (opened.status == kRegSuccess) return true;
  if (opened.status == kRegFileNotFound) return false;
  RaiseRegistryError(message_id, path);
}

// Opens the mail rules key on a fresh accessor. An empty path means there is no store: opening it
// would make the root itself current and treat HKEY_CURRENT_USER's subkeys as rules.
bool OpenMailRulesKey(TRegistry& registry, const std::string& path) {
  return !path.empty() && OpenExisting(registry, path, kSOpenStoreFailed);
}
}  // namespace

void GetMailRulesPath(std::string& path) {
  path.clear();
  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  if (!OpenExisting(registry, kIdentitiesKey, kSOpenKeyFailed)) return;
  const std::string identity = registry.ReadText("Last User ID");
  // Without an identity the path would be "Identities\\Software...": a store nobody reads.
  if (identity.empty()) return;
  // Nor is there a store for an identity whose key is gone (removed by hand or by a cleaner, or not
  // in a restored backup): the mail client never reads one made there. Looked for from the root,
  // as the store's path is, and never created.
  const std::string identity_path = std::string(kIdentitiesKey) + "\\" + identity;
  registry.ClosePath();
  if (registry.SubkeyExists(identity_path)) path = identity_path + kMailRulesSuffix;
}

std::int32_t GetRuleKeyCount() {
  std::string path;
  GetMailRulesPath(path);
  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  if (!OpenMailRulesKey(registry, path)) return -1;
  registry.ListSubkeys(*RuleKeyNames);
  return RuleKeyNames->Count();
}

bool RuleHasName(const std::string& key_path, const std::string& name) {
  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  // Opened without creating: a listed name without its key stays without one. A key that will not
  // open (one that grants only reading, as some tools leave them) carries no name here: at worst
  // a rule it holds is added once more, listed and in effect.
  if (!registry.OpenPath(key_path, false)) return false;
  // A failure is said with the key: the value's name alone leaves the user no way to find it.
  return registry.TextEquals("Name", name, kSRuleNameUnreadable);
}

bool RuleNameExists(const std::string& name) {
  std::string path;
  GetMailRulesPath(path);
  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  if (!OpenMailRulesKey(registry, path)) return false;
  registry.ListSubkeys(*RuleKeyNames);
  // Every rule key is read, also after a match: a bad "Name" anywhere is reported the same way.
  bool found = false;
  const int count = RuleKeyNames->Count();
  for (int index = 0; index < count; ++index) {
    if (RuleHasName(path + "\\" + (*RuleKeyNames)[index], name)) found = true;
  }
  return found;
}

bool RuleKeyExists(const std::string& key_name) {
  std::string path;
  GetMailRulesPath(path);
  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  if (!OpenMailRulesKey(registry, path)) return false;
  // A link is a key of the store whatever it leads to; one leading to a missing key would otherwise
  // pass for free, and the rule be created through it, outside the store.
  return registry.SubkeyExists(key_name, true);
}
