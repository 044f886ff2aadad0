// One rule installed into stores of 0 to 4096 rules on the in-memory registry: time and the number
// of registry primitive calls per installation.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "support/FaultInjectingRegistry.h"
#include "registry/MemoryRegistry.h"
#include "rulestore/RuleFunc.h"

namespace {

const char kStorePath[] = "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail";

void Check(RegStatus status) {
  if (status != kRegSuccess) throw std::runtime_error("fixture write failed");
}

void PutText(RegistryBackend& backend, const std::string& path, const std::string& name, const std::string& text) {
  RegKey key = 0;
  Check(backend.CreateKey(kHkeyCurrentUser, path, kKeyAllAccess, &key));
  Check(backend.SetValue(key, name, kRegSz, reinterpret_cast<const unsigned char*>(text.c_str()),
                         static_cast<std::uint32_t>(text.size() + 1)));
  backend.CloseKey(key);
}

// A store of rules 000 ... with names of their own and an "Order" that lists them.
void FillStore(MemoryRegistry& registry, int rules) {
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
  MemoryRegistry registry;
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

}  // namespace

BENCHMARK_MAIN();
