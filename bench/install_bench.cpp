// One rule installed into stores of 0 to 4096 rules on the in-memory registry: time and the number
// of registry primitive calls per installation. And a store whose "Order" is 1 MB of names without
// keys: the rule installed after all of them, or found present behind all of them.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "support/FaultInjectingRegistry.h"
#include "registry/TMemoryRegistry.h"
#include "rulestore/RuleFunc.h"

namespace {

const char kStorePath[] = "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail";

void Check(RegStatus status) {
  if (status != kRegSuccess) throw std::runtime_error("fixture write failed");
}

void PutText(TRegistryBackend& backend, const std::string& path, const std::string& name, const std::string& text) {
  RegKey key = 0;
  Check(backend.CreateKey(kHkeyCurrentUser, path, kKeyAllAccess, &key));
  Check(backend.SetValue(key, name, kRegSz, reinterpret_cast<const unsigned char*>(text.c_str()),
                         static_cast<std::uint32_t>(text.size() + 1)));
  backend.CloseKey(key);
}

// A store of rules 000 ... with names of their own and an "Order" that lists them.
void FillStore(TMemoryRegistry& registry, int rules) {
  registry.Clear();
  PutText(registry, "Identities", "Last User ID", "{ID}");
  RegKey key = 0;
  Check(registry.CreateKey(kHkeyCurrentUser, kStorePath, kKeyAllAccess, &key));
  registry.CloseKey(key);
  std::string order;
  for (int number = 0; number < rules; ++number) {
    const std::string name = RuleKeyNameOf(static_cast<std::uint32_t>(number));
    PutText(registry, std::string(kStorePath) + "\\" + name, "Name", "rule " + name);
    order += (number == 0 ? "" : " ") + name;
  }
  PutText(registry, kStorePath, "Order", order);
}

void BM_InstallOneRule(benchmark::State& state) {
  const int rules = static_cast<int>(state.range(0));
  TMemoryRegistry registry;
  FaultInjectingRegistry counter(registry);
  counter.SetRecording(false);
  TStringList names;
  RuleKeyNames = &names;
  SetActiveRegistryBackend(&counter);

  std::uint64_t calls = 0;
  for (auto _ : state) {
    state.PauseTiming();
    FillStore(registry, rules);
    counter.ResetCounts();
    state.ResumeTiming();

    AddTwoDigitRule(true);

    state.PauseTiming();
    calls = counter.TotalCount();
    state.ResumeTiming();
  }
  state.counters["rules"] = rules;
  state.counters["registry_calls"] = static_cast<double>(calls);
  state.counters["calls_per_rule"] = static_cast<double>(calls) / (rules + 1);
  SetActiveRegistryBackend(nullptr);
  RuleKeyNames = nullptr;
}
BENCHMARK(BM_InstallOneRule)->Arg(0)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

// An "Order" of 1 MB listing rule numbers from 000 up without their keys; with present, last of all
// the name of a key that carries the rule.
void FillMegabyteOrder(TMemoryRegistry& registry, bool present, std::uint32_t* listed) {
  registry.Clear();
  PutText(registry, "Identities", "Last User ID", "{ID}");
  std::string order;
  for (*listed = 0; order.size() < 1024 * 1024; ++*listed) order += RuleKeyNameOf(*listed) + " ";
  if (present) PutText(registry, std::string(kStorePath) + "\\Present", "Name", TwoDigitRuleName);
  order += present ? "Present" : "x";
  PutText(registry, kStorePath, "Order", order);
}

void BM_InstallBeneathOneMegabyteOrder(benchmark::State& state) {
  const bool present = state.range(0) != 0;
  TMemoryRegistry registry;
  TStringList names;
  RuleKeyNames = &names;
  SetActiveRegistryBackend(&registry);
  std::uint32_t listed = 0;
  FillMegabyteOrder(registry, present, &listed);
  for (auto _ : state) {
    AddTwoDigitRule(true);
    if (!present) {
      state.PauseTiming();
      FillMegabyteOrder(registry, present, &listed);
      state.ResumeTiming();
    }
  }
  state.counters["listed_names"] = listed;
  state.counters["rule_present"] = present;
  SetActiveRegistryBackend(nullptr);
  RuleKeyNames = nullptr;
}
BENCHMARK(BM_InstallBeneathOneMegabyteOrder)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
