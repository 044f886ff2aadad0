// The store lookups on any back end: the path, counting, name and key tests, and what they create.
#include "rulestore/RuleStoreTest.h"

namespace {

using RuleLookup = RuleStoreTest;

TEST_F(RuleLookup, PathJoinsTheIdentityAsReadAndCreatesOnlyIdentities) {
  std::string path = "stale";
  GetMailRulesPath(path);
  EXPECT_EQ(path, "");  // no identity yet
  EXPECT_TRUE(KeyExists(backend(), "Identities"));
  EXPECT_EQ(Tree("Identities"), std::vector<std::string>{});

  // Blanks, braces and a double-byte character with a 0x5C trail byte go in untouched, once the
  // identity's key is there; until then there is no store, and looking makes no key for it.
  const std::string identity = " {A-1} ソ ";
  Put("Identities", "Last User ID", Text(identity));
  GetMailRulesPath(path);
  EXPECT_EQ(path, "");
  EXPECT_EQ(GetRuleKeyCount(), -1);
  EXPECT_EQ(Tree("Identities"), std::vector<std::string>{});
  Make("Identities\\" + identity);
  GetMailRulesPath(path);
  EXPECT_EQ(path, "Identities\\" + identity + "\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail");
}

TEST_F(RuleLookup, NoIdentityMeansNoStoreAndNothingIsCreated) {
  Put("Identities", "Last User ID", Text(""));
  names_.list.Add("kept");
  EXPECT_EQ(GetRuleKeyCount(), -1);
  EXPECT_FALSE(RuleNameExists(TwoDigitRuleName));
  EXPECT_FALSE(RuleKeyExists("Identities"));  // would be true if the empty path reached the root
  EXPECT_EQ(names_.list.Count(), 1);
  EXPECT_EQ(Tree("Identities"), std::vector<std::string>{});
  EXPECT_FALSE(KeyExists(backend(), "Software\\Microsoft\\Outlook Express"));
}

TEST_F(RuleLookup, CountCreatesAMissingStoreAndListsEveryKindOfSubkey) {
  Put("Identities", "Last User ID", Text(kIdentity));
  Make("Identities\\{ID}");
  EXPECT_EQ(GetRuleKeyCount(), 0);
  EXPECT_TRUE(KeyExists(backend(), kStorePath));
  EXPECT_EQ(names_.list.Count(), 0);

  for (const char* name : {"000", "xyz", "表示", "00a"}) Make(RulePath(name));
  names_.list.Add("stale entry");
  EXPECT_EQ(GetRuleKeyCount(), 4);
  std::vector<std::string> listed = names_.list.Items();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"000", "00a", "xyz", "表示"}));
}

TEST_F(RuleLookup, NamesMatchByteForByteOnly) {
  MakeEmptyStore();
  AddRuleKey("000", "Spam rule");
  Make(RulePath("001"));  // no "Name" at all
  EXPECT_TRUE(RuleNameExists("Spam rule"));
  EXPECT_FALSE(RuleNameExists("spam rule"));
  EXPECT_FALSE(RuleNameExists("Spam rule "));
  EXPECT_FALSE(RuleNameExists("Spam"));
  EXPECT_FALSE(RuleNameExists(TwoDigitRuleName));
  EXPECT_TRUE(RuleHasName(RulePath("001"), ""));
  EXPECT_FALSE(RuleHasName(RulePath("001"), "Spam rule"));
}

TEST_F(RuleLookup, EveryRuleKeyIsReadEvenAfterAMatch) {
  MakeEmptyStore();
  AddRuleKey("000", TwoDigitRuleName);
  AddRuleKey("001", TwoDigitRuleName);
  Put(RulePath("002"), "Name", Dword(7));
  try {
    RuleNameExists(TwoDigitRuleName);
    FAIL() << "a \"Name\" that is not text must be reported";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "'Name' のデータ型が不正です\r\nルールのキー '" + RulePath("002") + "' の値 'Name' を読めません");
  }
}

TEST_F(RuleLookup, KeyExistsLooksOnlyDirectlyBelowTheStore) {
  MakeEmptyStore();
  Make(RulePath("001\\000"));
  EXPECT_FALSE(RuleKeyExists("000"));
  EXPECT_TRUE(RuleKeyExists("001"));
  Make(RulePath("000"));
  EXPECT_TRUE(RuleKeyExists("000"));
}

TEST_F(RuleLookup, AnIdentityThatIsNotTextIsReported) {
  Put("Identities", "Last User ID", Dword(1));
  std::string path;
  EXPECT_THROW(GetMailRulesPath(path), ERegistryException);
}

}  // namespace
