// One store as the installer reads it: opened once, its keys opened beneath it one at a time, and
// nothing created, so that looking leaves the store as it was (a name that "Order" lists without
// its key stays without it). Only "not found" is absent; any other failure to open a key raises
// ERegistryException naming it, since "absent" would be a guess.
#pragma once

#include <string>
#include <vector>

#include "registry/TRegistry.h"
#include "rulestore/OrderNames.h"

class StoreReader {
 public:
  // A store that is not there reads as an empty one.
  explicit StoreReader(const std::string& store_path);

  // The store's "Order" (a text that the code page cannot hold raises, naming the store).
  std::string ReadOrder();
  // The store's subkeys whose "Name" is exactly name, in listing order. Every subkey is read, also
  // after a match; a subkey name that the code page cannot hold raises, naming it.
  std::vector<std::string> KeysNamed(const std::string& name);
  // Whether a key that "Order" lists carries the name (named: the keys that do, from KeysNamed): a
  // rule the mail client shows. A key listed under its own spelling is; else the registry resolves
  // each listed name as the mail client's own open does.
  bool AnyListedKeyNamed(const OrderNames& listed, const std::vector<std::string>& named, const std::string& name);
  // Whether the store has a subkey called key_name.
  bool HasKey(const std::string& key_name);

 private:
  // Whether key_name opens beneath the store and its "Name" is exactly name.
  bool KeyNamed(const std::string& key_name, const std::string& name);

  const std::string path_;
  TRegistry store_;
  TRegistry key_;  // rooted at the store: names beneath it need no path from HKEY_CURRENT_USER
  bool opened_ = false;
};
