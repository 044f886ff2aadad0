// Failure sweep: every registry primitive call of an installation fails in turn, and each outcome
// is checked against what the registry layer and the rule store promise for that call.
//
// The expectation is derived, not listed: a model of the documented behaviour (TRegistry over a
// plain key map, the lookups, the installer) is replayed against the call record of the run. The
// model walks the same steps, takes each call's status from the record (a failure is status 5, which
// these stores never give otherwise) and follows what the layers say a failure means: a failed open
// is false and skips its block, a failed size query reads as a missing value, a failed read of a
// value that exists raises 65413, a failed store 65414, a failed key query lists nothing, a failed
// enumeration drops that entry, a failed close changes nothing. The run must then make exactly the
// calls the model makes, raise what it raises, and leave exactly the registry it leaves. A retry
// without faults follows; whatever it cannot mend is reported in the summary.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "registry/FaultInjectingRegistry.h"
#include "registry/MemoryRegistry.h"
#include "rulestore/RuleStoreTest.h"

namespace {

constexpr RegStatus kInjected = kRegAccessDenied;
const char kMailRulesSuffix[] = "\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail";

// ---- The model's registry: keys by exact path, values in the order first set. ----

class ModelStore {
 public:
  void MakeKey(const std::string& path) {
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
      keys_.emplace(path.substr(0, at), Values());
    }
    keys_.emplace(path, Values());
  }
  bool HasKey(const std::string& path) const { return keys_.count(path) != 0; }
  const RawValue* Find(const std::string& path, const std::string& name) const {
    const auto key = keys_.find(path);
    if (key == keys_.end()) return nullptr;
    for (const auto& value : key->second) {
      if (value.first == name) return &value.second;
    }
    return nullptr;
  }
  void Set(const std::string& path, const std::string& name, const RawValue& value) {
    MakeKey(path);
    for (auto& existing : keys_[path]) {
      if (existing.first == name) {
        existing.second = value;
        return;
      }
    }
    keys_[path].emplace_back(name, value);
  }
  // Subkey names in the registry's order (the stores here use ASCII names only).
  std::vector<std::string> Children(const std::string& path) const {
    std::vector<std::string> children;
    const std::string prefix = path + "\\";
    for (const auto& key : keys_) {
      if (key.first.compare(0, prefix.size(), prefix) != 0) continue;
      const std::string rest = key.first.substr(prefix.size());
      if (rest.find('\\') == std::string::npos) children.push_back(rest);
    }
    std::sort(children.begin(), children.end(), [](const std::string& a, const std::string& b) {
      return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
      });
    });
    return children;
  }
  // The same keys and values in a registry of their own, for comparing dumps.
  std::string Dump() const {
    MemoryRegistry registry;
    for (const auto& key : keys_) {
      EXPECT_TRUE(::MakeKey(registry, key.first));
      for (const auto& value : key.second) EXPECT_TRUE(::PutValue(registry, key.first, value.first, value.second));
    }
    return registry.Dump();
  }

 private:
  using Values = std::vector<std::pair<std::string, RawValue>>;
  std::map<std::string, Values> keys_;
};

// What an operation raised: nothing, Exception or ERegistryException, with its message.
struct Raised {
  std::string kind;
  std::string message;
  bool operator==(const Raised& other) const { return kind == other.kind && message == other.message; }
};
std::string ReadFailedMessage(const std::string& name) { return "'" + name + "' の取得に失敗しました"; }
std::string WriteFailedMessage(const std::string& name) { return "'" + name + "' の設定に失敗しました"; }
std::string BadTypeMessage(const std::string& name) { return "'" + name + "' のデータ型が不正です"; }

// In ASCII, for summaries: the message id and the value it names.
std::string Describe(const Raised& raised) {
  if (raised.kind.empty()) return "nothing raised";
  if (raised.message == NoIdentityMessage) return raised.kind + " (no identity)";
  const std::pair<const char*, std::string (*)(const std::string&)> templates[] = {
      {"65413", ReadFailedMessage}, {"65414", WriteFailedMessage}, {"65437", BadTypeMessage}};
  for (const auto& entry : templates) {
    const std::string tail = entry.second("").substr(1);  // what follows the value name
    const std::string& message = raised.message;
    if (message.size() > tail.size() && message[0] == '\'' &&
        message.compare(message.size() - tail.size(), tail.size(), tail) == 0) {
      return raised.kind + " " + entry.first + " '" + message.substr(1, message.size() - tail.size() - 1) + "'";
    }
  }
  return raised.kind + " (another message)";
}
std::ostream& operator<<(std::ostream& out, const Raised& raised) {
  return out << Describe(raised) << (raised.kind.empty() ? "" : ": \"" + raised.message + "\"");
}

