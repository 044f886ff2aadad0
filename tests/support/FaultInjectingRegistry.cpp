// The counting, recording and failing wrapper around a registry back end.
#include "support/FaultInjectingRegistry.h"

const char* RegCallName(RegCall kind) {
  switch (kind) {
    case RegCall::kOpenKey: return "OpenKey";
    case RegCall::kCreateKey: return "CreateKey";
    case RegCall::kCloseKey: return "CloseKey";
    case RegCall::kQueryInfoKey: return "QueryInfoKey";
    case RegCall::kEnumKey: return "EnumKey";
    case RegCall::kQueryValue: return "QueryValue";
    case RegCall::kSetValue: return "SetValue";
    case RegCall::kDeleteKey: return "DeleteKey";
  }
  return "?";
}

void FaultInjectingRegistry::ResetCounts() {
  counts_.fill(0);
  total_ = 0;
  calls_.clear();
}

void FaultInjectingRegistry::FailNth(RegCall kind, std::uint64_t nth, RegStatus status) {
  faults_.push_back(Fault{false, kind, nth, false, false, std::string(), status});
}

void FaultInjectingRegistry::FailNthCall(std::uint64_t nth, RegStatus status) {
  faults_.push_back(Fault{true, RegCall::kOpenKey, nth, false, false, std::string(), status});
}

void FaultInjectingRegistry::FailFromCall(std::uint64_t nth, RegStatus status) {
  faults_.push_back(Fault{true, RegCall::kOpenKey, nth, true, false, std::string(), status});
}

void FaultInjectingRegistry::FailValue(RegCall kind, const std::string& value_name, RegStatus status) {
  faults_.push_back(Fault{false, kind, 0, false, true, value_name, status});
}

void FaultInjectingRegistry::FailKey(RegCall kind, const std::string& key_path, RegStatus status) {
  faults_.push_back(Fault{false, kind, 0, false, false, key_path, status, true});
}

bool FaultInjectingRegistry::Intercept(RegCall kind, const std::string* value_name, RegStatus* status,
                                       const std::string* key_path) {
  const std::uint64_t of_kind = ++counts_[static_cast<std::size_t>(kind)];
  const std::uint64_t overall = ++total_;
  if (before_call) before_call(kind, value_name);
  for (const Fault& fault : faults_) {
    if (!fault.any_kind && fault.kind != kind) continue;
    if (fault.by_value_name && (value_name == nullptr || *value_name != fault.value_name)) continue;
    if (fault.by_key && (key_path == nullptr || *key_path != fault.value_name)) continue;
    const std::uint64_t position = fault.any_kind ? overall : of_kind;
    if (fault.nth != 0 && (fault.from_nth ? position < fault.nth : position != fault.nth)) continue;
    *status = fault.status;
    return true;
  }
  return false;
}

void FaultInjectingRegistry::Record(RegCall kind, std::string key_path, const std::string* value_name,
                                    std::uint32_t type, RegStatus status) {
  calls_.push_back(RecordedCall{kind, std::move(key_path), value_name != nullptr ? *value_name : std::string(), type,
                                status});
}

std::string FaultInjectingRegistry::PathOf(RegKey key) const {
  if (key == kHkeyCurrentUser) return std::string();
  const auto at = paths_.find(key);
  return at != paths_.end() ? at->second : "?";
}

std::string FaultInjectingRegistry::Join(const std::string& base, const std::string& sub_key) {
  if (base.empty()) return sub_key;
  if (sub_key.empty()) return base;
  return base + "\\" + sub_key;
}

RegStatus FaultInjectingRegistry::OpenKey(RegKey base, const std::string& sub_key, std::uint32_t access,
                                          RegKey* result) {
  return Open(base, sub_key, access, false, result);
}

RegStatus FaultInjectingRegistry::OpenKeyItself(RegKey base, const std::string& sub_key, std::uint32_t access,
                                                RegKey* result) {
  return Open(base, sub_key, access, true, result);
}

