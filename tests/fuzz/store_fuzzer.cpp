// libFuzzer target: builds an in-memory registry from the input (identities, rule keys by the
// thousand, values of any type and size, names of any bytes or UTF-16 units), runs the lookups and
// both installers on it as one add command, and judges every answer and every exception against
// what the bare registry holds, whatever another program left in the store.
//
// Input: two header bytes, then records, each an opcode byte and its operands (integers little
// endian; a record cut short by the end of the input is dropped). tests/fuzz/make_corpus.py writes
// seeds in this form.
//   header 0: bit 0 the add order (digit-@ rule first), bits 1-2 the deletion methods, bit 3 arm a
//             fault (u16 nth call, u8 status index follow the header), bit 4 skip the lookups
//   0 identity  u8 type, u8 length, bytes       "Last User ID" as given
//   1 rule      u16 number, name record         a rule key named in hexadecimal
//   2 raw key   u8 length, bytes, name record   a key of any name under the store (0x5C nests)
//   3 bulk      u8 size, u16 first, u8 gap, u8 name mode   hexadecimal rule keys: up to 240 as
//               given, from 0xF1 on (size - 0xF0) * 512; 4096 in all at most
//   4 order     u8 type, u16 length, bytes      the store's "Order"
//   5 value     u8 path length, path, u8 name length, name, u8 type, u16 length, bytes
//                                               any value anywhere (a path from HKEY_CURRENT_USER)
//   6 refuse    u8 which, u16 number            a key that refuses to be opened
//   7 identity  -                               "{ID}" as REG_SZ, with its empty store
//   8 wide key  u8 count, count u16 units       a key named in UTF-16 under the store, as a Unicode
//                                               program makes it (maybe outside code page 932)
//   9 wide order u8 count, count u16 units      the store's "Order" in UTF-16, likewise
//  10 link      u8 length, bytes, u8 length, path   a registry link of any name under the store,
//                                               leading to a path from HKEY_CURRENT_USER
//   name record: u8 mode; 0 none, 1 the two-digit rule's name, 2 the digit-@ rule's name,
//                3 u8 type, u8 length, bytes
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/Exception.h"
#include "registry/ERegistryException.h"
#include "registry/KeyNameFolding.h"
#include "registry/TMemoryRegistry.h"
#include "rulestore/RuleFunc.h"
#include "support/FaultInjectingRegistry.h"

