// The fixture of the rule store cases: a clean registry as the process's back end, and the shared list.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "base/ResourceStrings.h"
#include "registry/ERegistryException.h"
#include "rulestore/RuleFunc.h"
#include "rulestore/StoreFixture.h"

class RuleStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { SetActiveRegistryBackend(nullptr); }

  // An empty HKEY_CURRENT_USER; also for cases that try several stores in turn.
  void Clean() {
    Harness().ResetUserKey();
    SetActiveRegistryBackend(&backend());
  }
  TRegistryBackend& backend() { return Harness().Backend(); }

  void Put(const std::string& path, const std::string& name, const RawValue& value) {
    ASSERT_TRUE(PutValue(backend(), path, name, value));
  }
  void Make(const std::string& path) { ASSERT_TRUE(MakeKey(backend(), path)); }
  std::optional<RawValue> Get(const std::string& path, const std::string& name) {
    return GetValue(backend(), path, name);
  }
  std::vector<std::string> Tree(const std::string& path) { return KeyTree(backend(), path); }

  // The identity {ID} with an existing, empty mail rules key.
  void MakeEmptyStore() {
    Put("Identities", "Last User ID", Text(kIdentity));
    Make(kStorePath);
  }
  void AddRuleKey(const std::string& key_name, const std::string& rule_name) {
    Put(RulePath(key_name), "Name", Text(rule_name));
  }
  static std::string RulePath(const std::string& key_name) { return std::string(kStorePath) + "\\" + key_name; }
  std::optional<RawValue> StoreOrder() { return Get(kStorePath, "Order"); }

  // Every key and value of a complete rule, byte for byte.
  void ExpectCompleteRule(const std::string& key_name, const std::string& rule_name, const CriteriaBlob& criteria,
                          std::uint32_t action_type);

  SharedRuleKeyNames names_;
};
