// Installing one junk-mail rule: its keys and values block by block in a fixed order, then its name
// appended to the store's "Order". The mail client shows only the rules that "Order" lists, so that
// is what "present" means here. All or nothing: an installation that fails before its name is in
// "Order" takes away the keys it made.
#include <vector>

#include "base/HexText.h"
#include "base/ResourceStrings.h"
#include "registry/KeyPath.h"
#include "registry/TRegistry.h"
#include "rulestore/KeyDeletion.h"
#include "rulestore/OrderNames.h"
#include "rulestore/RuleFunc.h"

namespace {

constexpr std::int32_t kActionDeleteAfterReceive = 7;
constexpr std::int32_t kActionDeleteWithoutReceive = 8;
constexpr std::int32_t kCriterionTypeFrom = 12;
constexpr std::int32_t kCriterionValueTypeStrings = 0x41;

struct RuleDefinition {
  const std::string& name;
  const CriteriaBlob& criteria;
};

// The store's "Order", read before anything is written: one that is not text, or that the code
// page cannot hold, stops the command here rather than after the rule's keys were made. A store not
// made yet lists nothing.
std::string ReadStoreOrder(const std::string& store_path) {
  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  const RegStatus status = registry.TryOpenPath(store_path, false).status;
  if (status == kRegFileNotFound) return {};
  if (status != kRegSuccess) RaiseRegistryError(kSOpenStoreFailed, store_path);
  return registry.ReadText("Order");
}

// The store's keys that carry name. RuleNameExists lists them all into RuleKeyNames and reads
// each; only when one carries it are they read again, to tell which.
std::vector<std::string> KeysNamed(const std::string& store_path, const std::string& name) {
  std::vector<std::string> named;
  if (!RuleNameExists(name)) return named;
  for (const std::string& key_name : RuleKeyNames->Items()) {
    if (RuleHasName(store_path + "\\" + key_name, name)) named.push_back(key_name);
  }
  return named;
}

// Whether a key that "Order" lists carries the name (named: the keys that do): a rule the mail
// client shows. A key listed under its own spelling does; else each listed name is opened, and the
// registry says which key it means (letter case included, beyond ASCII too).
bool ListedKeyNamed(const std::string& store_path, const OrderNames& listed, const std::vector<std::string>& named,
                    const std::string& name) {
  for (const std::string& key_name : named) {
    if (OrderListsExactly(listed, key_name)) return true;
  }
  for (const std::string& key_name : listed.spellings) {
    // A name with a path separator would lead deeper than the store's own keys.
    if (SplitKeyPath(key_name).size() == 1 && RuleHasName(store_path + "\\" + key_name, name)) return true;
  }
  return false;
}

// The lowest number whose key name is neither a key of the store nor listed in its "Order": a
// listed name without its key would make the new rule visible before it is complete, and listed
// twice once it is. The store's keys and the listed names take at most as many numbers as there are
// of them, so the search ends. Without a store to look in, the lowest number that is not listed.
std::uint32_t FindFreeRuleNumber(const OrderNames& listed) {
  const bool store_opens = GetRuleKeyCount() >= 0;
  std::uint32_t number = 0;
  while (OrderListsNumber(listed, number) || (store_opens && RuleKeyExists(RuleKeyNameOf(number)))) ++number;
  return number;
}

void OpenStore(TRegistry& registry, const std::string& mail_rules_path) {
  if (!registry.OpenPath(mail_rules_path, true)) RaiseRegistryError(kSOpenStoreFailed, mail_rules_path);
}

// The keys of one rule, made block by block. Every key must open, and each one this installation
// made is remembered, so that an installation that does not reach its last step can take them
// away again and leave the store as it found it.
struct RuleKeys {
  std::string store_path;
  std::string rule_key_name;
  std::vector<std::string> created;  // beneath the store, in the order they were made
};

std::string RulePath(const RuleKeys& keys) { return keys.store_path + "\\" + keys.rule_key_name; }

// The rule key itself must be new: an existing key belongs to another rule, and writing into it
// would replace that rule.
void OpenNewRuleKey(TRegistry& registry, RuleKeys& keys) {
  const TRegistry::OpenResult opened = registry.TryOpenPath(RulePath(keys), true);
  if (opened.status != kRegSuccess) RaiseRegistryError(kSOpenKeyFailed, RulePath(keys));
  if (!opened.created) {
    registry.ClosePath();
    RaiseRegistryError(kSRuleKeyExists, RulePath(keys));
  }
  keys.created.push_back(keys.rule_key_name);
}

// Opens the key beneath the rule key (beneath, e.g. "\\Actions"), or, with beneath_open, beneath the
// key that is open.
void OpenBlock(TRegistry& registry, RuleKeys& keys, const std::string& beneath, bool beneath_open = false) {
  const std::string full_path = (beneath_open ? registry.CurrentPath() : RulePath(keys)) + beneath;
  const TRegistry::OpenResult opened = registry.TryOpenPath(beneath_open ? beneath.substr(1) : full_path, true);
  if (opened.status != kRegSuccess) RaiseRegistryError(kSOpenKeyFailed, full_path);
  if (opened.created) keys.created.push_back(full_path.substr(keys.store_path.size() + 1));
}

// Deletes the keys made so far. The empty text when all of them went, else the rule key's path: it
// is left with whatever could not be deleted beneath it.
std::string RollBack(TRegistry& registry, RuleKeys& keys) {
  registry.ClosePath();
  if (keys.created.empty()) return {};
  const bool all_gone = DeleteBeneathStore(keys.store_path, keys.created);
  keys.created.clear();
  return all_gone ? std::string() : RulePath(keys);
}

void WriteRuleKeyBlock(TRegistry& registry, RuleKeys& keys, const RuleDefinition& rule) {
  OpenNewRuleKey(registry, keys);
  registry.WriteDword("Enabled", 1);
  registry.WriteText("Name", rule.name);
  registry.WriteDword("Version", 1);
  registry.ClosePath();
}

void WriteActionBlock(TRegistry& registry, RuleKeys& keys, bool delete_after_receive) {
  OpenBlock(registry, keys, "\\Actions");
  registry.WriteText("Order", "000");
  // Relative: the action "000" beneath the Actions key that is open.
  OpenBlock(registry, keys, "\\000", true);
  registry.WriteDword("Flags", 0);
  registry.WriteDword("Type", delete_after_receive ? kActionDeleteAfterReceive : kActionDeleteWithoutReceive);
  registry.ClosePath();
}

void WriteCriteriaListBlock(TRegistry& registry, RuleKeys& keys) {
  OpenBlock(registry, keys, "\\Criteria");
  registry.WriteText("Order", "000 001");
  registry.ClosePath();
}

void WriteCriterionBlock(TRegistry& registry, RuleKeys& keys, const std::string& criterion, std::int32_t flags,
                         std::int32_t logic, const CriteriaBlob& value) {
  OpenBlock(registry, keys, "\\Criteria\\" + criterion);
  registry.WriteDword("Flags", flags);
  registry.WriteDword("Logic", logic);
  registry.WriteDword("Type", kCriterionTypeFrom);
  registry.WriteBlob("Value", value.data, static_cast<std::int32_t>(value.size));
  registry.WriteDword("ValueType", kCriterionValueTypeStrings);
  registry.ClosePath();
}

// The last step and the installation's commit point: once "Order" lists the rule, the mail client
// sees it. The name goes to the store that holds the rule's keys.
void AppendToStoreOrder(TRegistry& registry, const std::string& mail_rules_path, const std::string& rule_key_name) {
  OpenStore(registry, mail_rules_path);
  std::string order = registry.ReadText("Order");
  if (!order.empty()) order += ' ';
  order += rule_key_name;
  registry.WriteText("Order", order);
  registry.ClosePath();
}

// One rule into the store that the current identity leads to now, found once, here: its keys and its
// name in "Order" go there. The identity changes only when the mail client switches it, and the
// command does not run while the client does.
void InstallRule(const RuleDefinition& rule, bool delete_after_receive) {
  std::string mail_rules_path;
  GetMailRulesPath(mail_rules_path);
  // Empty means there is none: installing anyway would resolve the rule's paths from the root of
  // HKEY_CURRENT_USER.
  if (mail_rules_path.empty()) throw Exception(ResourceString(kSNoIdentity));
  const OrderNames listed = ReadOrderNames(ReadStoreOrder(mail_rules_path));
  const std::vector<std::string> named = KeysNamed(mail_rules_path, rule.name);
  if (!named.empty() && ListedKeyNamed(mail_rules_path, listed, named, rule.name)) return;  // the mail client shows it

  // Not present, so every key with the rule's name is one that "Order" does not list.
  std::vector<RemnantKeys> remnants;
  for (const std::string& key_name : named) remnants.push_back(CheckRemnant(mail_rules_path, key_name));
  RemoveRemnants(mail_rules_path, remnants);

  const std::string rule_key_name = RuleKeyNameOf(FindFreeRuleNumber(listed));
  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  RuleKeys keys{mail_rules_path, rule_key_name, {}};
  try {
    WriteRuleKeyBlock(registry, keys, rule);
    WriteActionBlock(registry, keys, delete_after_receive);
    WriteCriteriaListBlock(registry, keys);
    // Criterion 000 looks for the rule's strings in the sender; 001 excludes senders in ".jp".
    WriteCriterionBlock(registry, keys, "000", 0, 2, rule.criteria);
    WriteCriterionBlock(registry, keys, "001", 1, 0, JpDomainCriteria);
    AppendToStoreOrder(registry, mail_rules_path, rule_key_name);
  } catch (...) {
    // Whatever the failure was, keys that could not be taken away again are reported with it.
    const std::string left = RollBack(registry, keys);
    if (left.empty()) throw;
    RaiseLeftBehind(kSRollbackFailed, left);
  }
}

}  // namespace

std::string RuleKeyNameOf(std::uint32_t number) { return UpperHex(number, 3); }

void AddTwoDigitRule(bool DeleteAfterReceive) { InstallRule({TwoDigitRuleName, TwoDigitCriteria}, DeleteAfterReceive); }

void AddDigitAtRule(bool DeleteAfterReceive) { InstallRule({DigitAtRuleName, DigitAtCriteria}, DeleteAfterReceive); }