// ---- The documented behaviour, replayed against a call record. ----

class Replay {
 public:
  Replay(const std::vector<RecordedCall>& calls, ModelStore& store) : calls_(calls), store_(store) {}

  // The first place where the record and the model part ways; empty when they never do.
  const std::string& Divergence() const { return divergence_; }
  bool ConsumedAll() const { return next_ == calls_.size(); }

  Raised Install(const std::string& name, const CriteriaBlob& criteria, bool delete_after_receive) {
    try {
      InstallRule(name, criteria, delete_after_receive);
    } catch (const ModelRaise& raised) {
      return raised.raised;
    }
    return {};
  }

 private:
  struct ModelRaise {
    Raised raised;
  };
  [[noreturn]] static void RaiseRegistry(const std::string& message) {
    throw ModelRaise{{"ERegistryException", message}};
  }

  // The next call of the record must be this one; its status says whether it succeeded. A status
  // that is not the injected one must be what the registry gives for the model's contents.
  bool Take(RegCall kind, const std::string& path, const std::string& value_name, bool succeeds) {
    if (!divergence_.empty()) return false;
    std::ostringstream wanted;
    wanted << RegCallName(kind) << " [" << path << "] " << value_name;
    if (next_ >= calls_.size()) {
      divergence_ = "the record ends where the model makes " + wanted.str();
      return false;
    }
    const RecordedCall& call = calls_[next_++];
    if (call.kind != kind || call.key_path != path || call.value_name != value_name) {
      divergence_ = "call " + std::to_string(next_) + " is " + RegCallName(call.kind) + " [" + call.key_path + "] " +
                    call.value_name + ", the model makes " + wanted.str();
      return false;
    }
    if (call.status != kInjected && (call.status == kRegSuccess) != succeeds) {
      divergence_ = "call " + std::to_string(next_) + " (" + wanted.str() + ") answered " +
                    std::to_string(call.status) + " against the model's contents";
      return false;
    }
    return call.status == kRegSuccess;
  }

  // One TRegistry: at most one open key, paths from the root or beneath the open key.
  class Accessor {
   public:
    explicit Accessor(Replay& replay) : replay_(replay) {}
    ~Accessor() { Close(); }
    Accessor(const Accessor&) = delete;
    Accessor& operator=(const Accessor&) = delete;

    bool Open(const std::string& path) {
      const std::string full = open_ ? current_ + "\\" + path : path;
      if (!replay_.Take(RegCall::kCreateKey, full, "", true)) return false;
      replay_.store_.MakeKey(full);
      // The old key goes only once the new one is open.
      if (open_) replay_.Take(RegCall::kCloseKey, current_, "", true);
      current_ = full;
      open_ = true;
      return true;
    }
    void Close() {
      if (!open_) return;
      replay_.Take(RegCall::kCloseKey, current_, "", true);
      open_ = false;
      current_.clear();
    }
    std::string ReadText(const std::string& name) {
      if (!open_) return {};
      const RawValue* value = replay_.store_.Find(current_, name);
      if (!replay_.Take(RegCall::kQueryValue, current_, name, value != nullptr)) return {};
      if (value->bytes.empty()) return {};
      if (!replay_.Take(RegCall::kQueryValue, current_, name, true)) RaiseRegistry(ReadFailedMessage(name));
      if (value->type != kRegSz && value->type != kRegExpandSz) RaiseRegistry(BadTypeMessage(name));
      return value->bytes.substr(0, value->bytes.find('\0'));
    }
    void Write(const std::string& name, const RawValue& value) {
      if (!open_ || !replay_.Take(RegCall::kSetValue, current_, name, true)) RaiseRegistry(WriteFailedMessage(name));
      replay_.store_.Set(current_, name, value);
    }
    std::vector<std::string> List() {
      if (!open_ || !replay_.Take(RegCall::kQueryInfoKey, current_, "", true)) return {};
      std::vector<std::string> listed;
      for (const std::string& child : replay_.store_.Children(current_)) {
        if (replay_.Take(RegCall::kEnumKey, current_, "", true)) listed.push_back(child);
      }
      return listed;
    }
    bool SubkeyExists(const std::string& name) {
      const std::string path = current_ + "\\" + name;
      if (!replay_.Take(RegCall::kOpenKey, path, "", replay_.store_.HasKey(path))) return false;
      replay_.Take(RegCall::kCloseKey, path, "", true);
      return true;
    }

