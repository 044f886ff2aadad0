// Installing one junk-mail rule: its keys and values block by block in a fixed order, then its name
// appended to the store's "Order". The mail client shows only the rules that "Order" lists, so that
// is what "present" means here. All or nothing: an installation that fails before its name is in
// "Order" takes away the keys it made.
#include <exception>
#include <vector>

#include "base/Cp932Text.h"
#include "base/HexText.h"
#include "base/ResourceStrings.h"
#include "registry/TRegistry.h"
#include "rulestore/OrderNames.h"
#include "rulestore/RuleFunc.h"
#include "rulestore/StoreReader.h"

namespace {

constexpr std::int32_t kActionDeleteAfterReceive = 7;
constexpr std::int32_t kActionDeleteWithoutReceive = 8;
constexpr std::int32_t kCriterionTypeFrom = 12;
constexpr std::int32_t kCriterionValueTypeStrings = 0x41;

struct RuleDefinition {
  const std::string& name;
  const CriteriaBlob& criteria;
};

// The lowest number whose key name is neither a subkey of the store nor listed in its "Order": a
// listed name without its key would make the new rule visible before it is complete, and listed
// twice once it is. One is always found, after at most one test per listed name and per key.
std::uint32_t FindFreeRuleNumber(StoreReader& store, const OrderNames& listed) {
  std::uint32_t number = 0;
  while (listed.ListsNumber(number) || store.HasKey(RuleKeyNameOf(number))) ++number;
  return number;
}

// Whether the current identity still leads to the store a command started with. Compared as
// bytes: the same "Last User ID" leads to the same key; one that differs only in letter case is
// taken for a switch, which at worst refuses a command that the user can repeat.
void RequireIdentityLeadsTo(const std::string& store_path) {
  std::string current;
  GetMailRulesPath(current);
  if (current != store_path) throw Exception(ResourceString(kSIdentityChanged));
}

void OpenStore(TRegistry& registry, const std::string& mail_rules_path) {
  if (!registry.OpenPath(mail_rules_path, true)) RaiseRegistryError(kSOpenStoreFailed, mail_rules_path);
}

// The message of the exception being handled (an Exception's what() is its message), for a report
// that adds to it.
std::string CurrentFailureText() {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return {};
  }
}

// Raises, from inside a handler, the failure being handled with one more line: message_id naming
// key_path, the key the failure left behind.
[[noreturn]] void RaiseLeftBehind(int message_id, const std::string& key_path) {
  std::string message = CurrentFailureText();
  if (!message.empty()) message += "\r\n";
  throw ERegistryException(message + FillTemplate(ResourceString(message_id), {key_path}));
}

// Deletes keys given by their paths beneath the store, parents before children, leaf first: the
// store opened, so its path is short enough, where the full paths beneath it need not be. Whether
// all of them went.
bool DeleteBeneathStore(TRegistry& registry, const std::string& store_path, const std::vector<std::string>& keys) {
  registry.ClosePath();
  bool all_gone = registry.OpenPath(store_path, false);
  for (auto key = keys.rbegin(); all_gone && key != keys.rend(); ++key) all_gone = registry.DeleteKey(*key) == kRegSuccess;
  registry.ClosePath();
  return all_gone;
}

// Deletes a key that carries the rule's name but that "Order" does not list: what an interrupted
// installation, a killed process or an older registry export left. The mail client ignores it, and
// left in place it would pass for the rule. Everything beneath it goes too.
void RemoveRemnant(TRegistry& registry, const std::string& store_path, const std::string& key_name) {
  const std::string remnant_path = store_path + "\\" + key_name;
  bool deleted = false;
  try {
    std::vector<std::string> keys{key_name};  // parents before their children
    TStringList children;
    for (std::size_t index = 0; index < keys.size(); ++index) {
      registry.ClosePath();
      if (!registry.OpenPath(store_path, false) || !registry.OpenPath(keys[index], false)) {
        RaiseRegistryError(kSOpenKeyFailed, store_path + "\\" + keys[index]);
      }
      registry.ListSubkeys(children);
      for (const std::string& child : children.Items()) keys.push_back(keys[index] + "\\" + child);
    }
    deleted = DeleteBeneathStore(registry, store_path, keys);
  } catch (...) {
    registry.ClosePath();
    RaiseLeftBehind(kSRemnantNotDeleted, remnant_path);
  }
  registry.ClosePath();
  if (!deleted) RaiseRegistryError(kSRemnantNotDeleted, remnant_path);
}

// The keys of one rule, made block by block. Every key must open, and each one this installation
// made is remembered, so that an installation that does not reach its last step can take them
// away again and leave the store as it found it.
class RuleKeys {
 public:
  RuleKeys(TRegistry& registry, const std::string& mail_rules_path, const std::string& rule_key_name)
      : registry_(registry), store_path_(mail_rules_path), rule_path_(mail_rules_path + "\\" + rule_key_name),
        rule_key_name_(rule_key_name) {}

  // The rule key itself must be new: an existing key belongs to another rule, and writing into it
  // would replace that rule.
  void OpenNewRuleKey() {
    const TRegistry::OpenResult opened = registry_.TryOpenPath(rule_path_, true);
    if (opened.status != kRegSuccess) RaiseRegistryError(kSOpenKeyFailed, rule_path_);
    if (!opened.created) {
      registry_.ClosePath();
      RaiseRegistryError(kSRuleKeyExists, rule_path_);
    }
    created_.push_back(rule_key_name_);
  }