RegStatus FaultInjectingRegistry::Open(RegKey base, const std::string& sub_key, std::uint32_t access, bool itself,
                                       RegKey* result) {
  RegStatus status = kRegSuccess;
  std::string path = Join(PathOf(base), sub_key);
  if (Intercept(RegCall::kOpenKey, nullptr, &status, &path)) {
    *result = 0;
  } else {
    status = itself ? inner_.OpenKeyItself(base, sub_key, access, result) : inner_.OpenKey(base, sub_key, access, result);
  }
  if (recording_) {
    if (status == kRegSuccess && *result != kHkeyCurrentUser) paths_[*result] = path;
    Record(RegCall::kOpenKey, std::move(path), nullptr, 0, status);
  }
  return status;
}

RegStatus FaultInjectingRegistry::CreateKey(RegKey base, const std::string& sub_key, std::uint32_t access,
                                            RegKey* result, std::uint32_t* disposition) {
  RegStatus status = kRegSuccess;
  std::string path = Join(PathOf(base), sub_key);
  if (Intercept(RegCall::kCreateKey, nullptr, &status, &path)) {
    *result = 0;
  } else {
    status = inner_.CreateKey(base, sub_key, access, result, disposition);
  }
  if (recording_) {
    if (status == kRegSuccess && *result != kHkeyCurrentUser) paths_[*result] = path;
    Record(RegCall::kCreateKey, std::move(path), nullptr, 0, status);
  }
  return status;
}

RegStatus FaultInjectingRegistry::CloseKey(RegKey key) {
  // A failing close is still passed on: its caller has let go of the handle and cannot try again,
  // so keeping it open would only plant a leak that no caller could avoid.
  RegStatus status = kRegSuccess;
  const bool faulted = Intercept(RegCall::kCloseKey, nullptr, &status);
  const RegStatus closed = inner_.CloseKey(key);
  if (!faulted) status = closed;
  if (!recording_) return status;
  Record(RegCall::kCloseKey, PathOf(key), nullptr, 0, status);
  if (closed == kRegSuccess) paths_.erase(key);
  return status;
}

RegStatus FaultInjectingRegistry::QueryInfoKey(RegKey key, std::uint32_t* subkey_count,
                                               std::uint32_t* max_subkey_name_length) {
  RegStatus status = kRegSuccess;
  if (!Intercept(RegCall::kQueryInfoKey, nullptr, &status)) {
    status = inner_.QueryInfoKey(key, subkey_count, max_subkey_name_length);
  }
  if (recording_) Record(RegCall::kQueryInfoKey, PathOf(key), nullptr, 0, status);
  return status;
}

RegStatus FaultInjectingRegistry::EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* capacity) {
  RegStatus status = kRegSuccess;
  if (!Intercept(RegCall::kEnumKey, nullptr, &status)) status = inner_.EnumKey(key, index, name, capacity);
  if (recording_) Record(RegCall::kEnumKey, PathOf(key), nullptr, 0, status);
  return status;
}

RegStatus FaultInjectingRegistry::QueryValue(RegKey key, const std::string& value_name, std::uint32_t* type,
                                             unsigned char* data, std::uint32_t* size) {
  RegStatus status = kRegSuccess;
  if (!Intercept(RegCall::kQueryValue, &value_name, &status)) {
    status = inner_.QueryValue(key, value_name, type, data, size);
  }
  if (recording_) Record(RegCall::kQueryValue, PathOf(key), &value_name, 0, status);
  return status;
}

RegStatus FaultInjectingRegistry::SetValue(RegKey key, const std::string& value_name, std::uint32_t type,
                                           const unsigned char* data, std::uint32_t size) {
  RegStatus status = kRegSuccess;
  if (!Intercept(RegCall::kSetValue, &value_name, &status)) {
    status = inner_.SetValue(key, value_name, type, data, size);
  }
  if (recording_) Record(RegCall::kSetValue, PathOf(key), &value_name, type, status);
  return status;
}

RegStatus FaultInjectingRegistry::DeleteKey(RegKey base, const std::string& sub_key) {
  RegStatus status = kRegSuccess;
  std::string path = Join(PathOf(base), sub_key);
  if (!Intercept(RegCall::kDeleteKey, nullptr, &status, &path)) status = inner_.DeleteKey(base, sub_key);
  if (recording_) Record(RegCall::kDeleteKey, std::move(path), nullptr, 0, status);
  return status;
}
