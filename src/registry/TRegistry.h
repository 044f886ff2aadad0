// TRegistry: one root key and at most one open (current) key; paths resolve against them, and typed
// value reads and writes act on the current key.
//
// Contract:
//  - A key that cannot be opened is a false result and changes nothing.
//  - A value that does not exist, or a read with no key open, is the empty text.
//  - A value that cannot be read raises ERegistryException 65413 ("'name' の取得に失敗しました"), one
//    that is not text 65437 ("'name' のデータ型が不正です"), a failed store 65414
//    ("'name' の設定に失敗しました"); with no key open every write fails.
//  - An exception leaves the object as it was; the destructor closes the current key.
#pragma once

#include <cstdint>
#include <string>

#include "base/TStringList.h"
#include "registry/ERegistryException.h"
#include "registry/RegistryBackend.h"

class TRegistry {
 public:
  TRegistry();  // on the process's active back end
  explicit TRegistry(RegistryBackend& backend);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // A different root closes the current key; the same root leaves it open.
  void SetRoot(RegKey root);
  // Makes the key at path current. A leading backslash resolves from the root, anything else from
  // the current key (or the root when none is open). With create set and a non-empty sub-path,
  // every missing key along the path is created. The old key is closed only once the new one is open.
  bool OpenPath(const std::string& path, bool create);
  void ClosePath();

  std::string ReadText(const std::string& value_name);
  void WriteText(const std::string& value_name, const std::string& text);
  void WriteDword(const std::string& value_name, std::int32_t value);
  void WriteBlob(const std::string& value_name, const void* data, std::int32_t length);

  // Refills list with the names of the current key's subkeys, in the registry's order. Any failure
  // leaves the list empty or short; nothing is raised.
  void ListSubkeys(TStringList& list);
  // Whether path names an existing key that opens for reading. Never creates, never raises, and
  // leaves the current key, path and root as they were.
  bool SubkeyExists(const std::string& path);

  RegKey CurrentKey() const noexcept { return current_key_; }
  RegKey Root() const noexcept { return root_; }
  const std::string& CurrentPath() const noexcept { return current_path_; }
  std::uint32_t Access() const noexcept { return access_; }

  // The largest value ReadText accepts; larger data is refused as a failed read rather than
  // letting a stranger's value size an allocation.
  static constexpr std::uint32_t kMaxTextValueSize = 16u * 1024u * 1024u;

 private:
  struct ResolvedPath {
    RegKey base;
    std::string sub_path;
    bool relative;
  };
  ResolvedPath Resolve(const std::string& path) const;
  void StoreValue(const std::string& value_name, std::uint32_t type, const unsigned char* data, std::uint32_t size);

  RegistryBackend& backend_;
  // State, in the order the class has always declared it.
  RegKey current_key_ = 0;
  RegKey root_ = kHkeyCurrentUser;
  std::string current_path_;
  std::uint32_t access_ = kKeyAllAccess;
};