   private:
    Replay& replay_;
    bool open_ = false;
    std::string current_;
  };

  // The lookups. An empty path is no store.
  std::string GetMailRulesPath() {
    Accessor registry(*this);
    if (!registry.Open("Identities")) return {};
    const std::string identity = registry.ReadText("Last User ID");
    return identity.empty() ? std::string() : "Identities\\" + identity + kMailRulesSuffix;
  }
  std::int32_t GetRuleKeyCount() {
    Accessor registry(*this);
    const std::string path = GetMailRulesPath();
    if (path.empty() || !registry.Open(path)) return -1;
    return static_cast<std::int32_t>(registry.List().size());
  }
  bool RuleHasName(const std::string& key_path, const std::string& name) {
    Accessor registry(*this);
    return registry.Open(key_path) && registry.ReadText("Name") == name;
  }
  bool RuleNameExists(const std::string& name) {
    const std::string path = GetMailRulesPath();
    Accessor registry(*this);
    if (path.empty() || !registry.Open(path)) return false;
    bool found = false;
    for (const std::string& key : registry.List()) found = RuleHasName(path + "\\" + key, name) || found;
    return found;
  }
  bool RuleKeyExists(const std::string& key_name) {
    Accessor registry(*this);
    const std::string path = GetMailRulesPath();
    return !path.empty() && registry.Open(path) && registry.SubkeyExists(key_name);
  }
  std::string RequireMailRulesPath() {
    const std::string path = GetMailRulesPath();
    if (path.empty()) throw ModelRaise{{"Exception", NoIdentityMessage}};
    return path;
  }

  void InstallRule(const std::string& name, const CriteriaBlob& criteria, bool delete_after_receive) {
    if (RuleNameExists(name)) return;
    const std::int32_t count = GetRuleKeyCount();
    if (count < 0) throw ModelRaise{{"Exception", NoIdentityMessage}};
    std::int32_t slot = 0;
    for (std::int32_t number = count; number >= 0; --number) {
      if (!RuleKeyExists(RuleKeyNameOf(number))) slot = number;
    }
    const std::string key_name = RuleKeyNameOf(slot);
    const std::string store = RequireMailRulesPath();
    const std::string rule = store + "\\" + key_name;

    Accessor registry(*this);
    if (registry.Open(store)) registry.ReadText("Order");
    registry.Close();
    if (registry.Open(rule)) {
      registry.Write("Enabled", Dword(1));
      registry.Write("Name", Text(name));
      registry.Write("Version", Dword(1));
    }
    registry.Close();
    if (registry.Open(rule + "\\Actions")) {
      registry.Write("Order", Text("000"));
      if (registry.Open("000")) {
        registry.Write("Flags", Dword(0));
        registry.Write("Type", Dword(delete_after_receive ? 7 : 8));
      }
    }
    registry.Close();
    if (registry.Open(rule + "\\Criteria")) registry.Write("Order", Text("000 001"));
    registry.Close();
    const auto criterion = [&](const std::string& path, std::uint32_t flags, std::uint32_t logic,
                               const CriteriaBlob& value) {
      if (registry.Open(path)) {
        registry.Write("Flags", Dword(flags));
        registry.Write("Logic", Dword(logic));
        registry.Write("Type", Dword(12));
        registry.Write("Value", Binary(value.data, value.size));
        registry.Write("ValueType", Dword(0x41));
      }
      registry.Close();
    };
    criterion(rule + "\\Criteria\\000", 0, 2, criteria);
    criterion(rule + "\\Criteria\\001", 1, 0, JpDomainCriteria);
    if (registry.Open(RequireMailRulesPath())) {
      std::string order = registry.ReadText("Order");
      if (!order.empty()) order += ' ';
      registry.Write("Order", Text(order + key_name));
    }
    registry.Close();
  }

  const std::vector<RecordedCall>& calls_;
  ModelStore& store_;
  std::size_t next_ = 0;
  std::string divergence_;
};

