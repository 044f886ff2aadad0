// Installing the junk-mail rules on any back end: the layout, the free rule number, "Order", and
// the stores that must be left alone.
#include "rulestore/RuleStoreTest.h"

void RuleStoreTest::ExpectCompleteRule(const std::string& key_name, const std::string& rule_name,
                                       const CriteriaBlob& criteria, std::uint32_t action_type) {
  SCOPED_TRACE("rule key " + key_name);
  const std::string rule = RulePath(key_name);
  EXPECT_EQ(Tree(rule), (std::vector<std::string>{"Actions", "Actions\\000", "Criteria", "Criteria\\000",
                                                             "Criteria\\001"}));
  EXPECT_EQ(Get(rule, "Enabled"), Dword(1));
  EXPECT_EQ(Get(rule, "Name"), Text(rule_name));
  EXPECT_EQ(Get(rule, "Version"), Dword(1));
  EXPECT_EQ(Get(rule + "\\Actions", "Order"), Text("000"));
  EXPECT_EQ(Get(rule + "\\Actions\\000", "Flags"), Dword(0));
  EXPECT_EQ(Get(rule + "\\Actions\\000", "Type"), Dword(action_type));
  EXPECT_EQ(Get(rule + "\\Criteria", "Order"), Text("000 001"));
  const std::string first = rule + "\\Criteria\\000";
  EXPECT_EQ(Get(first, "Flags"), Dword(0));
  EXPECT_EQ(Get(first, "Logic"), Dword(2));
  EXPECT_EQ(Get(first, "Type"), Dword(12));
  EXPECT_EQ(Get(first, "Value"), Binary(criteria.data, criteria.size));
  EXPECT_EQ(Get(first, "ValueType"), Dword(0x41));
  const std::string second = rule + "\\Criteria\\001";
  EXPECT_EQ(Get(second, "Flags"), Dword(1));
  EXPECT_EQ(Get(second, "Logic"), Dword(0));
  EXPECT_EQ(Get(second, "Type"), Dword(12));
  EXPECT_EQ(Get(second, "Value"), Binary(".jp\0\0\0", 6));
  EXPECT_EQ(Get(second, "ValueType"), Dword(0x41));
}

namespace {

using RuleInstaller = RuleStoreTest;

TEST_F(RuleInstaller, BothRulesOnAnEmptyStoreTakeTheFirstTwoNumbers) {
  MakeEmptyStore();
  AddTwoDigitRule(true);
  ExpectCompleteRule("000", TwoDigitRuleName, TwoDigitCriteria, 7);
  EXPECT_EQ(StoreOrder(), Text("000"));

  AddDigitAtRule(false);
  ExpectCompleteRule("001", DigitAtRuleName, DigitAtCriteria, 8);
  EXPECT_EQ(StoreOrder(), Text("000 001"));
  EXPECT_EQ(Tree(kStorePath).size(), 12u);  // two rules of six keys, nothing else
}

TEST_F(RuleInstaller, TheLowestFreeNumberWins) {
  struct Case {
    std::vector<std::string> existing;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{"000", "001", "003"}, "002"},
      {{"001", "002"}, "000"},
      {{"000", "001", "002", "003", "004", "005", "006", "007", "008", "009"}, "00A"},
      {{"abc", "000"}, "001"},  // names that are no rule number still count
  };
  for (const Case& test : cases) {
    Clean();
    MakeEmptyStore();
    for (const std::string& key : test.existing) AddRuleKey(key, "other rule");
    Put(kStorePath, "Order", Text("old"));
    AddDigitAtRule(true);
    ExpectCompleteRule(test.expected, DigitAtRuleName, DigitAtCriteria, 7);
    EXPECT_EQ(StoreOrder(), Text("old " + test.expected));
  }
}

TEST_F(RuleInstaller, AnExistingRuleOfTheSameNameStopsEverything) {
  MakeEmptyStore();
  AddRuleKey("Z9", DigitAtRuleName);
  Put(kStorePath, "Order", Text("Z9"));
  AddDigitAtRule(true);
  EXPECT_EQ(Tree(kStorePath), std::vector<std::string>{"Z9"});
  EXPECT_EQ(StoreOrder(), Text("Z9"));

  // Only the same name stops a rule: the other rule goes in beside it.
  AddTwoDigitRule(true);
  ExpectCompleteRule("000", TwoDigitRuleName, TwoDigitCriteria, 7);
  EXPECT_EQ(StoreOrder(), Text("Z9 000"));
}

