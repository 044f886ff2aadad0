// Deleting keys beneath a store, and checking remnants before any of them goes.
#include "rulestore/KeyDeletion.h"

#include <exception>

#include "base/Cp932Text.h"
#include "base/ResourceStrings.h"
#include "registry/TRegistry.h"

namespace {

// Listing a key and deleting it, nothing more: the rights a removal needs, and all it asks for.
constexpr std::uint32_t kRemovalAccess = kKeyDelete | kKeyQueryValue | kKeyEnumerateSubKeys;

// The message of the exception being handled (an Exception's what() is its message), for a report
// that adds to it.
std::string CurrentFailureText() {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return {};
  }
}

}  // namespace

bool DeleteBeneathStore(const std::string& store_path, const std::vector<std::string>& keys) {
  TRegistry registry;
  registry.SetRoot(kHkeyCurrentUser);
  bool all_gone = registry.OpenPath(store_path, false);
  for (auto key = keys.rbegin(); all_gone && key != keys.rend(); ++key) {
    all_gone = registry.DeleteKey(*key) == kRegSuccess;
  }
  return all_gone;
}

[[noreturn]] void RaiseLeftBehind(int message_id, const std::string& key_path) {
  std::string message = CurrentFailureText();
  if (!message.empty()) message += "\r\n";
  throw ERegistryException(message + FillTemplate(ResourceString(message_id), {key_path}));
}

RemnantKeys CheckRemnant(const std::string& store_path, const std::string& key_name) {
  RemnantKeys keys{key_name};
  try {
    TRegistry registry;
    registry.SetRoot(kHkeyCurrentUser);
    TStringList children;
    for (std::size_t index = 0; index < keys.size(); ++index) {
      // Each key beneath the store opened: the path from the root might be longer than the
      // registry takes.
      registry.ClosePath();
      registry.SetAccess(kKeyReadForExistenceTest);
      if (!registry.OpenPath(store_path, false)) RaiseRegistryError(kSOpenStoreFailed, store_path);
      registry.SetAccess(kRemovalAccess);
      if (registry.TryOpenKeyItself(keys[index]) != kRegSuccess || registry.IsLink()) {
        RaiseRegistryError(kSOpenKeyFailed, store_path + "\\" + keys[index]);
      }
      registry.ListSubkeys(children);
      for (const std::string& child : children.Items()) keys.push_back(keys[index] + "\\" + child);
    }
  } catch (...) {
    RaiseLeftBehind(kSRemnantNotDeleted, store_path + "\\" + key_name);
  }
  return keys;
}

void RemoveRemnants(const std::string& store_path, const std::vector<RemnantKeys>& remnants) {
  for (const RemnantKeys& keys : remnants) {
    if (!DeleteBeneathStore(store_path, keys)) {
      RaiseRegistryError(kSRemnantNotDeleted, store_path + "\\" + keys.front());
    }
  }
}
