// What the registry-layer suite needs from the back end it runs on: a clean HKEY_CURRENT_USER per
// case, and fixture writes and read-backs that go through the seven primitives only, so that the
// same cases run over the in-memory store and over the real registry under Wine.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "registry/ERegistryException.h"
#include "registry/TRegistryBackend.h"

class RegistryHarness {
 public:
  virtual ~RegistryHarness() = default;
  virtual TRegistryBackend& Backend() = 0;
  // Empties HKEY_CURRENT_USER as the back end sees it: values and subkeys.
  virtual void ResetUserKey() = 0;
  // Makes the existing key at path (from HKEY_CURRENT_USER) refuse to be opened for reading, as a
  // key whose security denies the user does. False when this back end cannot do that.
  virtual bool MakeKeyRefuseReading(const std::string& path) = 0;
  // The same for a key that grants reading only (KEY_READ), as some tools leave them.
  virtual bool MakeKeyReadOnly(const std::string& path) = 0;
  // A registry link at path (a new key) that leads to the key at target_path, which need not exist.
  // False when this back end cannot make one.
  virtual bool MakeLink(const std::string& path, const std::string& target_path) = 0;
  // What a Unicode program may write on the NT family, given in UTF-16: the key name beneath the
  // key at parent_path, and the REG_SZ value_name of the key at path (keys made if missing).
  virtual bool MakeKeyInUtf16(const std::string& parent_path, const std::u16string& name) = 0;
  virtual bool PutTextInUtf16(const std::string& path, const std::string& value_name, const std::u16string& text,
                              std::uint32_t type = kRegSz) = 0;
};

// The harness of this test program; each program links exactly one.
RegistryHarness& Harness();

// A value as stored: type code and exact bytes.
struct RawValue {
  std::uint32_t type;
  std::string bytes;
  bool operator==(const RawValue& other) const { return type == other.type && bytes == other.bytes; }
};
void PrintTo(const RawValue& value, std::ostream* out);

// A key handle that the back end closes when it goes.
class ScopedKey {
 public:
  explicit ScopedKey(TRegistryBackend& backend) : backend_(backend) {}
  ~ScopedKey() { Reset(); }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  RegKey get() const { return key_; }
  // For an out-parameter: closes the key held so far.
  RegKey* out() {
    Reset();
    return &key_;
  }
  void Reset() {
    if (key_ != 0) backend_.CloseKey(key_);
    key_ = 0;
  }

 private:
  TRegistryBackend& backend_;
  RegKey key_ = 0;
};

// Fixture access, paths from HKEY_CURRENT_USER. Failures come back to the calling test's line
// through the assertion results.
::testing::AssertionResult MakeKey(TRegistryBackend& backend, const std::string& path);
::testing::AssertionResult PutValue(TRegistryBackend& backend, const std::string& path, const std::string& name,
                                    const RawValue& value);
// The value, or nothing when the key or the value is missing, or when it is a text that the code
// page cannot hold (a text of its own, never rewritten with substitutes).
std::optional<RawValue> GetValue(TRegistryBackend& backend, const std::string& path, const std::string& name);
bool KeyExists(TRegistryBackend& backend, const std::string& path);
// The subkey names in enumeration order, a name that the code page cannot hold with its "?";
// empty when the key does not open.
std::vector<std::string> SubkeyNames(TRegistryBackend& backend, const std::string& path);

// The message of the ERegistryException that action raises, or nothing when it raises none.
template <typename Action>
std::optional<std::string> RegistryErrorOf(Action action) {
  try {
    action();
  } catch (const ERegistryException& error) {
    return error.Message();
  }
  return std::nullopt;
}

// Each case starts from an empty HKEY_CURRENT_USER.
class RegistryCase : public ::testing::Test {
 protected:
  void SetUp() override { Harness().ResetUserKey(); }
  TRegistryBackend& backend() { return Harness().Backend(); }
};