// ---- Stores, installers, and the sweep's bookkeeping. ----

struct Installer {
  const char* label;
  void (*run)(bool);
  const std::string* name;
  const std::string* other_name;
  const CriteriaBlob* criteria;
};
const Installer kInstallers[] = {
    {"AddTwoDigitRule", AddTwoDigitRule, &TwoDigitRuleName, &DigitAtRuleName, &TwoDigitCriteria},
    {"AddDigitAtRule", AddDigitAtRule, &DigitAtRuleName, &TwoDigitRuleName, &DigitAtCriteria},
};

struct Entry {
  std::string path;
  std::string value_name;  // empty: the key alone
  RawValue value;
};
struct StoreCase {
  const char* label;
  std::vector<Entry> (*entries)(const Installer&);
};

std::string StoreKey(const std::string& key) { return std::string(kStorePath) + "\\" + key; }
Entry Identity(const std::string& id) { return {"Identities", "Last User ID", Text(id)}; }
// Something outside the store that must stay as it is.
Entry Bystander() { return {"Software\\Bystander", "Kept", Text("kept")}; }

const StoreCase kStores[] = {
    {"empty store", [](const Installer&) {
       return std::vector<Entry>{Identity(kIdentity), {kStorePath, "", {}}, Bystander()};
     }},
    {"identity without a store yet", [](const Installer&) {
       return std::vector<Entry>{Identity(kIdentity), Bystander()};
     }},
    {"store with rules, the other rule among them", [](const Installer& installer) {
       return std::vector<Entry>{Identity(kIdentity),
                                 {StoreKey("000"), "Name", Text(*installer.other_name)},
                                 {StoreKey("001"), "Name", Text("other rule")},
                                 {kStorePath, "Order", Text("000 001")},
                                 Bystander()};
     }},
    {"store with gaps 000 001 003", [](const Installer&) {
       return std::vector<Entry>{Identity(kIdentity),
                                 {StoreKey("000"), "Name", Text("a")},
                                 {StoreKey("001"), "Name", Text("b")},
                                 {StoreKey("003"), "Name", Text("c")},
                                 {kStorePath, "Order", Text("000 001 003")},
                                 Bystander()};
     }},
    {"store whose Order is REG_DWORD", [](const Installer&) {
       return std::vector<Entry>{Identity(kIdentity), {StoreKey("000"), "Name", Text("a")},
                                 {kStorePath, "Order", Dword(7)}, Bystander()};
     }},
    {"no identity (empty Last User ID)", [](const Installer&) {
       return std::vector<Entry>{Identity(""), Bystander()};
     }},
};

// "[path]" blocks of a dump, by path.
std::map<std::string, std::string> DumpBlocks(const std::string& dump) {
  std::map<std::string, std::string> blocks;
  std::istringstream lines(dump);
  std::string line;
  std::string path;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.front() == '[' && line.back() == ']') {
      path = line.substr(1, line.size() - 2);
      blocks[path];
    } else {
      blocks[path] += line + "\n";
    }
  }
  return blocks;
}

// Everything outside the mail rules key; the keys on the way to it count only by their values, since
// the lookups create them when they are missing.
std::map<std::string, std::string> Outside(const std::string& dump) {
  const std::string store = kStorePath;
  std::map<std::string, std::string> outside;
  for (const auto& block : DumpBlocks(dump)) {
    const std::string& path = block.first;
    if (path == store || path.compare(0, store.size() + 1, store + "\\") == 0) continue;
    const bool on_the_way = path.empty() || store.compare(0, path.size() + 1, path + "\\") == 0;
    if (on_the_way && block.second.empty()) continue;
    outside.insert(block);
  }
  return outside;
}

// Rows of a complete rule, relative to its key.
std::vector<Entry> RuleRows(const Installer& installer, bool delete_after_receive) {
  const CriteriaBlob& c = *installer.criteria;
  return {{"", "Enabled", Dword(1)},         {"", "Name", Text(*installer.name)},
          {"", "Version", Dword(1)},         {"\\Actions", "Order", Text("000")},
          {"\\Actions\\000", "Flags", Dword(0)}, {"\\Actions\\000", "Type", Dword(delete_after_receive ? 7 : 8)},
          {"\\Criteria", "Order", Text("000 001")}, {"\\Criteria\\000", "Flags", Dword(0)},
          {"\\Criteria\\000", "Logic", Dword(2)},   {"\\Criteria\\000", "Type", Dword(12)},
          {"\\Criteria\\000", "Value", Binary(c.data, c.size)}, {"\\Criteria\\000", "ValueType", Dword(0x41)},
          {"\\Criteria\\001", "Flags", Dword(1)},   {"\\Criteria\\001", "Logic", Dword(0)},
          {"\\Criteria\\001", "Type", Dword(12)},
          {"\\Criteria\\001", "Value", Binary(JpDomainCriteria.data, JpDomainCriteria.size)},
          {"\\Criteria\\001", "ValueType", Dword(0x41)}};
}