namespace {

const char kMailRulesSuffix[] = "\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail";
constexpr std::uint32_t kMaxBulkKeys = 4096;
constexpr RegStatus kFaultStatuses[] = {kRegAccessDenied, kRegFileNotFound, kRegInvalidHandle,
                                        kRegInvalidParameter, kRegMoreData, kRegNoMoreItems};

// A broken invariant: say which, and stop so that libFuzzer keeps the input.
[[noreturn]] void Violation(const char* what, const std::string& detail = std::string()) {
  std::fprintf(stderr, "store_fuzzer: invariant broken: %s %s\n", what, detail.c_str());
  std::abort();
}

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return offset_ >= size_; }
  bool U8(std::uint8_t* out) {
    if (offset_ + 1 > size_) return false;
    *out = data_[offset_++];
    return true;
  }
  bool U16(std::uint16_t* out) {
    if (offset_ + 2 > size_) return false;
    *out = static_cast<std::uint16_t>(data_[offset_] | (data_[offset_ + 1] << 8));
    offset_ += 2;
    return true;
  }
  bool Bytes(std::size_t length, std::string* out) {
    if (offset_ + length > size_) return false;
    out->assign(reinterpret_cast<const char*>(data_ + offset_), length);
    offset_ += length;
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

struct Raw {
  bool present = false;
  std::uint32_t type = 0;
  std::string bytes;
  bool outside = false;  // a string with characters that code page 932 lacks: no bytes to compare
};

std::string CutAtNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

// The oracle's own reading of the registry's paths, rule numbers and names, apart from the
// program's: a backslash separates names unless it is the second byte of a double-byte character
// (lead bytes 81-9F and E0-FC in code page 932).
std::vector<std::string> Names(const std::string& path) {
  std::vector<std::string> names(1);
  for (std::size_t at = 0; at < path.size(); ++at) {
    const auto byte = static_cast<unsigned char>(path[at]);
    if (((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) && at + 1 < path.size()) {
      names.back() += path.substr(at++, 2);
    } else if (byte == '\\') {
      names.emplace_back();
    } else {
      names.back() += path[at];
    }
  }
  return names;
}
// A rule number's key name: upper-case hexadecimal, three digits at least.
std::string KeyNameOf(std::uint32_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "%03X", number);
  return name;
}
// A name as the registry compares it with a rule number's key name: nothing but the case of an
// ASCII letter folds onto a hexadecimal digit.
std::string FoldHexLetters(std::string name) {
  for (char& letter : name) {
    if (letter >= 'a' && letter <= 'f') letter = static_cast<char>(letter - 'a' + 'A');
  }
  return name;
}
bool IsText(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz; }

// A key handle of the bare store, closed when it goes.
class Key {
 public:
  Key(TRegistryBackend& backend, RegKey key) : backend_(backend), key_(key) {}
  ~Key() {
    if (key_ != 0) backend_.CloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  RegKey get() const { return key_; }
  explicit operator bool() const { return key_ != 0; }

 private:
  TRegistryBackend& backend_;
  RegKey key_;
};

RegKey Create(TRegistryBackend& backend, RegKey base, const std::string& path) {
  RegKey key = 0;
  return backend.CreateKey(base, path, kKeyAllAccess, &key) == kRegSuccess ? key : 0;
}

RegKey Open(TRegistryBackend& backend, RegKey base, const std::string& path, std::uint32_t access = kKeyAllAccess) {
  RegKey key = 0;
  return backend.OpenKey(base, path, access, &key) == kRegSuccess ? key : 0;
}

Raw ReadRawFrom(TRegistryBackend& backend, RegKey key, const std::string& name) {
  Raw raw;
  std::uint32_t size = 0;
  if (backend.QueryValue(key, name, &raw.type, nullptr, &size) != kRegSuccess) return raw;
  std::vector<unsigned char> data(size + 1);
  const RegStatus read = backend.QueryValue(key, name, &raw.type, data.data(), &size);
  raw.outside = read == kRegNoUnicodeTranslation;
  raw.present = read == kRegSuccess || raw.outside;
  if (raw.outside || !raw.present) return raw;
  raw.bytes.assign(reinterpret_cast<const char*>(data.data()), size);
  return raw;
}

Raw ReadRaw(TRegistryBackend& backend, const std::string& path, const std::string& name) {
  Key key(backend, Open(backend, kHkeyCurrentUser, path));
  return key ? ReadRawFrom(backend, key.get(), name) : Raw();
}

// The same, reaching the key a name at a time: a key opened relative to its parent (the action
// "000") may lie deeper than a whole path from the root can reach. A key that refuses to open is
// passed through together with the name after it, as a longer path does.
Raw ReadRawStepwise(TRegistryBackend& backend, const std::string& path, const std::string& name) {
  std::vector<std::unique_ptr<Key>> chain;
  RegKey at = kHkeyCurrentUser;
  std::string pending;
  for (const std::string& component : Names(path)) {
    if (component.empty()) return Raw();
    pending = pending.empty() ? component : pending + "\\" + component;
    const RegKey opened = Open(backend, at, pending);
    if (opened == 0) continue;
    chain.push_back(std::make_unique<Key>(backend, opened));
    at = opened;
    pending.clear();
  }
  return pending.empty() ? ReadRawFrom(backend, at, name) : Raw();
}

// The mail rules key's path as the identity stands, or empty for no store. Throws what reading
// "Last User ID" as text must throw.
struct ExpectedPath {
  std::string path;
  bool raises = false;
};
ExpectedPath MailRulesPathOf(TMemoryRegistry& registry) {
  ExpectedPath expected;
  Key identities(registry, Open(registry, kHkeyCurrentUser, "Identities"));
  if (!identities) {
    // GetMailRulesPath creates a missing "Identities" (no identity, so no store); one that is there
    // but refuses to open is reported.
    expected.raises = !registry.Dump("Identities").empty();
    return expected;
  }
  const Raw identity = ReadRaw(registry, "Identities", "Last User ID");
  expected.raises = identity.outside;
  if (!identity.present || identity.bytes.empty()) return expected;
  if (!IsText(identity.type)) {
    expected.raises = true;
    return expected;
  }
  const std::string text = CutAtNul(identity.bytes);
  if (text.empty()) return expected;
  // Only an identity whose key is there has a store; looked for from the root, never created.
  RegKey key = 0;
  const RegStatus found = registry.OpenKey(kHkeyCurrentUser, "Identities\\" + text, kKeyReadForExistenceTest, &key);
  Key identity_key(registry, key);
  expected.raises = found != kRegSuccess && found != kRegFileNotFound;
  if (found == kRegSuccess) expected.path = "Identities\\" + text + kMailRulesSuffix;
  return expected;
}

// Key paths as the registry resolves them: split on separators, compared folded.
std::vector<std::u16string> FoldedComponents(const std::string& path) {
  std::vector<std::u16string> folded;
  for (const std::string& component : Names(path)) folded.push_back(FoldedName(component));
  while (!folded.empty() && folded.back().empty()) folded.pop_back();
  return folded;
}

bool StartsWith(const std::vector<std::u16string>& path, const std::vector<std::u16string>& prefix) {
  if (path.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (path[i] != prefix[i]) return false;
  }
  return true;
}

// Every key that opens, as folded component lists; children are opened one name at a time, a link
// as itself (followed, one leading back above itself would never end).
void WalkKeys(TMemoryRegistry& registry, RegKey key, std::vector<std::u16string>& path,
              std::vector<std::vector<std::u16string>>& out) {
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  if (registry.QueryInfoKey(key, &count, &longest) != kRegSuccess) return;
  std::vector<char> name(2 * longest + 1);
  for (std::uint32_t index = 0; index < count; ++index) {
    std::uint32_t capacity = static_cast<std::uint32_t>(name.size());
    // A name outside code page 932 is listed with its "?": the same before and after.
    const RegStatus status = registry.EnumKey(key, index, name.data(), &capacity);
    if (status != kRegSuccess && status != kRegNoUnicodeTranslation) Violation("enumeration of the bare store");
    const std::string child(name.data(), capacity);
    path.push_back(FoldedName(child));
    out.push_back(path);
    RegKey itself = 0;
    registry.OpenKeyItself(key, child, kKeyAllAccess, &itself);
    Key opened(registry, itself);
    if (opened) WalkKeys(registry, opened.get(), path, out);
    path.pop_back();
  }
}

// The keys outside the store, which may be reached by its path or, where that path holds a link,
// where the link leads.
std::vector<std::vector<std::u16string>> KeysOutside(TMemoryRegistry& registry,
                                                     const std::vector<std::vector<std::u16string>>& stores) {
  std::vector<std::vector<std::u16string>> all;
  std::vector<std::u16string> path;
  WalkKeys(registry, kHkeyCurrentUser, path, all);
  std::vector<std::vector<std::u16string>> outside;
  const std::vector<std::u16string> identities = FoldedComponents("Identities");
  for (auto& key : all) {
    // The store and the keys on the way to it may be created by the lookups.
    bool in_store = false;
    for (const auto& store : stores) {
      in_store = in_store || (!store.empty() && (StartsWith(key, store) || StartsWith(store, key)));
    }
    if (in_store || key == identities) continue;
    outside.push_back(std::move(key));
  }
  return outside;
}

// The values of one installed rule, relative to its key, in the order they are written.
struct Row {
  const char* key;
  const char* name;
  std::uint32_t type;
  std::string bytes;
};
std::string Dword(std::uint32_t value) {
  const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                         static_cast<char>(value >> 24)};
  return std::string(bytes, 4);
}
std::string Blob(const CriteriaBlob& blob) { return std::string(reinterpret_cast<const char*>(blob.data), blob.size); }
std::vector<Row> RuleRows(const std::string& name, const CriteriaBlob& criteria, bool delete_after_receive) {
  return {{"", "Enabled", kRegDword, Dword(1)},
          {"", "Name", kRegSz, name + std::string(1, '\0')},
          {"", "Version", kRegDword, Dword(1)},
          {"\\Actions", "Order", kRegSz, std::string("000", 4)},
          {"\\Actions\\000", "Flags", kRegDword, Dword(0)},
          {"\\Actions\\000", "Type", kRegDword, Dword(delete_after_receive ? 7 : 8)},
          {"\\Criteria", "Order", kRegSz, std::string("000 001", 8)},
          {"\\Criteria\\000", "Flags", kRegDword, Dword(0)},
          {"\\Criteria\\000", "Logic", kRegDword, Dword(2)},
          {"\\Criteria\\000", "Type", kRegDword, Dword(12)},
          {"\\Criteria\\000", "Value", kRegBinary, Blob(criteria)},
          {"\\Criteria\\000", "ValueType", kRegDword, Dword(0x41)},
          {"\\Criteria\\001", "Flags", kRegDword, Dword(1)},
          {"\\Criteria\\001", "Logic", kRegDword, Dword(0)},
          {"\\Criteria\\001", "Type", kRegDword, Dword(12)},
          {"\\Criteria\\001", "Value", kRegBinary, Blob(JpDomainCriteria)},
          {"\\Criteria\\001", "ValueType", kRegDword, Dword(0x41)}};
}

// How the program's ReadText takes a rule's "Name" (TextEquals): whether it raises (data that is
// not text), and else whether it is exactly name. A missing or empty value is the empty text; a
// text that code page 932 cannot hold equals nothing.
struct NameRead {
  bool raises = false;
  bool equals = false;
};
NameRead ReadName(TRegistryBackend& backend, RegKey key, const std::string& name) {
  NameRead read;
  const Raw raw = ReadRawFrom(backend, key, "Name");
  std::uint32_t size = 0;
  std::uint32_t type = 0;
  const bool sized = backend.QueryValue(key, "Name", &type, nullptr, &size) == kRegSuccess;
  read.raises = sized && size > 0 && !IsText(type);
  read.equals = !read.raises && (!sized || size == 0 ? name.empty() : (!raw.outside && CutAtNul(raw.bytes) == name));
  return read;
}

// The distinct names that a text "Order" lists.
std::vector<std::string> OrderTokens(const Raw& order) {
  std::vector<std::string> tokens;
  if (!order.present || !IsText(order.type) || order.outside) return tokens;
  const std::string text = CutAtNul(order.bytes);
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    const std::string token = text.substr(start, end - start);
    if (!token.empty() && std::find(tokens.begin(), tokens.end(), token) == tokens.end()) tokens.push_back(token);
    start = end + 1;
  }
  return tokens;
}

