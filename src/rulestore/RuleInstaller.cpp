// Installing one junk-mail rule: its keys and values in the order in which the mail client writes a
// rule itself, then its name appended to the store's "Order". All or nothing: an installation that
// fails before its name is in "Order" takes away the keys it made.
#include <vector>

#include "base/HexText.h"
#include "base/ResourceStrings.h"
#include "registry/TRegistry.h"
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

// The lowest number in 0 ... count whose key name is free. count keys cannot take all count + 1
// names, so one is always free; every test is a full lookup, nothing is cached between them.
std::uint32_t FindFreeRuleNumber(std::int32_t count) {
  std::uint32_t slot = 0;
  for (std::int64_t number = count; number >= 0; --number) {
    const auto candidate = static_cast<std::uint32_t>(number);
    if (!RuleKeyExists(RuleKeyNameOf(candidate))) slot = candidate;
  }
  return slot;
}

// A fresh look at the store's path. Empty means the identity went away: installing anyway would
// resolve the rule's paths from the root of HKEY_CURRENT_USER.
std::string RequireMailRulesPath() {
  std::string path;
  GetMailRulesPath(path);
  if (path.empty()) throw Exception(ResourceString(kSNoIdentity));
  return path;
}

void OpenStore(TRegistry& registry, const std::string& mail_rules_path) {
  if (!registry.OpenPath(mail_rules_path, true)) RaiseRegistryError(kSOpenStoreFailed, mail_rules_path);
}

// A store whose "Order" is not text would refuse the last step after the rule's keys were all
// written. Reading it first (read only) raises the same error before anything is written.
void CheckStoreOrderIsText(TRegistry& registry, const std::string& mail_rules_path) {
  OpenStore(registry, mail_rules_path);
  static_cast<void>(registry.ReadText("Order"));
  registry.ClosePath();
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

  // Deletes the keys made so far, leaf first, each by its path beneath the store (which opened, so
  // its path is short enough; the full paths beneath it need not be). The empty text when all of
  // them went, else the rule key's path: it is left with whatever could not be deleted beneath it.
  std::string RollBack() {
    registry_.ClosePath();
    if (created_.empty()) return {};
    bool all_gone = registry_.OpenPath(store_path_, false);
    for (auto key = created_.rbegin(); all_gone && key != created_.rend(); ++key) {
      all_gone = registry_.DeleteKey(*key) == kRegSuccess;
    }
    registry_.ClosePath();
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
// sees it.
void AppendToStoreOrder(TRegistry& registry, const std::string& rule_key_name) {
  OpenStore(registry, RequireMailRulesPath());
  std::string order = registry.ReadText("Order");
  if (!order.empty()) order += ' ';
  order += rule_key_name;
  registry.WriteText("Order", order);
  registry.ClosePath();
}

void InstallRule(const RuleDefinition& rule, bool delete_after_receive) {
  if (RuleNameExists(rule.name)) return;

  const std::int32_t count = GetRuleKeyCount();
  // No identity: there is nothing to install into, and writing anyway would put the rule at the
  // root of HKEY_CURRENT_USER or in a store nobody reads.
  if (count < 0) throw Exception(ResourceString(kSNoIdentity));

  const std::string rule_key_name = RuleKeyNameOf(FindFreeRuleNumber(count));
  const std::string mail_rules_path = RequireMailRulesPath();

  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  CheckStoreOrderIsText(registry, mail_rules_path);

  RuleKeys keys(registry, mail_rules_path, rule_key_name);
  try {
    WriteRuleKeyBlock(registry, keys, rule);
    WriteActionBlock(registry, keys, delete_after_receive);
    WriteCriteriaListBlock(registry, keys);
    // Criterion 000 looks for the rule's strings in the sender; 001 excludes senders in ".jp".
    WriteCriterionBlock(registry, keys, "000", 0, 2, rule.criteria);
    WriteCriterionBlock(registry, keys, "001", 1, 0, JpDomainCriteria);
    AppendToStoreOrder(registry, rule_key_name);
  } catch (const Exception& error) {
    const std::string left = keys.RollBack();
    if (left.empty()) throw;
    throw ERegistryException(error.Message() + "\r\n" + SubstituteArgument(ResourceString(kSRollbackFailed), left));
  } catch (...) {
    keys.RollBack();
    throw;
  }
}

}  // namespace

std::string RuleKeyNameOf(std::uint32_t number) { return UpperHex(number, 3); }

void AddTwoDigitRule(bool DeleteAfterReceive) { InstallRule({TwoDigitRuleName, TwoDigitCriteria}, DeleteAfterReceive); }

void AddDigitAtRule(bool DeleteAfterReceive) { InstallRule({DigitAtRuleName, DigitAtCriteria}, DeleteAfterReceive); }