struct Totals {
  int points = 0;
  int as_described = 0;
  int recovered = 0;
  struct Left {
    int count = 0;
    std::vector<std::string> examples;  // failing calls that led there
  };
  std::map<std::string, Left> left_behind;  // what a retry could not mend, by description
  std::map<std::string, int> by_first_outcome;
};
Totals& SweepTotals() {
  static Totals totals;
  return totals;
}

class FailureSweep : public RuleStoreTest, public ::testing::WithParamInterface<std::tuple<int, int>> {
 protected:
  static constexpr bool kDeleteAfterReceive = true;

  static void TearDownTestSuite() {
    const Totals& totals = SweepTotals();
    std::printf("\n[failure sweep] %d failure points tried, %d ended as described, %d recovered by a retry, "
                "%d left something behind\n",
                totals.points, totals.as_described, totals.recovered, totals.points - totals.recovered);
    for (const auto& outcome : totals.by_first_outcome) {
      std::printf("[failure sweep]   first run, %s: %d\n", outcome.first.c_str(), outcome.second);
    }
    for (const auto& left : totals.left_behind) {
      std::string examples;
      for (const std::string& example : left.second.examples) examples += (examples.empty() ? "" : ", ") + example;
      std::printf("[failure sweep]   left after the retry, %d points: %s\n[failure sweep]       e.g. %s\n",
                  left.second.count, left.first.c_str(), examples.c_str());
    }
    RecordProperty("failure_points", totals.points);
    RecordProperty("ended_as_described", totals.as_described);
    RecordProperty("recovered_by_retry", totals.recovered);
  }

  const Installer& installer() const { return kInstallers[std::get<0>(GetParam())]; }
  const StoreCase& store_case() const { return kStores[std::get<1>(GetParam())]; }
  MemoryRegistry& memory() { return static_cast<MemoryRegistry&>(backend()); }

  // A fresh registry with the case's store, in the real back end and in the model.
  void Build(ModelStore& model) {
    Clean();
    SetActiveRegistryBackend(&faults_);
    for (const Entry& entry : store_case().entries(installer())) {
      if (entry.value_name.empty()) {
        Make(entry.path);
        model.MakeKey(entry.path);
      } else {
        Put(entry.path, entry.value_name, entry.value);
        model.Set(entry.path, entry.value_name, entry.value);
      }
    }
  }

  Raised Run() {
    try {
      installer().run(kDeleteAfterReceive);
    } catch (const ERegistryException& error) {
      return {"ERegistryException", error.Message()};
    } catch (const Exception& error) {
      return {"Exception", error.Message()};
    }
    return {};
  }

  // Runs the installer (faults as armed) and holds it to the model; true when all agreed.
  bool RunAndCompare(ModelStore& model, const std::string& context) {
    SCOPED_TRACE(context);
    const std::string before = memory().Dump();
    faults_.ResetCounts();
    const Raised raised = Run();
    Replay replay(faults_.Calls(), model);
    const Raised expected = replay.Install(*installer().name, *installer().criteria, kDeleteAfterReceive);
    bool ok = true;
    const auto check = [&ok](bool condition) {
      ok = ok && condition;
      return condition;
    };
    EXPECT_TRUE(check(replay.Divergence().empty())) << replay.Divergence();
    EXPECT_TRUE(check(replay.ConsumedAll())) << "the run made calls after the model's last";
    EXPECT_TRUE(check(raised == expected)) << "raised " << raised << ", expected " << expected;
    const std::string after = memory().Dump();
    EXPECT_TRUE(check(after == model.Dump())) << "registry after the run:\n" << after;
    EXPECT_TRUE(check(Outside(after) == Outside(before))) << "something outside the mail rules key changed";
    EXPECT_TRUE(check(memory().OpenHandleCount() == 0u)) << memory().OpenHandleCount() << " handles left open";
    last_raised_ = raised;
    return ok;
  }