// Only a key that "Order" lists is a rule the mail client shows. A key with the rule's name that is
// not listed is what an interrupted installation or an old registry export left: it goes, whatever
// is beneath it, and the rule is installed afresh. A name listed without its key is taken.
TEST_F(RuleInstaller, OnlyListedKeysCountAndUnlistedOnesWithTheNameAreReplaced) {
  MakeEmptyStore();
  AddRuleKey("000", "other rule");
  AddRuleKey("002", TwoDigitRuleName);  // the remnant, with more beneath it than a rule has
  Put(RulePath("002") + "\\Criteria\\000\\Stray", "Kept", Text("x"));
  AddRuleKey("003", "unlisted, another name");
  Put(kStorePath, "Order", Text("000 001"));  // 001's key was deleted by hand
  AddTwoDigitRule(true);
  ExpectCompleteRule("002", TwoDigitRuleName, TwoDigitCriteria, 7);
  EXPECT_EQ(Get(RulePath("003"), "Name"), Text("unlisted, another name"));
  EXPECT_EQ(StoreOrder(), Text("000 001 002"));

  // Listed in another letter case, as the registry compares key names: present, nothing written.
  // Beyond ASCII ("ｂ" listed as "Ｂ") a key that may be listed is never taken for a remnant.
  for (const auto& [key, order] : std::vector<std::pair<std::string, std::string>>{{"00a", "00A"}, {"ｂ", "Ｂ"}}) {
    Clean();
    MakeEmptyStore();
    AddRuleKey(key, DigitAtRuleName);
    Put(kStorePath, "Order", Text(order));
    AddDigitAtRule(true);
    EXPECT_EQ(Tree(kStorePath), std::vector<std::string>{key});
    EXPECT_EQ(StoreOrder(), Text(order));
  }
}

TEST_F(RuleInstaller, TheOldOrderIsKeptAsItIs) {
  MakeEmptyStore();
  Put(kStorePath, "Order", Text("000 "));
  AddTwoDigitRule(true);
  EXPECT_EQ(StoreOrder(), Text("000  001"));  // a trailing blank stays; the listed name is taken

  Clean();
  MakeEmptyStore();
  Put(kStorePath, "Order", {kRegExpandSz, std::string("%X%\0", 4)});
  AddTwoDigitRule(false);
  EXPECT_EQ(StoreOrder(), Text("%X% 000"));  // read as text, written back as REG_SZ
}

TEST_F(RuleInstaller, WithoutAStoreNothingIsWrittenAndTheUserIsTold) {
  for (const RawValue& identity : {Text(""), RawValue{kRegSz, ""}}) {
    Clean();
    Put("Identities", "Last User ID", identity);
    using Command = void (*)(bool);
    for (Command install : {Command{&AddTwoDigitRule}, Command{&AddDigitAtRule}}) {
      try {
        install(true);
        FAIL() << "installing without a store must fail";
      } catch (const ERegistryException&) {
        FAIL() << "not a registry failure";
      } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), ResourceString(kSNoIdentity));
      }
    }
    EXPECT_EQ(Tree(""), std::vector<std::string>{"Identities"});
    EXPECT_FALSE(Get("", "Order").has_value());
    EXPECT_FALSE(Get("Identities", "Order").has_value());
  }
}

TEST_F(RuleInstaller, AStoreOrderThatIsNotTextIsRefusedBeforeAnyWrite) {
  MakeEmptyStore();
  Put(kStorePath, "Order", Dword(5));
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      AddTwoDigitRule(true);
      FAIL() << "a non-text \"Order\" must be reported";
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.Message(), "'Order' のデータ型が不正です");
    }
    EXPECT_EQ(Tree(kStorePath), std::vector<std::string>{});
    EXPECT_EQ(StoreOrder(), Dword(5));
  }
}

}  // namespace
