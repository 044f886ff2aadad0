// Failure sweep of the add command, for each choice of rules and each store, with the outcome held
// to the command's promise rather than to the steps it takes. Two ways of failing, at every call of
// a clean run in turn:
//  - that one call fails. Afterwards the registry is as it was, or as it was plus the first ticked
//    rule, or plus every ticked rule, each complete and listed last in "Order" exactly as a clean run
//    leaves it (an unlisted key carrying a ticked rule's name, which the mail client never showed,
//    may be gone in any of them); a retry without the fault leaves exactly what a clean run leaves.
//  - every call from that one on fails, the undoing included (a full disk, a hive gone read-only).
//    Afterwards the mail client sees one of those states; a key it does not see that the command
//    left behind is named in the error; a retry without faults ends with every ticked rule complete
//    and listed as a clean run leaves it, and no unlisted key carrying a ticked rule's name.
// Both ways: an error is raised whenever a ticked rule is not complete, and no handle is left open.
// A key that cannot be read carries no name for the command, so where a failed call hides a key
// that carries a ticked rule's name, the states of a clean run with that key read-only count too:
// the rule added once more, listed and in effect.
// Empty keys that the lookups create on the way to the store count as no change.
#include <cstdio>
#include <iterator>
#include <map>
#include <sstream>

#include "support/FaultInjectingRegistry.h"
#include "registry/TMemoryRegistry.h"
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
    {"IdentityWithoutStore", {Identity(kIdentity), {"Identities\\{ID}", "", {}}, Bystander()}},
    {"StoreWithTheDigitAtRule",
     {Identity(kIdentity), {StoreKey("000"), "Name", Text(DigitAtRuleName)}, {StoreKey("001"), "Name", Text("other")},
      {kStorePath, "Order", Text("000 001")}, Bystander()}},
    {"StoreWithGaps",
     {Identity(kIdentity), {StoreKey("000"), "Name", Text("a")}, {StoreKey("001"), "Name", Text("b")},
      {StoreKey("003"), "Name", Text("c")}, {kStorePath, "Order", Text("000 001 003")}, Bystander()}},
    // An unlisted key with the digit-@ rule's name, and "Order" listing a user's rule by a name
    // whose trail byte is 0x5C, as "ソ" has too; a listed name without its key.
    {"RemnantBesideDoubleByteNames",
     {Identity(kIdentity), {StoreKey("\x83\x5C"), "Name", Text(DigitAtRuleName)},
      {StoreKey("\x95\x5C"), "Name", Text("user")}, {kStorePath, "Order", Text("\x95\x5C 001")}, Bystander()}},
    {"DwordOrder", {Identity(kIdentity), {StoreKey("000"), "Name", Text("a")}, {kStorePath, "Order", Dword(7)}, Bystander()}},
    {"NoIdentity", {Identity(""), Bystander()}},
  };
  return stores;
}

