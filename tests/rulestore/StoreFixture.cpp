// Value constructors and the key-tree walk of the rule store cases.
#include "rulestore/StoreFixture.h"

#include "rulestore/RuleFunc.h"

const char kIdentity[] = "{ID}";
const char kStorePath[] = "Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail";

RawValue Text(const std::string& text) { return {kRegSz, text + std::string(1, '\0')}; }

RawValue Dword(std::uint32_t value) {
  const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                         static_cast<char>(value >> 24)};
  return {kRegDword, std::string(bytes, 4)};
}

RawValue Binary(const void* data, std::size_t size) {
  return {kRegBinary, std::string(static_cast<const char*>(data), size)};
}

std::vector<std::string> KeyTree(TRegistryBackend& backend, const std::string& path) {
  std::vector<std::string> tree;
  for (const std::string& child : SubkeyNames(backend, path)) {
    tree.push_back(child);
    const std::string child_path = path.empty() ? child : path + "\\" + child;
    for (const std::string& below : KeyTree(backend, child_path)) tree.push_back(child + "\\" + below);
  }
  return tree;
}

SharedRuleKeyNames::SharedRuleKeyNames() { RuleKeyNames = &list; }
SharedRuleKeyNames::~SharedRuleKeyNames() { RuleKeyNames = nullptr; }
