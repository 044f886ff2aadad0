// A registry back end that wraps another: counts and records every primitive call, and makes chosen
// calls fail without passing them on (closes excepted, see FailNth). For error-path tests, failure
// sweeps and call-count benchmarks.
// Faults are checked in the order they were armed; the first that matches a call decides it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "registry/TRegistryBackend.h"

enum class RegCall { kOpenKey, kCreateKey, kCloseKey, kQueryInfoKey, kEnumKey, kQueryValue, kSetValue, kDeleteKey };
constexpr std::size_t kRegCallKinds = 8;

const char* RegCallName(RegCall kind);

// One primitive call as it was made. key_path is the key's path from HKEY_CURRENT_USER as far as
// this wrapper saw it opened (for open and create, the path asked for); value_name is set for the
// value calls, type for SetValue; status is what the caller got back.
struct RecordedCall {
  RegCall kind;
  std::string key_path;
  std::string value_name;
  std::uint32_t type;
  RegStatus status;
};

class FaultInjectingRegistry final : public TRegistryBackend {
 public:
  explicit FaultInjectingRegistry(TRegistryBackend& inner) : inner_(inner) {}

  RegStatus OpenKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result) override;
  // Counted, recorded and failed as an open.
  RegStatus OpenKeyItself(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result) override;
  using TRegistryBackend::CreateKey;
  RegStatus CreateKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result,
                      std::uint32_t* disposition) override;
  RegStatus CloseKey(RegKey key) override;
  RegStatus QueryInfoKey(RegKey key, std::uint32_t* subkey_count, std::uint32_t* max_subkey_name_length) override;
  RegStatus EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* capacity) override;
  RegStatus QueryValue(RegKey key, const std::string& value_name, std::uint32_t* type, unsigned char* data,
                       std::uint32_t* size) override;
  RegStatus SetValue(RegKey key, const std::string& value_name, std::uint32_t type, const unsigned char* data,
                     std::uint32_t size) override;
  RegStatus DeleteKey(RegKey base, const std::string& sub_key) override;
  bool IsFarEastNt() const override { return inner_.IsFarEastNt(); }

  // Calls counted since construction or the last ResetCounts, failed ones included.
  std::uint64_t Count(RegCall kind) const { return counts_[static_cast<std::size_t>(kind)]; }
  std::uint64_t TotalCount() const { return total_; }
  const std::vector<RecordedCall>& Calls() const { return calls_; }
  // Benchmarks turn the record off so that only counting costs anything. Handles opened while it is
  // off show as "?" in later records.
  void SetRecording(bool on) { recording_ = on; }
  // Zeroes the counts and clears the record; the faults stay armed, counted against the new counts.
  void ResetCounts();

  // The nth call (from 1) of that kind returns status instead of reaching the wrapped back end;
  // nth 0 fails every call of that kind. A failed open or create hands back no handle; a failed
  // close reports the status but still closes the handle.
  void FailNth(RegCall kind, std::uint64_t nth, RegStatus status);
  // The nth call (from 1) of any kind fails: for sweeps that fail every call of a run in turn.
  void FailNthCall(std::uint64_t nth, RegStatus status);
  // Every QueryValue or SetValue (as kind says) of that exact value name fails.
  void FailValue(RegCall kind, const std::string& value_name, RegStatus status);
  // Every call of that kind on the key at key_path fails (opens and creates: the key asked for;
  // deletes: the key deleted), the path as the record gives it. Needs recording on.
  void FailKey(RegCall kind, const std::string& key_path, RegStatus status);
  // From the nth call (from 1) on, every call fails: a disk gone full, a hive gone read-only.
  void FailFromCall(std::uint64_t nth, RegStatus status);
  void ClearFaults() { faults_.clear(); }

  // Runs before every call reaches the wrapped back end (or a fault): for another program that
  // changes the registry in the middle of a command.
  std::function<void(RegCall kind, const std::string* value_name)> before_call;

 private:
  struct Fault {
    bool any_kind;
    RegCall kind;
    std::uint64_t nth;  // 0: every matching call
    bool from_nth;      // nth and every matching call after it
    bool by_value_name;
    std::string value_name;  // or, for a fault by key, its path
    RegStatus status;
    bool by_key = false;
  };

  RegStatus Open(RegKey base, const std::string& sub_key, std::uint32_t access, bool itself, RegKey* result);
  // Counts the call and answers whether a fault claims it (and with which status).
  bool Intercept(RegCall kind, const std::string* value_name, RegStatus* status, const std::string* key_path = nullptr);
  void Record(RegCall kind, std::string key_path, const std::string* value_name, std::uint32_t type,
              RegStatus status);
  std::string PathOf(RegKey key) const;
  static std::string Join(const std::string& base, const std::string& sub_key);

  TRegistryBackend& inner_;
  std::array<std::uint64_t, kRegCallKinds> counts_{};
  std::uint64_t total_ = 0;
  std::vector<RecordedCall> calls_;
  bool recording_ = true;
  std::vector<Fault> faults_;
  // The path each open handle was opened as, for the record.
  std::unordered_map<RegKey, std::string> paths_;
};
