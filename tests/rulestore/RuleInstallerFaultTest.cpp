// The installer through the fault-injecting wrapper: the exact write sequence, failures part-way,
// and big stores. In-memory only: the wrapper needs a back end it can stand in front of freely.
#include "registry/FaultInjectingRegistry.h"
#include "registry/MemoryRegistry.h"
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
  EXPECT_EQ(static_cast<MemoryRegistry&>(backend()).OpenHandleCount(), 0u);
}

TEST_F(RuleInstallerFaults, AFailedWriteEndsTheInstallationAndNamesTheValue) {
  MakeEmptyStore();
  Put(kStorePath, "Order", Text("7"));
  faults_.FailValue(RegCall::kSetValue, "Type", kRegAccessDenied);  // the action's type, row 6
  try {
    AddDigitAtRule(false);
    FAIL() << "the refused write must be reported";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "'Type' の設定に失敗しました");
  }
  // What was written stays; nothing after the failure ran.
  EXPECT_EQ(Get(RulePath("000"), "Name"), Text(DigitAtRuleName));
  EXPECT_EQ(Get(RulePath("000\\Actions"), "Order"), Text("000"));
  EXPECT_FALSE(KeyExists(backend(), RulePath("000\\Criteria")));
  EXPECT_EQ(StoreOrder(), Text("7"));
  EXPECT_EQ(static_cast<MemoryRegistry&>(backend()).OpenHandleCount(), 0u);

  // The rule's name now stops a retry: the half-written rule is left for the user to delete.
  faults_.ClearFaults();
  faults_.ResetCounts();
  AddDigitAtRule(false);
  EXPECT_EQ(faults_.Count(RegCall::kSetValue), 0u);
}

TEST_F(RuleInstallerFaults, ABigStoreGetsTheNextNumberInFourDigits) {
  MakeEmptyStore();
  std::string order;
  for (std::uint32_t number = 0; number < 4096; ++number) {
    Make(RulePath(RuleKeyNameOf(number)));
    order += (number == 0 ? "" : " ") + RuleKeyNameOf(number);
  }
  Put(kStorePath, "Order", Text(order));
  faults_.ResetCounts();
  AddTwoDigitRule(true);
  EXPECT_EQ(Get(RulePath("1000"), "Name"), Text(TwoDigitRuleName));
  EXPECT_EQ(StoreOrder(), Text(order + " 1000"));
  EXPECT_EQ(faults_.Count(RegCall::kSetValue), 18u);
}

TEST_F(RuleInstallerFaults, AnInstallationMakesNoRegistryCallBeyondItsSteps) {
  for (const std::uint32_t rules : {0u, 3u, 40u}) {
    Clean();
    SetActiveRegistryBackend(&faults_);
    MakeEmptyStore();
    std::string order = "x";
    for (std::uint32_t number = 0; number < rules; ++number) AddRuleKey(RuleKeyNameOf(number), "other rule");
    Put(kStorePath, "Order", Text(order));
    faults_.ResetCounts();
    AddTwoDigitRule(true);

    const std::uint64_t n = rules;
    const std::uint64_t identity = 4;              // open "Identities", size and read "Last User ID", close
    const std::uint64_t name_walk = identity + 3 + n * (1 + 4);  // open, info, close; per key: enum + name test
    const std::uint64_t count = identity + 3 + n;  // open, info, close; an enumeration per key
    const std::uint64_t free_name = n * (identity + 4) + (identity + 3);  // taken names close their probe
    const std::uint64_t order_check = identity + 4;  // fresh path; open, size, read, close
    const std::uint64_t blocks = 5 + 7 + 3 + 7 + 7;  // opens, 17 writes, closes
    const std::uint64_t order_update = identity + 5;  // open, size, read, write, close
    EXPECT_EQ(faults_.TotalCount(), name_walk + count + free_name + order_check + blocks + order_update)
        << rules << " rules";
    EXPECT_EQ(faults_.Count(RegCall::kSetValue), 18u);
  }
}

}  // namespace
