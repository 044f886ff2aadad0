// Failure sweep of the add command: every registry call of a clean run fails in turn, for each
// choice of rules and each store, and the outcome is held to the command's promise rather than to
// the steps it takes:
//  - afterwards the registry is as it was, or as it was plus the first ticked rule, or plus every
//    ticked rule, each complete and listed last in "Order" exactly as a clean run leaves it;
//  - an error is raised whenever a ticked rule is not complete;
//  - no handle is left open;
//  - a retry without the fault leaves exactly what a clean run leaves.
// Empty keys that the lookups create on the way to the store count as no change.
#include <cstdio>
#include <map>
#include <sstream>

#include "support/FaultInjectingRegistry.h"
#include "registry/MemoryRegistry.h"
#include "rulestore/RuleStoreTest.h"

namespace {

constexpr RegStatus kInjected = kRegAccessDenied;

struct Command {
  const char* label;
  bool two_digit;
  bool digit_at;
};
const Command kCommands[] = {{"TwoDigit", true, false}, {"DigitAt", false, true}, {"Both", true, true}};

struct Entry {
  std::string path;
  std::string value_name;  // empty: the key alone
  RawValue value;
};
std::string StoreKey(const std::string& key) { return std::string(kStorePath) + "\\" + key; }
Entry Identity(const std::string& id) { return {"Identities", "Last User ID", Text(id)}; }
Entry Bystander() { return {"Software\\Bystander", "Kept", Text("kept")}; }  // must never change

struct StoreCase {
  const char* label;
  std::vector<Entry> entries;
};
// Built on first use: the rule names are other units' globals.
const std::vector<StoreCase>& Stores() {
  static const std::vector<StoreCase> stores = {
    {"EmptyStore", {Identity(kIdentity), {kStorePath, "", {}}, Bystander()}},
    {"IdentityWithoutStore", {Identity(kIdentity), Bystander()}},
    {"StoreWithTheDigitAtRule",
     {Identity(kIdentity), {StoreKey("000"), "Name", Text(DigitAtRuleName)}, {StoreKey("001"), "Name", Text("other")},
      {kStorePath, "Order", Text("000 001")}, Bystander()}},
    {"StoreWithGaps",
     {Identity(kIdentity), {StoreKey("000"), "Name", Text("a")}, {StoreKey("001"), "Name", Text("b")},
      {StoreKey("003"), "Name", Text("c")}, {kStorePath, "Order", Text("000 001 003")}, Bystander()}},
    {"DwordOrder", {Identity(kIdentity), {StoreKey("000"), "Name", Text("a")}, {kStorePath, "Order", Dword(7)}, Bystander()}},
    {"NoIdentity", {Identity(""), Bystander()}},
  };
  return stores;
}

// The registry as "[path]" blocks of its dump, without the empty keys on the way to the store.
std::map<std::string, std::string> State(const MemoryRegistry& memory) {
  std::map<std::string, std::string> blocks;
  std::istringstream lines(memory.Dump());
  std::string path;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.front() == '[' && line.back() == ']') {
      path = line.substr(1, line.size() - 2);
      blocks[path];
    } else {
      blocks[path] += line + "\n";
    }
  }
  const std::string store = kStorePath;
  for (auto block = blocks.begin(); block != blocks.end();) {
    const std::string& key = block->first;
    const bool on_the_way = key.empty() || store == key || store.compare(0, key.size() + 1, key + "\\") == 0;
    block = on_the_way && block->second.empty() ? blocks.erase(block) : std::next(block);
  }
  return blocks;
}

struct Tally {
  int points = 0;
  int sound = 0;
};
Tally& SweepTally() {
  static Tally tally;
  return tally;
}

class FailureSweep : public RuleStoreTest, public ::testing::WithParamInterface<std::tuple<int, int>> {
 protected:
  static void TearDownTestSuite() {
    const Tally& tally = SweepTally();
    std::printf("\n[failure sweep] %d of %d failure points sound (%d%%)\n", tally.sound, tally.points,
                tally.points == 0 ? 0 : 100 * tally.sound / tally.points);
    RecordProperty("failure_points", tally.points);
    RecordProperty("sound", tally.sound);
  }

  const Command& command() const { return kCommands[std::get<0>(GetParam())]; }
  MemoryRegistry& memory() { return static_cast<MemoryRegistry&>(backend()); }

  void Build() {
    Clean();
    SetActiveRegistryBackend(&faults_);
    for (const Entry& entry : Stores()[std::get<1>(GetParam())].entries) {
      if (entry.value_name.empty()) {
        Make(entry.path);
      } else {
        Put(entry.path, entry.value_name, entry.value);
      }
    }
  }

  // The command's installers in order, as "追加" runs them: the first failure ends it. After each
  // installer that returns, the registry's state is noted in after_each. True when one raised.
  bool Run(std::vector<std::map<std::string, std::string>>* after_each = nullptr) {
    try {
      if (command().two_digit) {
        AddTwoDigitRule(true);
        if (after_each != nullptr) after_each->push_back(State(memory()));
      }
      if (command().digit_at) {
        AddDigitAtRule(true);
        if (after_each != nullptr) after_each->push_back(State(memory()));
      }
    } catch (const Exception&) {
      return true;
    }
    return false;
  }

  FaultInjectingRegistry faults_{Harness().Backend()};
};

TEST_P(FailureSweep, EveryCallFailingInTurnEndsSoundly) {
  // A clean run: the states the command may end in, and its number of registry calls.
  Build();
  std::vector<std::map<std::string, std::string>> allowed{State(memory())};
  faults_.ResetCounts();
  const bool clean_raised = Run(&allowed);
  const std::uint64_t calls = faults_.TotalCount();
  const auto complete = allowed.back();
  const bool can_complete = !clean_raised;
  ASSERT_GT(calls, 0u);

  Tally& tally = SweepTally();
  for (std::uint64_t nth = 1; nth <= calls; ++nth) {
    SCOPED_TRACE("call " + std::to_string(nth) + " of " + std::to_string(calls) + " fails");
    Build();
    faults_.ResetCounts();
    faults_.FailNthCall(nth, kInjected);
    const bool raised = Run();
    faults_.ClearFaults();
    const auto state = State(memory());
    const bool known_state = std::find(allowed.begin(), allowed.end(), state) != allowed.end();
    const bool reported = raised || (can_complete && state == complete);
    const bool no_leak = memory().OpenHandleCount() == 0;
    EXPECT_TRUE(known_state) << "the store is neither as before nor as after a rule completed";
    EXPECT_TRUE(reported) << "a ticked rule is not complete, and nothing said so";
    EXPECT_TRUE(no_leak) << memory().OpenHandleCount() << " handles left open";

    const bool retry_raised = Run();
    const bool retried = retry_raised == clean_raised && State(memory()) == complete;
    EXPECT_TRUE(retried) << "a retry without the fault does not end as a clean run";
    ++tally.points;
    if (known_state && reported && no_leak && retried) ++tally.sound;
  }
}

std::string ParamName(const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
  return std::string(kCommands[std::get<0>(info.param)].label) + "_" + Stores()[std::get<1>(info.param)].label;
}

INSTANTIATE_TEST_SUITE_P(CommandsAndStores, FailureSweep,
                         ::testing::Combine(::testing::Range(0, 3), ::testing::Range(0, 6)), ParamName);

}  // namespace