// The registry as "[path]" blocks of its dump, without the empty keys on the way to the store.
std::map<std::string, std::string> State(const TMemoryRegistry& memory) {
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

// The store's "Order" names, as the mail client reads them.
std::vector<std::string> OrderTokens(TRegistryBackend& backend) {
  std::vector<std::string> tokens;
  const auto order = GetValue(backend, kStorePath, "Order");
  if (!order || (order->type != kRegSz && order->type != kRegExpandSz)) return tokens;
  std::istringstream words(order->bytes.substr(0, order->bytes.find('\0')));
  for (std::string token; words >> token;) tokens.push_back(token);
  return tokens;
}

// What the mail client sees: every block outside the store's rule keys, and the rule keys that
// "Order" lists, in its order; by_position names them by their place in "Order" instead.
std::string Seen(TMemoryRegistry& memory, bool by_position) {
  const std::string rule_prefix = std::string(kStorePath) + "\\";
  std::string seen;
  for (const auto& [path, values] : State(memory)) {
    if (path.compare(0, rule_prefix.size(), rule_prefix) == 0 || (by_position && path == kStorePath)) continue;
    seen += "[" + path + "]\n" + values;
  }
  const std::vector<std::string> tokens = OrderTokens(memory);
  for (std::size_t index = 0; index < tokens.size(); ++index) {
    seen += "listed " + (by_position ? std::to_string(index) : tokens[index]) + "\n" + memory.Dump(rule_prefix + tokens[index]);
  }
  return seen;
}

// The store's direct subkeys that "Order" does not list.
std::vector<std::string> UnlistedRuleKeys(TMemoryRegistry& memory) {
  const std::vector<std::string> tokens = OrderTokens(memory);
  std::vector<std::string> unlisted;
  for (const std::string& key : SubkeyNames(memory, kStorePath)) {
    if (std::find(tokens.begin(), tokens.end(), key) == tokens.end()) unlisted.push_back(key);
  }
  return unlisted;
}

// The state without the blocks of the given store keys and of everything beneath them.
std::map<std::string, std::string> Without(std::map<std::string, std::string> state,
                                           const std::vector<std::string>& keys) {
  for (const std::string& key : keys) {
    const std::string path = std::string(kStorePath) + "\\" + key;
    auto block = state.lower_bound(path);
    while (block != state.end() && block->first.compare(0, path.size(), path) == 0) {
      const bool beneath = block->first.size() == path.size() || block->first[path.size()] == '\\';
      block = beneath ? state.erase(block) : std::next(block);
    }
  }
  return state;
}

// The states a command may end in, and what the mail client sees in each.
struct Snapshots {
  std::vector<std::map<std::string, std::string>> states;
  std::vector<std::string> seen;
  void Take(TMemoryRegistry& memory) {
    states.push_back(State(memory));
    seen.push_back(Seen(memory, false));
  }
};

enum FailureMode { kOneCall, kFromCallOn, kFailureModes };
const char* const kModeNames[kFailureModes] = {"one call fails", "every call from there on fails"};

struct Tally {
  int points = 0;
  int sound = 0;
};
Tally& SweepTally(int mode) {
  static Tally tallies[kFailureModes];
  return tallies[mode];
}

class FailureSweep : public RuleStoreTest, public ::testing::WithParamInterface<std::tuple<int, int>> {
 protected:
  static void TearDownTestSuite() {
    for (int mode = 0; mode < kFailureModes; ++mode) {
      const Tally& tally = SweepTally(mode);
      std::printf("\n[failure sweep] %s: %d of %d failure points sound (%d%%)\n", kModeNames[mode], tally.sound,
                  tally.points, tally.points == 0 ? 0 : 100 * tally.sound / tally.points);
    }
  }

  const Command& command() const { return kCommands[std::get<0>(GetParam())]; }
  TMemoryRegistry& memory() { return static_cast<TMemoryRegistry&>(backend()); }

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
  bool Run(Snapshots* after_each = nullptr, std::string* message = nullptr) {
    try {
      if (command().two_digit) {
        AddTwoDigitRule(true);
        if (after_each != nullptr) after_each->Take(memory());
      }
      if (command().digit_at) {
        AddDigitAtRule(true);
        if (after_each != nullptr) after_each->Take(memory());
      }
    } catch (const Exception& error) {
      if (message != nullptr) *message = error.Message();
      return true;
    }
    return false;
  }

  FaultInjectingRegistry faults_{Harness().Backend()};
};

TEST_P(FailureSweep, EveryCallFailingInTurnEndsSoundly) {
  // A clean run: the states the command may end in, and its number of registry calls.
  Build();
  Snapshots allowed;
  allowed.Take(memory());
  const std::vector<std::string> keys_before = SubkeyNames(memory(), kStorePath);
  const auto carries_ticked_name = [&](const std::string& key) {
    const auto name = GetValue(memory(), std::string(kStorePath) + "\\" + key, "Name");
    return (command().two_digit && name == Text(TwoDigitRuleName)) ||
           (command().digit_at && name == Text(DigitAtRuleName));
  };
  std::vector<std::string> remnants;  // unlisted keys carrying a ticked rule's name
  for (const std::string& key : UnlistedRuleKeys(memory())) {
    if (carries_ticked_name(key)) remnants.push_back(key);
  }
  std::vector<std::string> named;  // every key carrying a ticked rule's name
  std::copy_if(keys_before.begin(), keys_before.end(), std::back_inserter(named), carries_ticked_name);
  faults_.ResetCounts();
  const bool clean_raised = Run(&allowed);
  const std::uint64_t calls = faults_.TotalCount();
  std::vector<std::map<std::string, std::string>> completes{allowed.states.back()};
  const std::string seen_complete = Seen(memory(), true);
  const bool can_complete = !clean_raised;
  ASSERT_GT(calls, 0u);
  for (const std::string& key : named) {
    Build();
    ASSERT_TRUE(memory().SetGrantedAccess(std::string(kStorePath) + "\\" + key, kKeyRead));
    Run(&allowed);
    completes.push_back(allowed.states.back());
  }
  const auto is_complete = [&](const auto& state) {
    return std::find(completes.begin(), completes.end(), state) != completes.end();
  };

  for (std::uint64_t nth = 1; nth <= calls; ++nth) {
    for (int mode = 0; mode < kFailureModes; ++mode) {
      SCOPED_TRACE("call " + std::to_string(nth) + " of " + std::to_string(calls) + ": " + kModeNames[mode]);
      Build();
      faults_.ResetCounts();
      (mode == kOneCall ? faults_.FailNthCall(nth, kInjected) : faults_.FailFromCall(nth, kInjected));
      std::string message;
      const bool raised = Run(nullptr, &message);
      faults_.ClearFaults();
      const auto state = State(memory());
      const bool reported = raised || (can_complete && is_complete(state));
      const bool no_leak = memory().OpenHandleCount() == 0;
      bool known_state = std::any_of(allowed.states.begin(), allowed.states.end(), [&](const auto& allowed_state) {
        return Without(allowed_state, remnants) == Without(state, remnants);
      });
      bool left_named = true;
      if (mode == kFromCallOn) {
        const std::string seen = Seen(memory(), false);
        known_state = std::find(allowed.seen.begin(), allowed.seen.end(), seen) != allowed.seen.end();
        for (const std::string& key : UnlistedRuleKeys(memory())) {
          const bool new_key = std::find(keys_before.begin(), keys_before.end(), key) == keys_before.end();
          if (new_key && message.find(std::string(kStorePath) + "\\" + key) == std::string::npos) left_named = false;
        }
      }
      EXPECT_TRUE(known_state) << "the mail client sees neither the store as before nor as after a rule completed";
      EXPECT_TRUE(reported) << "a ticked rule is not complete, and nothing said so";
      EXPECT_TRUE(left_named) << "a key was left behind and the error does not name it: " << message;
      EXPECT_TRUE(no_leak) << memory().OpenHandleCount() << " handles left open";

      const bool retry_raised = Run();
      bool retried = retry_raised == clean_raised && is_complete(State(memory()));
      if (mode == kFromCallOn) {
        retried = retry_raised == clean_raised && Seen(memory(), true) == seen_complete;
        for (const std::string& key : UnlistedRuleKeys(memory())) {
          if (carries_ticked_name(key)) retried = false;
        }
      }
      EXPECT_TRUE(retried) << "a retry without the fault does not end as a clean run";
      Tally& tally = SweepTally(mode);
      ++tally.points;
      if (known_state && reported && left_named && no_leak && retried) ++tally.sound;
    }
  }
}

std::string ParamName(const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
  return std::string(kCommands[std::get<0>(info.param)].label) + "_" + Stores()[std::get<1>(info.param)].label;
}

INSTANTIATE_TEST_SUITE_P(CommandsAndStores, FailureSweep,
                         ::testing::Combine(::testing::Range(0, 3), ::testing::Range(0, 7)), ParamName);

}  // namespace