  // What a retry left that a clean installation would not have, in words; empty when nothing.
  std::string LeftBehind(const std::string& initial_dump, const std::string& clean_dump) {
    const std::string dump = memory().Dump();
    if (dump == clean_dump) return {};
    const auto tokens = [](const std::optional<RawValue>& order) {
      std::vector<std::string> listed;
      if (!order || order->type != kRegSz) return listed;
      std::istringstream words(order->bytes.substr(0, order->bytes.find('\0')));
      for (std::string word; words >> word;) listed.push_back(word);
      return listed;
    };
    const std::vector<std::string> listed = tokens(Get(kStorePath, "Order"));
    std::vector<std::string> facts;
    int rules = 0;
    for (const std::string& key : SubkeyNames(backend(), kStorePath)) {
      const std::string path = StoreKey(key);
      if (!(Get(path, "Name") == Text(*installer().name))) continue;
      ++rules;
      bool complete = true;
      for (const Entry& row : RuleRows(installer(), kDeleteAfterReceive)) {
        complete = complete && Get(path + row.path, row.value_name) == row.value;
      }
      const auto times = std::count(listed.begin(), listed.end(), key);
      facts.push_back(std::string("rule ") + (complete ? "complete" : "incomplete") +
                      (times == 0 ? ", not listed" : times == 1 ? ", listed once" : ", listed twice or more"));
    }
    if (rules == 0) facts.push_back("no rule");
    // Rule keys that were there before and now hold other values: a rule of someone else's replaced.
    const auto initial = DumpBlocks(initial_dump);
    const auto now = DumpBlocks(dump);
    const std::string store_prefix = std::string(kStorePath) + "\\";
    for (const auto& block : initial) {
      if (block.first.compare(0, store_prefix.size(), store_prefix) != 0) continue;
      const auto after = now.find(block.first);
      if (after != now.end() && after->second != block.second) {
        facts.push_back("an existing rule key overwritten");
        break;
      }
    }
    // "Order" must keep what it listed before.
    const auto old_listed = tokens(PutBack(initial, kStorePath, "Order"));
    if (listed.size() < old_listed.size() || !std::equal(old_listed.begin(), old_listed.end(), listed.begin())) {
      facts.push_back("\"Order\" lost its old entries");
    }
    // New keys that carry no name: no later installation will look at them again.
    for (const std::string& key : SubkeyNames(backend(), kStorePath)) {
      const std::string path = StoreKey(key);
      if (initial.count(path) == 0 && !Get(path, "Name")) {
        facts.push_back("a new rule key without a name left over");
        break;
      }
    }
    std::string text;
    for (const std::string& fact : facts) text += (text.empty() ? "" : "; ") + fact;
    return text;
  }

  // The "Order" of the store as a dump block held it, decoded back to its value.
  static std::optional<RawValue> PutBack(const std::map<std::string, std::string>& blocks, const std::string& path,
                                         const std::string& name) {
    const auto block = blocks.find(path);
    if (block == blocks.end()) return std::nullopt;
    std::istringstream lines(block->second);
    const std::string head = "\"" + name + "\" = ";
    for (std::string line; std::getline(lines, line);) {
      if (line.compare(0, head.size(), head) != 0) continue;
      std::istringstream fields(line.substr(head.size()));
      RawValue value{0, {}};
      char colon = 0;
      fields >> value.type >> colon;
      for (unsigned byte = 0; fields >> std::hex >> byte;) value.bytes.push_back(static_cast<char>(byte));
      return value;
    }
    return std::nullopt;
  }

  static std::string Role(const RecordedCall& call) {
    std::string path = call.key_path;
    if (path.compare(0, std::strlen(kStorePath), kStorePath) == 0) path = "<store>" + path.substr(std::strlen(kStorePath));
    return std::string(RegCallName(call.kind)) + " [" + path + "]" + (call.value_name.empty() ? "" : " " + call.value_name);
  }

  FaultInjectingRegistry faults_{Harness().Backend()};
  Raised last_raised_;
};