// Whether removing the remnants must be refused before any of them goes: a key beneath one (itself
// included) that does not open as itself with the rights to list and delete it, that is a registry
// link (its "SymbolicLinkValue" a REG_LINK: what lies beneath it is outside the store), or that
// has a subkey whose name code page 932 cannot hold.
bool RemovalRefused(TMemoryRegistry& registry, RegKey store, std::vector<std::string> keys) {
  for (std::size_t index = 0; index < keys.size(); ++index) {
    RegKey opened = 0;
    if (registry.OpenKeyItself(store, keys[index], kKeyDelete | kKeyQueryValue | kKeyEnumerateSubKeys, &opened) !=
        kRegSuccess) {
      return true;
    }
    Key key(registry, opened);
    std::uint32_t type = kRegNone;
    std::uint32_t count = 0;
    if (registry.QueryValue(key.get(), "SymbolicLinkValue", &type, nullptr, &count) == kRegSuccess && type == kRegLink) {
      return true;
    }
    std::uint32_t longest = 0;
    if (registry.QueryInfoKey(key.get(), &count, &longest) != kRegSuccess) return true;
    for (std::uint32_t child = 0; child < count; ++child) {
      char name[600];
      std::uint32_t capacity = sizeof name;
      if (registry.EnumKey(key.get(), child, name, &capacity) != kRegSuccess) return true;
      keys.push_back(keys[index] + "\\" + CutAtNul(std::string(name, capacity)));
    }
  }
  return false;
}

