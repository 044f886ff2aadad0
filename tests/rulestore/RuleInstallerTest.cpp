// Installing the junk-mail rules on any back end: the layout, the free rule number, "Order", and
// the stores that must be left alone.
#include <functional>

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
  EXPECT_EQ(names_.list.Items(), std::vector<std::string>{"000"});  // the store's keys as counted before the rule
}

TEST_F(RuleInstaller, TheLowestFreeNumberWins) {
  struct Case {
    std::vector<std::string> existing;
    std::string expected;
    std::string order = "old";  // numbers it lists are taken, keys or not, in either letter case
    std::string link = "";      // a link to a missing key: a key of the store, its target never made
  };
  const auto keys_up_to = [](std::uint32_t last) {
    std::vector<std::string> keys;
    for (std::uint32_t number = 0; number <= last; ++number) keys.push_back(RuleKeyNameOf(number));
    return keys;
  };
  const std::vector<Case> cases = {
      {{"000", "001", "003"}, "002"},
      {{"001", "002"}, "000"},
      {keys_up_to(9), "00A"},
      {{"abc", "000"}, "001"},  // names that are no rule number still count
      {keys_up_to(9), "00B", "00a"},
      {keys_up_to(15), "011", "010"},
      {{}, "001", "002 000"},
      {{"000"}, "002", "000", "001"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.order);
    Clean();
    MakeEmptyStore();
    for (const std::string& key : test.existing) AddRuleKey(key, "other rule");
    if (!test.link.empty() && !Harness().MakeLink(RulePath(test.link), "Software\\Missing")) continue;
    Put(kStorePath, "Order", Text(test.order));
    AddDigitAtRule(true);
    ExpectCompleteRule(test.expected, DigitAtRuleName, DigitAtCriteria, 7);
    EXPECT_EQ(StoreOrder(), Text(test.order + " " + test.expected));
    EXPECT_FALSE(KeyExists(backend(), "Software\\Missing"));
  }
}

TEST_F(RuleInstaller, AnExistingRuleOfTheSameNameStopsEverything) {
  MakeEmptyStore();
  AddRuleKey("Z9", DigitAtRuleName);
  Put(kStorePath, "Order", Text("Z9"));
  AddDigitAtRule(true);
  EXPECT_EQ(Tree(kStorePath), std::vector<std::string>{"Z9"});
  EXPECT_EQ(StoreOrder(), Text("Z9"));
  EXPECT_EQ(names_.list.Items(), std::vector<std::string>{"Z9"});  // as RuleNameExists lists them

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

  EXPECT_FALSE(KeyExists(backend(), RulePath("001")));  // looked at, never made

  // Which key a listed name opens is the registry's answer. In another letter case, also beyond
  // ASCII ("ｂ" listed as "Ｂ"), the rule is present and nothing is written. "表" (95 5C) lists the
  // user's key "表", not "ソ" (83 5C): "ソ" is a remnant, and the rule is installed.
  struct Case {
    std::string key;
    std::string order;
    bool present;
  };
  for (const Case& c : {Case{"00a", "00A", true}, Case{"ｂ", "Ｂ", true}, Case{"ソ", "表", false}}) {
    SCOPED_TRACE(c.order);
    Clean();
    MakeEmptyStore();
    AddRuleKey(c.key, DigitAtRuleName);
    if (!c.present) AddRuleKey(c.order, "user's rule");
    Put(kStorePath, "Order", Text(c.order));
    AddDigitAtRule(true);
    if (c.present) {
      EXPECT_EQ(Tree(kStorePath), std::vector<std::string>{c.key});
      EXPECT_EQ(StoreOrder(), Text(c.order));
    } else {
      ExpectCompleteRule("000", DigitAtRuleName, DigitAtCriteria, 7);
      EXPECT_FALSE(KeyExists(backend(), RulePath(c.key)));
      EXPECT_EQ(Get(RulePath(c.order), "Name"), Text("user's rule"));
      EXPECT_EQ(StoreOrder(), Text(c.order + " 000"));
    }
  }

  // A listed name with a backslash is no key of the store's own: the key it leads to deeper down
  // neither makes the rule present nor goes as a remnant; the remnant 002 beside it does go.
  Clean();
  MakeEmptyStore();
  AddRuleKey("000", "user's rule");
  AddRuleKey("000\\001", DigitAtRuleName);
  AddRuleKey("002", DigitAtRuleName);
  Put(kStorePath, "Order", Text("000 000\\001"));
  AddDigitAtRule(true);
  ExpectCompleteRule("001", DigitAtRuleName, DigitAtCriteria, 7);
  EXPECT_FALSE(KeyExists(backend(), RulePath("002")));
  EXPECT_EQ(Get(RulePath("000\\001"), "Name"), Text(DigitAtRuleName));
  EXPECT_EQ(StoreOrder(), Text("000 000\\001 001"));
}

