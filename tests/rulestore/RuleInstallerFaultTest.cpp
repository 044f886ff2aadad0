// The installer through the fault-injecting wrapper: the exact write sequence, failures part-way
// and their undoing, and big stores. Each failure is judged by what the user sees: the store and
// the error. In-memory only: the wrapper needs a back end it can stand in front of freely.
#include <new>

#include "support/FaultInjectingRegistry.h"
#include "registry/TMemoryRegistry.h"
#include "rulestore/RuleStoreTest.h"

namespace {

class RuleInstallerFaults : public RuleStoreTest {
 protected:
  void SetUp() override {
    RuleStoreTest::SetUp();
    SetActiveRegistryBackend(&faults_);
  }
  // (key path relative to the store, value name) of every value write, in order.
  std::vector<std::string> Writes() const {
    std::vector<std::string> writes;
    const std::string prefix = std::string(kStorePath);
    for (const RecordedCall& call : faults_.Calls()) {
      if (call.kind != RegCall::kSetValue) continue;
      std::string key = call.key_path;
      key = key.compare(0, prefix.size(), prefix) == 0 ? key.substr(prefix.size()) : "OUTSIDE:" + key;
      writes.push_back(key + " " + call.value_name);
    }
    return writes;
  }

  TMemoryRegistry& memory() { return static_cast<TMemoryRegistry&>(backend()); }

  FaultInjectingRegistry faults_{Harness().Backend()};
};

TEST_F(RuleInstallerFaults, ValuesAreWrittenInTheMailClientsOrderAndNothingElse) {
  MakeEmptyStore();
  faults_.ResetCounts();
  AddTwoDigitRule(true);
  EXPECT_EQ(Writes(), (std::vector<std::string>{
                          "\\000 Enabled", "\\000 Name", "\\000 Version", "\\000\\Actions Order",
                          "\\000\\Actions\\000 Flags", "\\000\\Actions\\000 Type", "\\000\\Criteria Order",
                          "\\000\\Criteria\\000 Flags", "\\000\\Criteria\\000 Logic", "\\000\\Criteria\\000 Type",
                          "\\000\\Criteria\\000 Value", "\\000\\Criteria\\000 ValueType", "\\000\\Criteria\\001 Flags",
                          "\\000\\Criteria\\001 Logic", "\\000\\Criteria\\001 Type", "\\000\\Criteria\\001 Value",
                          "\\000\\Criteria\\001 ValueType", " Order"}));
  EXPECT_EQ(static_cast<TMemoryRegistry&>(backend()).OpenHandleCount(), 0u);
}

// Failures at the points where a rule could be lost, "Order" emptied or half a rule left behind: the
// store stays as it was, the error names what failed, and a retry installs the rule.
TEST_F(RuleInstallerFaults, AFailureBeforeOrderIsWrittenLeavesTheStoreAsItWas) {
  const std::string rule = std::string(kStorePath) + "\\001";
  struct Case {
    const char* what;
    void (*arm)(FaultInjectingRegistry&);
    std::string message;
  };
  const Case cases[] = {
      {"a failed size query of Order",
       [](FaultInjectingRegistry& f) { f.FailValue(RegCall::kQueryValue, "Order", kRegAccessDenied); },
       "'Order' の取得に失敗しました"},
      {"a listing short of one subkey",
       [](FaultInjectingRegistry& f) { f.FailNth(RegCall::kEnumKey, 0, kRegNoMoreItems); },
       "'" + std::string(kStorePath) + "' のサブキーの一覧を取得できません"},
      {"a criteria key that will not open",
       [](FaultInjectingRegistry& f) {
         f.FailKey(RegCall::kCreateKey, std::string(kStorePath) + "\\001\\Criteria", kRegAccessDenied);
       },
       "'" + rule + "\\Criteria' を開けません"},
      {"a refused write", [](FaultInjectingRegistry& f) { f.FailValue(RegCall::kSetValue, "Type", kRegAccessDenied); },
       "'Type' の設定に失敗しました"},
      {"a refused write of Order itself",
       [](FaultInjectingRegistry& f) { f.FailValue(RegCall::kSetValue, "Order", kRegAccessDenied); },
       "'Order' の設定に失敗しました"},
      {"a store key that will not open",
       [](FaultInjectingRegistry& f) { f.FailKey(RegCall::kOpenKey, kStorePath, kRegAccessDenied); },
       "Outlook Express のメッセージ ルールの保存場所 '" + std::string(kStorePath) + "' を開けません"},
      {"an Identities key that will not open: an error, not a missing identity",
       [](FaultInjectingRegistry& f) { f.FailKey(RegCall::kCreateKey, "Identities", kRegAccessDenied); },
       "'Identities' を開けません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Clean();
    SetActiveRegistryBackend(&faults_);
    MakeEmptyStore();
    AddRuleKey("000", "first");
    Put(kStorePath, "Order", Text("000"));
    const std::string before = memory().Dump();
    faults_.ResetCounts();
    c.arm(faults_);
    try {
      AddDigitAtRule(false);
      ADD_FAILURE() << "the failure must be reported";
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.Message(), c.message);
    }
    faults_.ClearFaults();
    EXPECT_EQ(memory().Dump(), before);
    EXPECT_EQ(memory().OpenHandleCount(), 0u);
    AddDigitAtRule(false);
    ExpectCompleteRule("001", DigitAtRuleName, DigitAtCriteria, 8);
    EXPECT_EQ(StoreOrder(), Text("000 001"));
  }
}

TEST_F(RuleInstallerFaults, ARuleKeyThatTurnsOutToExistIsNeverWrittenInto) {
  MakeEmptyStore();
  AddRuleKey("000", "first");  // not listed, so only its key tells that 000 is taken
  const std::string before = memory().Dump();
  // Every look at "000" wrongly finds it missing; creating it then reports a key that was already there.
  faults_.FailKey(RegCall::kOpenKey, RulePath("000"), kRegFileNotFound);
  try {
    AddTwoDigitRule(true);
    ADD_FAILURE() << "writing into another rule's key must be refused";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "新しいルールのキー '" + RulePath("000") + "' が既に存在します");
  }
  EXPECT_EQ(memory().Dump(), before);
  EXPECT_EQ(memory().OpenHandleCount(), 0u);
}