// The store as the installer will find it for one rule: whether it must refuse (a key name or an
// "Order" that code page 932 cannot hold), whether the mail client shows the rule (a listed name
// opens, as the registry resolves it, a key carrying the rule's name), the keys that carry the name
// otherwise (remnants, to be removed) and whether their removal must be refused, and the lowest
// number whose key name is neither listed (as the registry compares names) nor a key that stays.
struct StoreBefore {
  bool opens = false;
  Raw order;
  bool refused = false;
  bool removal_refused = false;
  bool present = false;
  std::vector<std::string> remnants;
  std::uint32_t free_number = 0;
};
StoreBefore LookAtStore(TMemoryRegistry& registry, const std::string& path, const std::string& rule_name) {
  StoreBefore before;
  if (path.empty()) return before;
  Key store(registry, Open(registry, kHkeyCurrentUser, path));
  if (!store) return before;
  before.opens = true;
  before.order = ReadRawFrom(registry, store.get(), "Order");
  before.refused = before.order.outside;
  const std::vector<std::string> tokens = OrderTokens(before.order);

  std::vector<std::string> named;
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  if (registry.QueryInfoKey(store.get(), &count, &longest) != kRegSuccess) Violation("store query");
  for (std::uint32_t index = 0; index < count; ++index) {
    char name[600];
    std::uint32_t capacity = sizeof name;
    const RegStatus listed = registry.EnumKey(store.get(), index, name, &capacity);
    before.refused = before.refused || listed == kRegNoUnicodeTranslation;
    if (listed != kRegSuccess) continue;
    const std::string key = CutAtNul(std::string(name, capacity));
    // A rule key is read by its path from the root, and one that will not open carries no name.
    Key rule(registry, Open(registry, kHkeyCurrentUser, path + "\\" + key));
    if (rule && ReadName(registry, rule.get(), rule_name).equals) named.push_back(key);
  }
  for (const std::string& token : tokens) {
    // A name with a path separator would lead deeper than the store's own keys.
    Key listed(registry, Names(token).size() == 1 ? Open(registry, kHkeyCurrentUser, path + "\\" + token) : 0);
    if (listed && ReadName(registry, listed.get(), rule_name).equals) before.present = true;
  }
  if (!before.present) before.remnants = named;
  before.removal_refused = RemovalRefused(registry, store.get(), before.remnants);

  std::unordered_set<std::string> listed_names;
  for (const std::string& token : tokens) listed_names.insert(FoldHexLetters(token));
  std::unordered_set<std::string> going;
  for (const std::string& remnant : before.remnants) going.insert(FoldHexLetters(remnant));
  // A key that refuses reading counts as free here; the installer's existence test raises for it.
  // A link is a key, whatever it leads to.
  for (std::uint32_t number = 0;; ++number) {
    const std::string name = KeyNameOf(number);
    if (listed_names.count(name) != 0) continue;
    RegKey itself = 0;
    registry.OpenKeyItself(store.get(), name, kKeyReadForExistenceTest, &itself);
    Key probe(registry, itself);
    if (!probe || going.count(name) != 0) {
      before.free_number = number;
      return before;
    }
  }
}

// A store's dump without the blocks of the given keys and everything beneath them.
std::string DumpWithout(const std::string& dump, const std::vector<std::string>& keys) {
  std::string kept;
  bool skipping = false;
  for (std::size_t start = 0; start < dump.size();) {
    const std::size_t end = std::min(dump.find('\n', start), dump.size());
    const std::string line = dump.substr(start, end - start);
    if (!line.empty() && line.front() == '[' && line.back() == ']') {
      const std::string key = line.substr(1, line.size() - 2);
      skipping = false;
      for (const std::string& gone : keys) {
        if (key == gone || key.compare(0, gone.size() + 1, gone + "\\") == 0) skipping = true;
      }
    }
    if (!skipping) kept += line + "\n";
    start = end + 1;
  }
  return kept;
}

struct Case {
  TMemoryRegistry registry;
  FaultInjectingRegistry recorder{registry};
  bool fault_armed = false;
  std::vector<std::pair<std::vector<std::u16string>, std::string>> links;  // folded path, target
};

