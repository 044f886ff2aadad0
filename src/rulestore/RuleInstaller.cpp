// Installing one junk-mail rule: its keys and values in the order the mail client has always had
// them written, then its name appended to the store's "Order".
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
  if (path.empty()) throw Exception(NoIdentityMessage);
  return path;
}

// A store whose "Order" is not text would refuse the last step after the rule's keys were all
// written, leaving a rule that no "Order" lists but whose "Name" stops every later attempt.
// Reading it first (read only) raises the same error before anything is written.
void CheckStoreOrderIsText(TRegistry& registry, const std::string& mail_rules_path) {
  if (registry.OpenPath(mail_rules_path, true)) static_cast<void>(registry.ReadText("Order"));
  registry.ClosePath();
}

void WriteRuleKeyBlock(TRegistry& registry, const std::string& rule_path, const RuleDefinition& rule) {
  if (registry.OpenPath(rule_path, true)) {
    registry.WriteDword("Enabled", 1);
    registry.WriteText("Name", rule.name);
    registry.WriteDword("Version", 1);
  }
  registry.ClosePath();
}

void WriteActionBlock(TRegistry& registry, const std::string& rule_path, bool delete_after_receive) {
  if (registry.OpenPath(rule_path + "\\Actions", true)) {
    registry.WriteText("Order", "000");
    // Relative: the action "000" beneath the Actions key that is open.
    if (registry.OpenPath("000", true)) {
      registry.WriteDword("Flags", 0);
      registry.WriteDword("Type", delete_after_receive ? kActionDeleteAfterReceive : kActionDeleteWithoutReceive);
    }
  }
  registry.ClosePath();
}

void WriteCriteriaListBlock(TRegistry& registry, const std::string& rule_path) {
  if (registry.OpenPath(rule_path + "\\Criteria", true)) registry.WriteText("Order", "000 001");
  registry.ClosePath();
}

void WriteCriterionBlock(TRegistry& registry, const std::string& criterion_path, std::int32_t flags,
                         std::int32_t logic, const CriteriaBlob& value) {
  if (registry.OpenPath(criterion_path, true)) {
    registry.WriteDword("Flags", flags);
    registry.WriteDword("Logic", logic);
    registry.WriteDword("Type", kCriterionTypeFrom);
    registry.WriteBlob("Value", value.data, static_cast<std::int32_t>(value.size));
    registry.WriteDword("ValueType", kCriterionValueTypeStrings);
  }
  registry.ClosePath();
}

void AppendToStoreOrder(TRegistry& registry, const std::string& rule_key_name) {
  if (registry.OpenPath(RequireMailRulesPath(), true)) {
    std::string order = registry.ReadText("Order");
    if (!order.empty()) order += ' ';
    order += rule_key_name;
    registry.WriteText("Order", order);
  }
  registry.ClosePath();
}

void InstallRule(const RuleDefinition& rule, bool delete_after_receive) {
  if (RuleNameExists(rule.name)) return;

  const std::int32_t count = GetRuleKeyCount();
  // No identity, or a store that will not open: there is nothing to install into, and writing
  // anyway would put the rule at the root of HKEY_CURRENT_USER or in a store nobody reads.
  if (count < 0) throw Exception(NoIdentityMessage);

  const std::string rule_key_name = RuleKeyNameOf(FindFreeRuleNumber(count));
  const std::string mail_rules_path = RequireMailRulesPath();
  const std::string rule_path = mail_rules_path + "\\" + rule_key_name;

  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  CheckStoreOrderIsText(registry, mail_rules_path);

  WriteRuleKeyBlock(registry, rule_path, rule);
  WriteActionBlock(registry, rule_path, delete_after_receive);
  WriteCriteriaListBlock(registry, rule_path);
  // Criterion 000 looks for the rule's strings in the sender; 001 excludes senders in ".jp".
  WriteCriterionBlock(registry, rule_path + "\\Criteria\\000", 0, 2, rule.criteria);
  WriteCriterionBlock(registry, rule_path + "\\Criteria\\001", 1, 0, JpDomainCriteria);
  AppendToStoreOrder(registry, rule_key_name);
}

}  // namespace

std::string RuleKeyNameOf(std::uint32_t number) {
  // Upper-case hexadecimal, at least three digits. Written out by hand: the program has no other
  // use for a printf, and the one in the C runtime costs more than all of this unit.
  static const char kDigits[] = "0123456789ABCDEF";
  std::string name;
  do {
    name.insert(name.begin(), kDigits[number & 0xF]);
    number >>= 4;
  } while (number != 0);
  if (name.size() < 3) name.insert(0, 3 - name.size(), '0');
  return name;
}

void AddTwoDigitRule(bool DeleteAfterReceive) { InstallRule({TwoDigitRuleName, TwoDigitCriteria}, DeleteAfterReceive); }

void AddDigitAtRule(bool DeleteAfterReceive) { InstallRule({DigitAtRuleName, DigitAtCriteria}, DeleteAfterReceive); }