  // Opens the key beneath the rule key (beneath, e.g. "\\Actions"), or, with beneath_open, beneath
  // the key that is open.
  void OpenBlock(const std::string& beneath, bool beneath_open = false) {
    const std::string full_path = (beneath_open ? registry_.CurrentPath() : rule_path_) + beneath;
    const TRegistry::OpenResult opened = registry_.TryOpenPath(beneath_open ? beneath.substr(1) : full_path, true);
    if (opened.status != kRegSuccess) RaiseRegistryError(kSOpenKeyFailed, full_path);
    if (opened.created) created_.push_back(full_path.substr(store_path_.size() + 1));
  }

  // Deletes the keys made so far. The empty text when all of them went, else the rule key's path:
  // it is left with whatever could not be deleted beneath it.
  std::string RollBack() {
    registry_.ClosePath();
    if (created_.empty()) return {};
    const bool all_gone = DeleteBeneathStore(registry_, store_path_, created_);
    created_.clear();
    return all_gone ? std::string() : rule_path_;
  }

 private:
  TRegistry& registry_;
  const std::string store_path_;
  const std::string rule_path_;
  const std::string rule_key_name_;
  std::vector<std::string> created_;  // beneath the store, in the order they were made
};

void WriteRuleKeyBlock(TRegistry& registry, RuleKeys& keys, const RuleDefinition& rule) {
  keys.OpenNewRuleKey();
  registry.WriteDword("Enabled", 1);
  registry.WriteText("Name", rule.name);
  registry.WriteDword("Version", 1);
  registry.ClosePath();
}

void WriteActionBlock(TRegistry& registry, RuleKeys& keys, bool delete_after_receive) {
  keys.OpenBlock("\\Actions");
  registry.WriteText("Order", "000");
  // Relative: the action "000" beneath the Actions key that is open.
  keys.OpenBlock("\\000", true);
  registry.WriteDword("Flags", 0);
  registry.WriteDword("Type", delete_after_receive ? kActionDeleteAfterReceive : kActionDeleteWithoutReceive);
  registry.ClosePath();
}

void WriteCriteriaListBlock(TRegistry& registry, RuleKeys& keys) {
  keys.OpenBlock("\\Criteria");
  registry.WriteText("Order", "000 001");
  registry.ClosePath();
}

void WriteCriterionBlock(TRegistry& registry, RuleKeys& keys, const std::string& criterion, std::int32_t flags,
                         std::int32_t logic, const CriteriaBlob& value) {
  keys.OpenBlock("\\Criteria\\" + criterion);
  registry.WriteDword("Flags", flags);
  registry.WriteDword("Logic", logic);
  registry.WriteDword("Type", kCriterionTypeFrom);
  registry.WriteBlob("Value", value.data, static_cast<std::int32_t>(value.size));
  registry.WriteDword("ValueType", kCriterionValueTypeStrings);
  registry.ClosePath();
}

// The last step and the installation's commit point: once "Order" lists the rule, the mail client
// sees it. The name goes to the store that holds the rule's keys, and only while the current
// identity still leads there: an identity switched meanwhile would never see the rule.
void AppendToStoreOrder(TRegistry& registry, const std::string& mail_rules_path, const std::string& rule_key_name) {
  RequireIdentityLeadsTo(mail_rules_path);
  OpenStore(registry, mail_rules_path);
  std::string order = registry.ReadText("Order");
  if (!order.empty()) order += ' ';
  order += rule_key_name;
  registry.WriteText("Order", order);
  registry.ClosePath();
}

void InstallRule(const RuleDefinition& rule, bool delete_after_receive, const std::string& mail_rules_path) {
  // The command's store, from the first look to "Order"; for a second rule, the identity may have
  // moved on since the first.
  RequireIdentityLeadsTo(mail_rules_path);
  StoreReader store(mail_rules_path);
  // "Order" is read before anything is written: one that is not text, or that the code page cannot
  // hold, stops the command here rather than after the rule's keys were made.
  const OrderNames listed(store.ReadOrder());
  const std::vector<std::string> named = store.KeysNamed(rule.name);
  if (!named.empty() && store.AnyListedKeyNamed(listed, named, rule.name)) return;  // present: the mail client shows it

  // Not present, so every key with the rule's name is one that "Order" does not list.
  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  for (const std::string& key_name : named) RemoveRemnant(registry, mail_rules_path, key_name);

  const std::string rule_key_name = RuleKeyNameOf(FindFreeRuleNumber(store, listed));

  RuleKeys keys(registry, mail_rules_path, rule_key_name);
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
    const std::string left = keys.RollBack();
    if (left.empty()) throw;
    RaiseLeftBehind(kSRollbackFailed, left);
  }
}

}  // namespace

std::string RuleKeyNameOf(std::uint32_t number) { return UpperHex(number, 3); }

std::string GetCommandStorePath() {
  std::string path;
  GetMailRulesPath(path);
  // Empty means there is none: installing anyway would resolve the rule's paths from the root of
  // HKEY_CURRENT_USER.
  if (path.empty()) throw Exception(ResourceString(kSNoIdentity));
  return path;
}

void AddTwoDigitRule(bool DeleteAfterReceive, const std::string& StorePath) {
  InstallRule({TwoDigitRuleName, TwoDigitCriteria}, DeleteAfterReceive, StorePath);
}

void AddDigitAtRule(bool DeleteAfterReceive, const std::string& StorePath) {
  InstallRule({DigitAtRuleName, DigitAtCriteria}, DeleteAfterReceive, StorePath);
}

void AddTwoDigitRule(bool DeleteAfterReceive) { AddTwoDigitRule(DeleteAfterReceive, GetCommandStorePath()); }

void AddDigitAtRule(bool DeleteAfterReceive) { AddDigitAtRule(DeleteAfterReceive, GetCommandStorePath()); }