// Where a path leads once every link that the case made on it is followed, as the registry resolves
// it: the folded names of the key it ends at, there or not. (Read from the case, not the registry: a
// link may refuse to be read, and it leads on all the same.)
std::vector<std::u16string> ResolvedComponents(const Case& c, const std::string& path) {
  std::vector<std::u16string> pending = FoldedComponents(path);
  std::vector<std::u16string> reached;
  for (int links = 0; !pending.empty() && links <= 16;) {
    reached.push_back(pending.front());
    pending.erase(pending.begin());
    for (const auto& [link, target] : c.links) {
      if (link != reached) continue;
      const std::vector<std::u16string> names = FoldedComponents(target);
      pending.insert(pending.begin(), names.begin(), names.end());
      reached.clear();
      ++links;
      break;
    }
  }
  return reached;
}

void RequireNoHandles(Case& c, const char* after) {
  // Also after a refused close: the caller has let go of the handle, and the wrapper passes it on.
  if (c.registry.OpenHandleCount() != 0) {
    Violation("handles left open after", std::string(after) + ": " + std::to_string(c.registry.OpenHandleCount()));
  }
}

// Every write of the run so far went to the store or below it.
void RequireWritesInside(Case& c, const std::vector<std::u16string>& store) {
  for (const RecordedCall& call : c.recorder.Calls()) {
    if (call.kind != RegCall::kSetValue || call.status != kRegSuccess) continue;
    if (store.empty() || !StartsWith(FoldedComponents(call.key_path), store)) {
      Violation("write outside the mail rules key:", call.key_path + " " + call.value_name);
    }
  }
}

// Calls of that kind that succeeded since the call numbered from.
std::uint64_t Changes(const FaultInjectingRegistry& recorder, std::size_t from, RegCall kind) {
  std::uint64_t changes = 0;
  for (std::size_t i = from; i < recorder.Calls().size(); ++i) {
    if (recorder.Calls()[i].kind == kind && recorder.Calls()[i].status == kRegSuccess) ++changes;
  }
  return changes;
}
std::uint64_t Writes(const FaultInjectingRegistry& recorder, std::size_t from) {
  return Changes(recorder, from, RegCall::kSetValue);
}

// How the installations of this process ended, printed when it exits.
struct Tally {
  unsigned long installed = 0;
  unsigned long skipped_blocks = 0;  // installed, but a block's key would not open
  unsigned long found = 0;
  unsigned long raised = 0;
  ~Tally() {
    if (installed + found + raised == 0) return;
    std::fprintf(stderr, "store_fuzzer: installations: %lu written (%lu of them with a block skipped), %lu found "
                 "the rule present, %lu raised\n", installed, skipped_blocks, found, raised);
  }
} tally;

void RunInstaller(Case& c, bool two_digit, bool delete_after_receive, const std::string& mail_path) {
  const std::string& name = two_digit ? TwoDigitRuleName : DigitAtRuleName;
  const StoreBefore before = LookAtStore(c.registry, mail_path, name);
  const std::size_t first_call = c.recorder.Calls().size();
  const std::string store_before = mail_path.empty() ? std::string() : c.registry.Dump(mail_path);
  bool raised = false;
  try {
    two_digit ? AddTwoDigitRule(delete_after_receive) : AddDigitAtRule(delete_after_receive);
  } catch (const Exception&) {
    raised = true;
  }
  RequireNoHandles(c, two_digit ? "AddTwoDigitRule" : "AddDigitAtRule");
  if (c.fault_armed) return;  // a fault may end or bend the run anywhere: only the general rules hold
  if (raised) ++tally.raised;

  const std::uint64_t writes = Writes(c.recorder, first_call);
  // Refused before anything is written: a substitute would name another key or rewrite "Order".
  const bool changed = writes != 0 || Changes(c.recorder, first_call, RegCall::kDeleteKey) != 0;
  if (before.refused && (!raised || changed)) {
    Violation("a name or an \"Order\" that code page 932 cannot hold was not refused before any change");
  }
  if (!before.refused && before.removal_refused && (!raised || changed)) {
    Violation("a removal that cannot be done whole, or that reaches outside the store, was not refused before any change");
  }
  // An installation that fails (a path too long for the registry, a key that refuses to open) takes
  // away what it wrote; the lookups may have made a missing store, empty.
  if (raised) {
    if (mail_path.empty() && writes != 0) Violation("an installation wrote without a store");
    // Remnants of the rule may have gone before the failure: the mail client never showed them.
    const std::string store_after =
        DumpWithout(mail_path.empty() ? std::string() : c.registry.Dump(mail_path), before.remnants);
    if (store_after != DumpWithout(store_before, before.remnants) && !(store_before.empty() && store_after == "[]\n")) {
      Violation("an installation that raised left the store changed", store_before + "\n----\n" + store_after);
    }
    return;
  }
  if (writes == 0) {
    ++tally.found;
    if (!before.present) Violation("the installer skipped a rule that no listed key carries");
    // Looking creates nothing: a listed name without its key stays without it.
    if (c.registry.Dump(mail_path) != store_before) Violation("finding the rule changed the store");
    return;
  }
  if (mail_path.empty()) Violation("an installation wrote without a store");
  if (before.present) Violation("a rule that the store shows was installed again");
  for (const std::string& remnant : before.remnants) {
    Key left(c.registry, Open(c.registry, kHkeyCurrentUser, mail_path + "\\" + remnant));
    if (left && FoldHexLetters(remnant) != KeyNameOf(before.free_number)) {
      Violation("a remnant of the rule was left in place:", remnant);
    }
  }
  if (before.order.present && !before.order.bytes.empty() && !IsText(before.order.type)) {
    Violation("a rule was installed over an \"Order\" that is not text");
  }
  const std::string key_name = KeyNameOf(before.free_number);
  const std::string rule_path = mail_path + "\\" + key_name;
  const std::string old_order = before.order.present ? CutAtNul(before.order.bytes) : std::string();
  const Raw order = ReadRaw(c.registry, mail_path, "Order");
  const std::string expected_order = old_order + (old_order.empty() ? "" : " ") + key_name + std::string(1, '\0');
  if (!order.present || order.type != kRegSz || order.bytes != expected_order) {
    Violation("\"Order\" does not end with the new rule's key", key_name);
  }

  // A block whose key would not open is skipped by design (a path past the registry's limit, a key
  // that refuses): only the blocks that opened are checked.
  std::vector<std::string> opened;
  for (std::size_t i = first_call; i < c.recorder.Calls().size(); ++i) {
    const RecordedCall& call = c.recorder.Calls()[i];
    if (call.kind == RegCall::kCreateKey && call.status == kRegSuccess) opened.push_back(call.key_path);
  }
  const auto was_opened = [&](const std::string& path) {
    for (const std::string& p : opened) {
      if (p == path) return true;
    }
    return false;
  };
  ++tally.installed;
  const CriteriaBlob& criteria = two_digit ? TwoDigitCriteria : DigitAtCriteria;
  bool skipped = false;
  for (const Row& row : RuleRows(name, criteria, delete_after_receive)) {
    const std::string path = rule_path + row.key;
    if (!was_opened(path)) {
      skipped = true;
      continue;
    }
    const Raw value = ReadRawStepwise(c.registry, path, row.name);
    if (!value.present || value.type != row.type || value.bytes != row.bytes) {
      Violation("a value of the new rule is wrong:", path + " " + row.name);
    }
  }
  if (skipped) ++tally.skipped_blocks;
}

