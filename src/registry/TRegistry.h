// TRegistry: one root key and at most one open (current) key; paths resolve against them, and typed
// value reads and writes act on the current key.
//
// Contract:
//  - A key that cannot be opened is a false result and changes nothing; TryOpenPath tells why.
//  - A value is missing only when the registry says so (2, not found), or when no key is open: it
//    reads as the empty text. Any other failure to read it raises ERegistryException 65413
//    ("'name' の取得に失敗しました"); one that is not text 65437 ("'name' のデータ型が不正です"); a
//    failed store 65414 ("'name' の設定に失敗しました"). With no key open every write fails.
//  - A text or a subkey name with characters that the code page cannot hold is never handed on with
//    substitutes: reading it raises 1011, listing it 1010, each naming the key. A substitute would
//    open another key, or put a different text back when written.
//  - A subkey listing either lists every subkey or raises; an existence test is false only when the
//    registry answers "not found", and raises for any other failure. A short list or a false "absent"
//    would make a taken rule number look free.
//  - An exception leaves the object as it was; the destructor closes the current key.
#pragma once

#include <cstdint>
#include <string>

#include "base/ResourceStrings.h"
#include "base/TObject.h"
#include "base/TStringList.h"
#include "registry/ERegistryException.h"
#include "registry/TRegistryBackend.h"

class TRegistry : public TObject {
 public:
  TRegistry();  // on the process's active back end
  explicit TRegistry(TRegistryBackend& backend);
  ~TRegistry() override;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // A different root closes the current key; the same root leaves it open.
  void SetRoot(RegKey root);
  // Makes the key at path current. A leading backslash resolves from the root, anything else from
  // the current key (or the root when none is open). With create set and a non-empty sub-path,
  // every missing key along the path is created. The old key is closed only once the new one is open.
  bool OpenPath(const std::string& path, bool create);
  // The same, with the registry's answer: its status, and for a create whether the key was made by
  // this call (rather than opened, already there).
  struct OpenResult {
    RegStatus status;
    bool created;
  };
  OpenResult TryOpenPath(const std::string& path, bool create);
  // Opens the key at path as TryOpenPath does without creating, but a registry link at the end of
  // the path as itself rather than as the key it leads to (links: TRegistryBackend.h).
  RegStatus TryOpenKeyItself(const std::string& path);
  void ClosePath();
  // Deletes the key at path (resolved as OpenPath does), which must have no subkeys; the registry's
  // status. For undoing what an installation created.
  RegStatus DeleteKey(const std::string& path);

  std::string ReadText(const std::string& value_name);
  // Whether the value reads as exactly text, byte for byte (a missing value as the empty text). A
  // text that the code page cannot hold equals none: it has characters that no text here has.
  // Raises as ReadText otherwise; with detail_id, the failure's message has a second line: that
  // entry of the string table filled with the current key's path, for a caller whose reader needs
  // the key named to find it.
  bool TextEquals(const std::string& value_name, const std::string& text, int detail_id = 0);
  // Whether the current key is a registry link: its "SymbolicLinkValue" is a REG_LINK. A failed
  // query raises as ReadText does.
  bool IsLink();
  void WriteText(const std::string& value_name, const std::string& text);
  void WriteDword(const std::string& value_name, std::int32_t value);
  void WriteBlob(const std::string& value_name, const void* data, std::int32_t length);

  // Refills list with the names of the current key's subkeys, in the registry's order, as many as
  // the subkey count said. With no key open the list is left empty; a listing that fails, also
  // part-way (a key removed meanwhile), empties the list and raises ERegistryException naming the key.
  void ListSubkeys(TStringList& list);
  // Whether path names an existing key: false when the registry answers "not found", and a raised
  // ERegistryException naming the key when it fails otherwise (a key that refuses to be read exists
  // all the same). Never creates, and leaves the current key, path and root as they were. A link at
  // the end of path is followed, or with link_itself taken as the key it is.
  bool SubkeyExists(const std::string& path, bool link_itself = false);

  RegKey CurrentKey() const noexcept { return current_key_; }
  RegKey Root() const noexcept { return root_; }
  const std::string& CurrentPath() const noexcept { return current_path_; }
  std::uint32_t Access() const noexcept { return access_; }
  // The rights every later open and create asks for (from construction on, KEY_ALL_ACCESS).
  void SetAccess(std::uint32_t access) noexcept { access_ = access; }

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
  // Makes opened, from resolved, the current key, closing the one before.
  void MakeCurrent(RegKey opened, const ResolvedPath& resolved);
  [[noreturn]] void RaiseListingFailed(TStringList& list, int message_id = kSListSubkeysFailed,
                                       const std::string& key_path = std::string()) const;
  // ReadText's work; false, with text untouched, for a text that the code page cannot hold. A failure
  // raises message_id's text, with detail_id's on a second line when given (TextEquals).
  bool ReadHeldText(const std::string& value_name, std::string* text, int detail_id = 0);
  [[noreturn]] void RaiseValueError(int message_id, const std::string& value_name, int detail_id) const;
  void StoreValue(const std::string& value_name, std::uint32_t type, const unsigned char* data, std::uint32_t size);

  TRegistryBackend& backend_;
  // State: the open key (0: none), the root that paths start from, the open key's path, the access asked for.
  RegKey current_key_ = 0;
  RegKey root_ = kHkeyCurrentUser;
  std::string current_path_;
  std::uint32_t access_ = kKeyAllAccess;
};
