// Helpers of the rule store cases: value constructors, the store's place, and its key tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/TStringList.h"
#include "registry/RegistryHarness.h"

RawValue Text(const std::string& text);  // REG_SZ with its NUL
RawValue Dword(std::uint32_t value);
RawValue Binary(const void* data, std::size_t size);

// Every key path below path (relative to it), depth first, in enumeration order.
std::vector<std::string> KeyTree(TRegistryBackend& backend, const std::string& path);

// The store of identity "{ID}".
extern const char kIdentity[];
extern const char kStorePath[];  // Identities\{ID}\Software\Microsoft\Outlook Express\5.0\Rules\Mail

// Gives the rule store its shared list for the length of a test.
class SharedRuleKeyNames {
 public:
  SharedRuleKeyNames();
  ~SharedRuleKeyNames();
  SharedRuleKeyNames(const SharedRuleKeyNames&) = delete;
  SharedRuleKeyNames& operator=(const SharedRuleKeyNames&) = delete;
  TStringList list;
};
