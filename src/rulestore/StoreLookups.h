// The lookups bound to one store path rather than to whatever the identity leads to at the time of
// each call: an installation works on the store it started with, from the first look to "Order".
#pragma once

#include <string>
#include <vector>

// The rule keys whose "Name" is exactly name, byte for byte, in listing order. Every rule key is
// read, also after a match, and the listing is left in RuleKeyNames.
std::vector<std::string> RuleKeysNamed(const std::string& store_path, const std::string& name);
// Whether the store at store_path has a subkey called key_name.
bool RuleKeyExistsIn(const std::string& store_path, const std::string& key_name);