void PutValue(TMemoryRegistry& registry, const std::string& path, const std::string& name, std::uint32_t type,
              const std::string& bytes) {
  Key key(registry, Create(registry, kHkeyCurrentUser, path));
  if (key) {
    registry.SetValue(key.get(), name, type, reinterpret_cast<const unsigned char*>(bytes.data()),
                      static_cast<std::uint32_t>(bytes.size()));
  }
}

bool ReadNameRecord(Reader& in, std::uint32_t* type, std::string* bytes, bool* present) {
  std::uint8_t mode = 0;
  if (!in.U8(&mode)) return false;
  *present = true;
  *type = kRegSz;
  switch (mode % 4) {
    case 0: *present = false; return true;
    case 1: *bytes = TwoDigitRuleName + std::string(1, '\0'); return true;
    case 2: *bytes = DigitAtRuleName + std::string(1, '\0'); return true;
    default: {
      std::uint8_t t = 0;
      std::uint8_t length = 0;
      if (!in.U8(&t) || !in.U8(&length) || !in.Bytes(length, bytes)) return false;
      *type = t;
      return true;
    }
  }
}

// Builds the store; returns false when the header is cut short.
bool BuildStore(Reader& in, Case& c, std::uint8_t* header, std::string* store_path) {
  if (!in.U8(header)) return false;
  if (*header & 0x08) {
    std::uint16_t nth = 0;
    std::uint8_t status = 0;
    if (!in.U16(&nth) || !in.U8(&status)) return false;
    c.recorder.FailNthCall(nth, kFaultStatuses[status % (sizeof kFaultStatuses / sizeof kFaultStatuses[0])]);
    c.fault_armed = true;
  }
  TMemoryRegistry& registry = c.registry;
  *store_path = std::string("Identities\\{ID}") + kMailRulesSuffix;
  std::uint32_t keys_made = 0;
  while (!in.Empty()) {
    std::uint8_t opcode = 0;
    in.U8(&opcode);
    switch (opcode % 11) {
      case 0: {
        std::uint8_t type = 0;
        std::uint8_t length = 0;
        std::string bytes;
        if (!in.U8(&type) || !in.U8(&length) || !in.Bytes(length, &bytes)) return true;
        PutValue(registry, "Identities", "Last User ID", type, bytes);
        const std::string text = CutAtNul(bytes);
        if (IsText(type) && !text.empty()) *store_path = "Identities\\" + text + kMailRulesSuffix;
        break;
      }
      case 1:
      case 2: {
        std::string key_name;
        if (opcode % 11 == 1) {
          std::uint16_t number = 0;
          if (!in.U16(&number)) return true;
          key_name = KeyNameOf(number);
        } else {
          std::uint8_t length = 0;
          if (!in.U8(&length) || !in.Bytes(length, &key_name)) return true;
        }
        std::uint32_t type = 0;
        std::string name;
        bool has_name = false;
        if (!ReadNameRecord(in, &type, &name, &has_name)) return true;
        const std::string path = *store_path + "\\" + key_name;
        Key key(registry, Create(registry, kHkeyCurrentUser, path));
        if (key && has_name) {
          registry.SetValue(key.get(), "Name", type, reinterpret_cast<const unsigned char*>(name.data()),
                            static_cast<std::uint32_t>(name.size()));
        }
        break;
      }
      case 3: {
        std::uint8_t size = 0;
        std::uint16_t first = 0;
        std::uint8_t gap = 0;
        std::uint8_t mode = 0;
        if (!in.U8(&size) || !in.U16(&first) || !in.U8(&gap) || !in.U8(&mode)) return true;
        // Big stores cost a thousand times more per run; the encoding keeps them the rarer case.
        const std::uint32_t count = size <= 0xF0 ? size : (size - 0xF0u) * 512u;
        Key store(registry, Create(registry, kHkeyCurrentUser, *store_path));
        if (!store) break;
        for (std::uint32_t i = 0; i < count && keys_made < kMaxBulkKeys; ++i) {
          const std::uint32_t number = first + i;
          // Every (gap)th number left out, so that the free one is somewhere inside.
          if (gap >= 2 && number % gap == gap - 1) continue;
          ++keys_made;
          Key rule(registry, Create(registry, store.get(), KeyNameOf(number)));
          if (!rule || mode % 3 == 0) continue;
          const std::string name = mode % 3 == 1 ? "rule " + std::to_string(number) + std::string(1, '\0')
                                                 : (number % 2 ? DigitAtRuleName : std::string("x")) + '\0';
          registry.SetValue(rule.get(), "Name", kRegSz, reinterpret_cast<const unsigned char*>(name.data()),
                            static_cast<std::uint32_t>(name.size()));
        }
        break;
      }
      case 4: {
        std::uint8_t type = 0;
        std::uint16_t length = 0;
        std::string bytes;
        if (!in.U8(&type) || !in.U16(&length) || !in.Bytes(length, &bytes)) return true;
        PutValue(registry, *store_path, "Order", type, bytes);
        break;
      }
      case 5: {
        std::uint8_t path_length = 0;
        std::uint8_t name_length = 0;
        std::uint8_t type = 0;
        std::uint16_t length = 0;
        std::string path;
        std::string name;
        std::string bytes;
        if (!in.U8(&path_length) || !in.Bytes(path_length, &path) || !in.U8(&name_length) ||
            !in.Bytes(name_length, &name) || !in.U8(&type) || !in.U16(&length) || !in.Bytes(length, &bytes)) {
          return true;
        }
        PutValue(registry, path, name, type, bytes);
        break;
      }
      case 6: {
        std::uint8_t which = 0;
        std::uint16_t number = 0;
        if (!in.U8(&which) || !in.U16(&number)) return true;
        const std::string targets[] = {"Identities", *store_path, *store_path + "\\" + KeyNameOf(number)};
        registry.SetGrantedAccess(targets[which % 3], 0);
        break;
      }
      case 7: {
        PutValue(registry, "Identities", "Last User ID", kRegSz, std::string("{ID}", 5));
        *store_path = std::string("Identities\\{ID}") + kMailRulesSuffix;
        Key made(registry, Create(registry, kHkeyCurrentUser, *store_path));
        break;
      }
      case 10: {
        std::uint8_t length = 0;
        std::string key_name;
        std::string target;
        if (!in.U8(&length) || !in.Bytes(length, &key_name) || !in.U8(&length) || !in.Bytes(length, &target)) {
          return true;
        }
        if (registry.MakeLink(*store_path + "\\" + key_name, target)) {
          c.links.emplace_back(FoldedComponents(*store_path + "\\" + key_name), target);
        }
        break;
      }
      default: {
        std::uint8_t count = 0;
        if (!in.U8(&count)) return true;
        std::u16string units;
        for (std::uint16_t unit = 0; units.size() < count; units.push_back(static_cast<char16_t>(unit))) {
          if (!in.U16(&unit)) return true;
        }
        if (opcode % 11 == 8) {
          registry.MakeKeyInUtf16(*store_path, units);
        } else {
          registry.PutTextInUtf16(*store_path, "Order", units);
        }
        break;
      }
    }
  }
  return true;
}