// A listed key that grants only reading (as some tools leave them) cannot be opened for its name:
// it counts as carrying none, and the rule is added once more, listed and in effect.
TEST_F(RuleInstaller, AListedKeyThatCannotBeReadForItsNameCarriesNone) {
  MakeEmptyStore();
  AddRuleKey("000", TwoDigitRuleName);
  Put(kStorePath, "Order", Text("000"));
  if (!Harness().MakeKeyReadOnly(RulePath("000"))) GTEST_SKIP() << "this back end cannot restrict a key";
  AddTwoDigitRule(true);
  ExpectCompleteRule("001", TwoDigitRuleName, TwoDigitCriteria, 7);
  EXPECT_EQ(StoreOrder(), Text("000 001"));
  EXPECT_EQ(Get(RulePath("000"), "Name"), Text(TwoDigitRuleName));
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
  // Also an identity whose key is gone: nothing is made beneath "Identities" for it.
  for (const RawValue& identity : {Text(""), RawValue{kRegSz, ""}, Text(kIdentity)}) {
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

// Values that cannot be taken as they are stop the command before anything is changed, and the
// error says where: "Order" that is not text; a rule's "Name" that is not text (with its key); a
// key name or an "Order" (REG_SZ or REG_EXPAND_SZ) that a Unicode program wrote with characters
// that code page 932 cannot hold ("é"), which would come back with substitutes: a key name that
// opens nothing, an "Order" that, written back, no longer lists the rule it named. So does what
// the check of remnants refuses, in the second of two as in the first: a name beneath one that the
// code page cannot hold, a key beneath one that denies deletion.
TEST_F(RuleInstaller, WhatCannotBeTakenAsItIsStopsTheCommandBeforeAnyChange) {
  const std::string store = kStorePath;
  const auto remnant_left = [&](const std::string& key) {
    return "以前の追加で途中まで作成されたルールのキー '" + store + "\\" + key + "' を削除できません";
  };
  struct Case {
    const char* what;
    std::function<void()> make;
    std::string message;
  };
  const Case cases[] = {
      {"Order not text", [&] { Put(kStorePath, "Order", Dword(5)); }, "'Order' のデータ型が不正です"},
      {"Name not text", [&] { Put(RulePath("002"), "Name", Dword(5)); },
       "'Name' のデータ型が不正です\r\nルールのキー '" + store + "\\002' の値 'Name' を読めません"},
      {"key name", [&] { ASSERT_TRUE(Harness().MakeKeyInUtf16(kStorePath, u"\u00e9")); },
       "'" + store + "\\?' の名前に Shift_JIS で表せない文字があります"},
      {"Order", [&] { ASSERT_TRUE(Harness().PutTextInUtf16(kStorePath, "Order", u"000 \u00e9")); },
       "'" + store + "' の値 'Order' に Shift_JIS で表せない文字があります"},
      {"key name and Order",
       [&] {
         ASSERT_TRUE(Harness().MakeKeyInUtf16(kStorePath, u"\u00e9"));
         ASSERT_TRUE(Harness().PutTextInUtf16(kStorePath, "Order", u"000 \u00e9"));
       },
       "'" + store + "' の値 'Order' に Shift_JIS で表せない文字があります"},
      {"Order REG_EXPAND_SZ",
       [&] { ASSERT_TRUE(Harness().PutTextInUtf16(kStorePath, "Order", u"000 \u00e9", kRegExpandSz)); },
       "'" + store + "' の値 'Order' に Shift_JIS で表せない文字があります"},
      {"remnant holding a name",
       [&] {
         AddRuleKey("001", TwoDigitRuleName);
         AddRuleKey("002", TwoDigitRuleName);
         ASSERT_TRUE(Harness().MakeKeyInUtf16(RulePath("002"), u"\u00e9"));
       },
       "'" + store + "\\002\\?' の名前に Shift_JIS で表せない文字があります\r\n" + remnant_left("002")},
      {"remnant denying deletion",
       [&] {
         AddRuleKey("001", TwoDigitRuleName);
         Make(RulePath("001\\Actions"));
         if (!Harness().MakeKeyReadOnly(RulePath("001\\Actions"))) GTEST_SKIP() << "cannot restrict a key";
       },
       "'" + store + "\\001\\Actions' を開けません\r\n" + remnant_left("001")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Clean();
    MakeEmptyStore();
    AddRuleKey("000", "user's rule");
    c.make();
    const std::vector<std::string> tree = Tree(kStorePath);
    const std::optional<RawValue> order = StoreOrder();
    for (int attempt = 0; attempt < 2; ++attempt) {
      EXPECT_EQ(RegistryErrorOf([] { AddTwoDigitRule(true); }), c.message);
      EXPECT_EQ(Tree(kStorePath), tree);
      EXPECT_EQ(StoreOrder(), order);
    }
  }
}

}  // namespace