TEST_P(FailureSweep, EveryPrimitiveCallFailsInTurn) {
  SCOPED_TRACE(std::string(installer().label) + " into " + store_case().label);
  // A clean run: how many calls there are, and what a good installation leaves.
  ModelStore clean_model;
  Build(clean_model);
  ASSERT_TRUE(RunAndCompare(clean_model, "without faults"));
  const std::uint64_t calls = faults_.TotalCount();
  const std::vector<RecordedCall> clean_calls = faults_.Calls();
  const std::string clean_dump = memory().Dump();
  ASSERT_GT(calls, 0u);

  Totals& totals = SweepTotals();
  for (std::uint64_t k = 1; k <= calls; ++k) {
    const RecordedCall& failing = clean_calls[k - 1];
    const std::string point = "call " + std::to_string(k) + " of " + std::to_string(calls) + ": " + Role(failing);
    ModelStore model;
    Build(model);
    const std::string initial_dump = memory().Dump();
    faults_.FailNthCall(k, kInjected);
    const bool first = RunAndCompare(model, point);
    faults_.ClearFaults();
    totals.by_first_outcome[Describe(last_raised_)]++;
    // The retry meets whatever the failure left; the model says what it must do with it.
    const bool retry = RunAndCompare(model, point + ", then a retry without faults");
    ++totals.points;
    if (first && retry) ++totals.as_described;
    const std::string left = LeftBehind(initial_dump, clean_dump);
    if (left.empty()) {
      ++totals.recovered;
    } else {
      Totals::Left& entry = totals.left_behind[left];
      ++entry.count;
      if (entry.examples.size() < 3 &&
          std::find(entry.examples.begin(), entry.examples.end(), Role(failing)) == entry.examples.end()) {
        entry.examples.push_back(Role(failing));
      }
    }
  }
}

std::string ParamName(const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
  const std::string names[] = {"EmptyStore", "IdentityWithoutStore", "StoreWithRules", "StoreWithGaps", "DwordOrder",
                               "NoIdentity"};
  return std::string(kInstallers[std::get<0>(info.param)].label) + "_" + names[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(InstallersAndStores, FailureSweep,
                         ::testing::Combine(::testing::Range(0, 2), ::testing::Range(0, 6)), ParamName);

}  // namespace

// Two outcomes of the sweep spelled out, because they lose what another rule had: a lookup that
// fails quietly cannot be told from an absent key, and the installer trusts it.
namespace {

class QuietLookupFailures : public RuleStoreTest {
 protected:
  void SetUp() override {
    RuleStoreTest::SetUp();
    SetActiveRegistryBackend(&faults_);
    MakeEmptyStore();
    AddRuleKey("000", "first");
    AddRuleKey("001", "second");
    Put(kStorePath, "Order", Text("000 001"));
  }
  FaultInjectingRegistry faults_{Harness().Backend()};
};

TEST_F(QuietLookupFailures, ACountShortByOneEntryWritesTheRuleOverRule000) {
  // Enumerations 1-2 belong to the name walk, 3-4 to the count: the count comes out as 1, both
  // numbers it tests (001, 000) are taken, and the search falls back on 000.
  faults_.FailNth(RegCall::kEnumKey, 3, kInjected);
  AddTwoDigitRule(true);
  EXPECT_EQ(Get(RulePath("000"), "Name"), Text(TwoDigitRuleName));  // "first" is gone
  EXPECT_EQ(Get(RulePath("000\\Criteria\\000"), "Value"), Binary(TwoDigitCriteria.data, TwoDigitCriteria.size));
  EXPECT_EQ(Get(RulePath("001"), "Name"), Text("second"));
  EXPECT_EQ(StoreOrder(), Text("000 001 000"));
  EXPECT_EQ(static_cast<MemoryRegistry&>(backend()).OpenHandleCount(), 0u);
}

TEST_F(QuietLookupFailures, AFailedSizeQueryOfOrderReplacesItWithTheNewKeyAlone) {
  // Every query of "Order" fails: the check before writing passes it as missing, and so does the
  // final step, which then writes the new key name as the whole list.
  faults_.FailValue(RegCall::kQueryValue, "Order", kInjected);
  AddDigitAtRule(false);
  EXPECT_EQ(Get(RulePath("002"), "Name"), Text(DigitAtRuleName));
  EXPECT_EQ(StoreOrder(), Text("002"));  // 000 and 001 dropped from the mail client's list
  EXPECT_EQ(Get(RulePath("000"), "Name"), Text("first"));
}

}  // namespace