// Whatever failed first, a registry error or anything else (here memory running out), keys that
// cannot be taken away again are reported with it.
TEST_F(RuleInstallerFaults, ARollbackThatFailsSaysWhichKeyIsLeft) {
  const std::string left = "\r\n作成途中のルールのキー '" + RulePath("000") + "' を削除できませんでした";
  for (const bool registry_error : {true, false}) {
    Clean();
    SetActiveRegistryBackend(&faults_);
    MakeEmptyStore();
    faults_.ClearFaults();
    faults_.FailNth(RegCall::kDeleteKey, 0, kRegAccessDenied);
    if (registry_error) {
      faults_.FailValue(RegCall::kSetValue, "ValueType", kRegAccessDenied);
    } else {
      faults_.before_call = [](RegCall kind, const std::string* value_name) {
        if (kind == RegCall::kSetValue && *value_name == "ValueType") throw std::bad_alloc();
      };
    }
    try {
      AddTwoDigitRule(true);
      ADD_FAILURE() << "the failure must be reported";
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.Message(), (registry_error ? "'ValueType' の設定に失敗しました" : "std::bad_alloc") + left);
    }
    faults_.before_call = nullptr;
    EXPECT_FALSE(StoreOrder());  // the rule was never listed
    EXPECT_EQ(memory().OpenHandleCount(), 0u);
  }
}

TEST_F(RuleInstallerFaults, ARemnantThatCannotBeDeletedStopsTheCommandAndNamesIt) {
  MakeEmptyStore();
  AddRuleKey("000", TwoDigitRuleName);
  Make(RulePath("000") + "\\Actions\\000");
  faults_.FailKey(RegCall::kDeleteKey, RulePath("000") + "\\Actions",
                  kRegAccessDenied);  // its leaf goes, the rest stays
  try {
    AddTwoDigitRule(true);
    ADD_FAILURE() << "a remnant left in place would pass for the rule";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "以前の追加で途中まで作成されたルールのキー '" + RulePath("000") + "' を削除できません");
  }
  EXPECT_EQ(Tree(kStorePath), (std::vector<std::string>{"000", "000\\Actions"}));
  EXPECT_EQ(Get(RulePath("000"), "Name"), Text(TwoDigitRuleName));
  EXPECT_FALSE(StoreOrder());
  EXPECT_EQ(memory().OpenHandleCount(), 0u);
  faults_.ClearFaults();
  AddTwoDigitRule(true);
  ExpectCompleteRule("000", TwoDigitRuleName, TwoDigitCriteria, 7);
}

// A registry link leads outside the store: a remnant holding one, or being one, is refused, naming
// the link, and nothing changes anywhere (deleting the link would delete the key it leads to). So is
// a remnant whose link check cannot be read (the query of its link value refused): it may be one.
TEST_F(RuleInstallerFaults, ALinkInARemnantStopsTheCommandAndNothingAnywhereChanges) {
  struct Case {
    std::string link;  // none: 001's link value refuses to be queried
    std::string remnant;
    std::string failure;
  };
  for (const Case& c : {Case{"001\\Link", "001", "'" + RulePath("001\\Link") + "' を開けません"},
                        Case{"002", "002", "'" + RulePath("002") + "' を開けません"},
                        Case{"", "001", "'SymbolicLinkValue' の取得に失敗しました"}}) {
    SCOPED_TRACE(c.remnant);
    Clean();
    SetActiveRegistryBackend(&faults_);
    MakeEmptyStore();
    AddRuleKey("001", TwoDigitRuleName);
    Put("Software\\Victim", "Name", Text(TwoDigitRuleName));  // the link "002" carries the name too
    Put("Software\\Victim\\Child", "Kept", Text("kept"));
    if (c.link.empty()) {
      faults_.FailValue(RegCall::kQueryValue, "SymbolicLinkValue", kRegAccessDenied);
    } else {
      ASSERT_TRUE(memory().MakeLink(RulePath(c.link), "Software\\Victim"));
    }
    const std::string before = memory().Dump();
    EXPECT_EQ(RegistryErrorOf([] { AddTwoDigitRule(true); }),
              c.failure + "\r\n以前の追加で途中まで作成されたルールのキー '" + RulePath(c.remnant) + "' を削除できません");
    EXPECT_EQ(memory().Dump(), before);
    faults_.ClearFaults();
  }
}

TEST_F(RuleInstallerFaults, ABigStoreGetsTheNextNumberInFourDigits) {
  MakeEmptyStore();
  std::string order;
  for (std::uint32_t number = 0; number < 4096; ++number) {
    Make(RulePath(RuleKeyNameOf(number)));
    order += (number == 0 ? "" : " ") + RuleKeyNameOf(number);
  }
  Put(kStorePath, "Order", Text(order));
  AddTwoDigitRule(true);
  ExpectCompleteRule("1000", TwoDigitRuleName, TwoDigitCriteria, 7);
  EXPECT_EQ(StoreOrder(), Text(order + " 1000"));
}

}  // namespace