// The store's subkeys as the bare registry lists them: whether the store opens, the names, and
// whether one of them is outside code page 932.
struct Listing {
  RegStatus opened = kRegFileNotFound;
  std::vector<std::string> names;
  bool outside = false;
};
Listing ListBare(TMemoryRegistry& registry, const std::string& path) {
  Listing listing;
  if (path.empty()) return listing;  // no store (the empty path would open the root)
  RegKey key = 0;
  listing.opened = registry.OpenKey(kHkeyCurrentUser, path, kKeyAllAccess, &key);
  Key store(registry, key);
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  if (!store || registry.QueryInfoKey(store.get(), &count, &longest) != kRegSuccess) return listing;
  for (std::uint32_t index = 0; index < count; ++index) {
    char name[600];
    std::uint32_t capacity = sizeof name;
    const RegStatus status = registry.EnumKey(store.get(), index, name, &capacity);
    listing.outside = listing.outside || status == kRegNoUnicodeTranslation;
    listing.names.push_back(CutAtNul(std::string(name, capacity)));
  }
  return listing;
}

// Runs a lookup; with a fault armed any answer may come, so only what always holds is judged then.
template <typename Lookup>
bool Raises(Lookup lookup) {
  try {
    lookup();
  } catch (const Exception&) {
    return true;
  }
  return false;
}

