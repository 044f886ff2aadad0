// One rule installed through the real registry (run it under Wine, or on Windows) into stores of
// 0 to 4096 rules: the median time of a few runs and the number of registry primitive calls.
// HKEY_CURRENT_USER is redirected to a scratch key for the whole run and the key is deleted after.
// A tool that runs only under Wine or a current Windows, never shipped: it may use RegDeleteTreeA
// (Windows Vista), which the program's Windows 2000 headers hide.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/FaultInjectingRegistry.h"
#include "registry/TWindowsRegistry.h"
#include "rulestore/RuleFunc.h"
#include "base/SystemFamily.h"

namespace {

const char kScratchPath[] = "Software\\QuellmarkBench";
const char kStorePath[] = "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail";

// An open key that closes itself.
class Key {
 public:
  Key(HKEY parent, const std::string& path) {
    if (RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool PutText(HKEY parent, const std::string& path, const char* name, const std::string& text) {
  const Key key(parent, path);
  return key.get() != nullptr &&
         RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

// Empties the scratch key and fills it with a store of rules 000 ... and an "Order" listing them.
bool FillStore(HKEY scratch, int rules) {
  RegDeleteTreeA(scratch, nullptr);
  if (!PutText(scratch, "Identities", "Last User ID", "{ID}")) return false;
  const Key store(scratch, kStorePath);
  if (store.get() == nullptr) return false;
  std::string order;
  for (int number = 0; number < rules; ++number) {
    const std::string name = RuleKeyNameOf(static_cast<std::uint32_t>(number));
    if (!PutText(store.get(), name, "Name", "rule " + name)) return false;
    order += (number == 0 ? "" : " ") + name;
  }
  return PutText(store.get(), "", "Order", order);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
  const Key scratch(HKEY_CURRENT_USER, kScratchPath);
  if (scratch.get() == nullptr || RegOverridePredefKey(HKEY_CURRENT_USER, scratch.get()) != ERROR_SUCCESS) {
    std::fprintf(stderr, "cannot redirect HKEY_CURRENT_USER to a scratch key\n");
    return 1;
  }
  TWindowsRegistry registry(RunningSystemFamily());
  FaultInjectingRegistry counter(registry);
  counter.SetRecording(false);
  TStringList names;
  RuleKeyNames = &names;
  SetActiveRegistryBackend(&counter);

  constexpr int kRuns = 5;
  int status = 0;
  std::printf("%8s %12s %16s\n", "rules", "median ms", "registry calls");
  for (const int rules : {0, 256, 1024, 4096}) {
    std::vector<double> times;
    std::uint64_t calls = 0;
    for (int run = 0; run < kRuns; ++run) {
      if (!FillStore(scratch.get(), rules)) {
        std::fprintf(stderr, "cannot build a store of %d rules\n", rules);
        status = 1;
        break;
      }
      counter.ResetCounts();
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      AddTwoDigitRule(true);
      QueryPerformanceCounter(&end);
      calls = counter.TotalCount();
      times.push_back(Seconds(start, end) * 1000.0);
    }
    if (times.empty()) continue;
    std::sort(times.begin(), times.end());
    std::printf("%8d %12.1f %16llu\n", rules, times[times.size() / 2], static_cast<unsigned long long>(calls));
  }

  SetActiveRegistryBackend(nullptr);
  RuleKeyNames = nullptr;
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegDeleteTreeA(HKEY_CURRENT_USER, kScratchPath);
  return status;
}
