// Reading one store for the installer, without creating anything.
#include "rulestore/StoreReader.h"

#include "base/Cp932Text.h"
#include "base/ResourceStrings.h"
#include "registry/KeyPath.h"

StoreReader::StoreReader(const std::string& store_path) : path_(store_path) {
  store_.SetRoot(kHkeyCurrentUser);
  const RegStatus status = store_.TryOpenPath(store_path, false).status;
  if (status != kRegSuccess && status != kRegFileNotFound) RaiseRegistryError(kSOpenStoreFailed, store_path);
  opened_ = status == kRegSuccess;
  if (opened_) key_.SetRoot(store_.CurrentKey());
}

std::string StoreReader::ReadOrder() { return opened_ ? store_.ReadText("Order") : std::string(); }

std::vector<std::string> StoreReader::KeysNamed(const std::string& name) {
  std::vector<std::string> named;
  if (!opened_) return named;
  TStringList keys;
  store_.ListSubkeys(keys);
  for (const std::string& key_name : keys.Items()) {
    if (KeyNamed(key_name, name)) named.push_back(key_name);
  }
  return named;
}

bool StoreReader::AnyListedKeyNamed(const OrderNames& listed, const std::vector<std::string>& named,
                                    const std::string& name) {
  for (const std::string& key_name : named) {
    if (listed.ListsExactly(key_name)) return true;
  }
  for (const std::string& key_name : listed.Names()) {
    // A name with a path separator would lead deeper than the store's own keys.
    if (opened_ && SplitKeyPath(key_name).size() == 1 && KeyNamed(key_name, name)) return true;
  }
  return false;
}

bool StoreReader::HasKey(const std::string& key_name) { return opened_ && store_.SubkeyExists(key_name); }

bool StoreReader::KeyNamed(const std::string& key_name, const std::string& name) {
  const std::string key_path = path_ + "\\" + key_name;
  const RegStatus status = key_.TryOpenPath(key_name, false).status;
  // Not there, or a listed name that can be no key's (too long).
  if (status == kRegFileNotFound || status == kRegInvalidParameter || status == kRegMoreData) return false;
  if (status != kRegSuccess) RaiseRegistryError(kSOpenKeyFailed, key_path);
  bool named = false;
  try {
    named = key_.TextEquals("Name", name);
  } catch (const ERegistryException& error) {
    // Said with the key: the value's name alone leaves the user no way to find it.
    key_.ClosePath();
    throw ERegistryException(error.Message() + "\r\n" + FillTemplate(ResourceString(kSRuleNameUnreadable), {key_path}));
  }
  key_.ClosePath();
  return named;
}