// The lookups, each answer held to the bare registry as the call leaves it: they open with creation
// allowed, so a missing store is there afterwards, empty. A lookup raises exactly when the registry
// gives it something it cannot answer soundly from: a store that fails to open other than as missing,
// a listing with a name outside code page 932, a "Name" that is not text.
void RunLookups(Case& c, const ExpectedPath& expected) {
  const std::size_t first_call = c.recorder.Calls().size();
  std::string path;
  if (Raises([&] { GetMailRulesPath(path); }) != expected.raises || (!expected.raises && path != expected.path)) {
    if (!c.fault_armed) Violation("GetMailRulesPath:", path);
  }
  const std::string& store = expected.path;
  const auto judge = [&](bool raised, bool should_raise, bool answer_right, const char* what) {
    if (c.fault_armed) return;
    if (raised != (expected.raises || should_raise)) Violation(what, raised ? "raised" : "did not raise");
    if (!raised && !answer_right) Violation(what, "answered wrongly");
  };

  // A store that is still missing after them (its path ends in a link to a key whose parent is
  // not there, which creating cannot make) is none, as a missing one is.
  const auto troubled = [&](const Listing& listing) {
    return !store.empty() && ((listing.opened != kRegSuccess && listing.opened != kRegFileNotFound) || listing.outside);
  };
  std::int32_t count = 0;
  bool raised = Raises([&] { count = GetRuleKeyCount(); });
  Listing listing = ListBare(c.registry, store);
  judge(raised, troubled(listing),
        listing.opened != kRegSuccess
            ? count == -1
            : count == static_cast<std::int32_t>(listing.names.size()) && RuleKeyNames->Items() == listing.names,
        "GetRuleKeyCount");

  bool found = false;
  raised = Raises([&] { found = RuleNameExists(DigitAtRuleName); });
  listing = ListBare(c.registry, store);
  bool trouble = troubled(listing);
  bool carries = false;
  for (const std::string& key_name : listing.names) {
    if (trouble) break;
    // A rule key that will not open carries no name.
    Key rule(c.registry, Open(c.registry, kHkeyCurrentUser, store + "\\" + key_name));
    const NameRead name = rule ? ReadName(c.registry, rule.get(), DigitAtRuleName) : NameRead{};
    trouble = name.raises;
    carries = carries || name.equals;
  }
  judge(raised, trouble, found == carries, "RuleNameExists");

  bool exists = false;
  raised = Raises([&] { exists = RuleKeyExists("000"); });
  {
    RegKey store_key = 0;
    const RegStatus store_opened =
        store.empty() ? kRegFileNotFound : c.registry.OpenKey(kHkeyCurrentUser, store, kKeyAllAccess, &store_key);
    Key opened_store(c.registry, store_key);
    RegKey probe = 0;
    const RegStatus probed = opened_store
                                 ? c.registry.OpenKeyItself(opened_store.get(), "000", kKeyReadForExistenceTest, &probe)
                                 : kRegFileNotFound;
    Key probe_key(c.registry, probe);
    trouble = !store.empty() && ((!opened_store && store_opened != kRegFileNotFound) ||
                                 (probed != kRegSuccess && probed != kRegFileNotFound));
    judge(raised, trouble, exists == (probed == kRegSuccess), "RuleKeyExists");
  }

  RequireNoHandles(c, "the lookups");
  if (Writes(c.recorder, first_call) != 0) Violation("a lookup wrote a value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  Case c;
  std::uint8_t header = 0;
  std::string store_path;
  if (!BuildStore(in, c, &header, &store_path)) return 0;

  // The truth about the bare store, taken before anything of the program ran.
  const ExpectedPath expected = MailRulesPathOf(c.registry);
  const std::vector<std::u16string> store = FoldedComponents(expected.path);
  const std::vector<std::vector<std::u16string>> store_places = {
      store, expected.path.empty() ? store : ResolvedComponents(c, expected.path)};
  const auto outside_before = KeysOutside(c.registry, store_places);

  TStringList names;
  RuleKeyNames = &names;
  SetActiveRegistryBackend(&c.recorder);
  // The fault counts calls of the program only.
  c.recorder.ResetCounts();
  if (!(header & 0x10)) RunLookups(c, expected);
  // One add command: each rule finds the store at its start, the one found here.
  std::string command_store;
  const bool no_store = Raises([&] { GetMailRulesPath(command_store); }) || command_store.empty();
  if (!c.fault_armed &&
      (no_store != (expected.raises || expected.path.empty()) || command_store != (no_store ? "" : expected.path))) {
    Violation("GetMailRulesPath:", command_store);
  }
  const bool digit_at_first = header & 0x01;
  for (int run = 0; run < 2 && !no_store; ++run) {
    const bool two_digit = (run == 0) != digit_at_first;
    RunInstaller(c, two_digit, (header >> (1 + run)) & 1, command_store);
  }
  SetActiveRegistryBackend(nullptr);
  RuleKeyNames = nullptr;

  RequireWritesInside(c, store);
  if (KeysOutside(c.registry, store_places) != outside_before) Violation("a key outside the mail rules key changed");
  return 0;
}
