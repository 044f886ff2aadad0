// An in-memory registry that answers the primitives as the Windows registry of a Japanese NT
// system does: the back end of the portable build, its tests and benchmarks.
//
// What it reproduces: case-insensitive names compared in UTF-16 (code page 932 decoded first, so
// double-byte names with letter-like or 0x5C trail bytes stay intact), names and string data handed
// back in their canonical code page 932 form (the registry keeps them as UTF-16, so a character
// with two codes comes back in one), names and strings that a Unicode program wrote with characters
// code page 932 lacks (answered with 1113, see TRegistryBackend.h), subkeys enumerated in the hive's
// order (ascending by upper-cased UTF-16 name), the path rules (paths over 260 UTF-16 characters
// 234, leading backslash 161, trailing ones ignored, doubled ones 87, components over 256
// characters 87), creation one component at a time with its disposition, deletion leaf first, a
// handle table that detects stale handles and handles of deleted keys, access masks on
// set/query/enumerate, the rights a key's security grants (checked on open, create and delete),
// registry links (followed by every open but OpenKeyItself, and by delete), and the value size and
// NUL rules of RegQueryValueExA.
//
// Only HKEY_CURRENT_USER exists. Nothing is kept between runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "registry/TRegistryBackend.h"

class TMemoryRegistry final : public TRegistryBackend {
 public:
  TMemoryRegistry();
  ~TMemoryRegistry() override;
  TMemoryRegistry(const TMemoryRegistry&) = delete;
  TMemoryRegistry& operator=(const TMemoryRegistry&) = delete;

  RegStatus OpenKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result) override;
  RegStatus OpenKeyItself(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result) override;
  using TRegistryBackend::CreateKey;
  RegStatus CreateKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result,
                      std::uint32_t* disposition) override;
  RegStatus CloseKey(RegKey key) override;
  RegStatus QueryInfoKey(RegKey key, std::uint32_t* subkey_count, std::uint32_t* max_subkey_name_length) override;
  RegStatus EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* capacity) override;
  RegStatus QueryValue(RegKey key, const std::string& value_name, std::uint32_t* type, unsigned char* data,
                       std::uint32_t* size) override;
  RegStatus SetValue(RegKey key, const std::string& value_name, std::uint32_t type, const unsigned char* data,
                     std::uint32_t size) override;
  RegStatus DeleteKey(RegKey base, const std::string& sub_key) override;

  // A Japanese NT system unless told otherwise.
  bool IsFarEastNt() const override { return far_east_nt_; }
  void SetFarEastNt(bool far_east_nt) { far_east_nt_ = far_east_nt; }

  // Test conveniences outside the nine primitives.

  // Empties HKEY_CURRENT_USER. Every handle handed out so far becomes invalid (6).
  void Clear();
  // Gives the existing key at path (from HKEY_CURRENT_USER) security that grants only the rights in
  // access: an open, create or delete asking for more is refused (5), as for a key whose security
  // denies the caller (0: every open refused; kKeyRead: read-only). False when there is no such key.
  bool SetGrantedAccess(const std::string& path, std::uint32_t access);
  // Makes a registry link at path (a new key; its parents made if missing) that leads to the key at
  // target_path (from HKEY_CURRENT_USER), as a program creating it with REG_OPTION_CREATE_LINK and
  // setting its "SymbolicLinkValue" does. False when path is taken or target_path is empty.
  bool MakeLink(const std::string& path, const std::string& target_path);
  // What a Unicode program may write on the NT family, each given in UTF-16: the key name beneath
  // the key at parent_path, and the string value_name (REG_SZ unless type says another string type)
  // of the key at path (keys made if missing). A name or text with characters that code page 932
  // lacks answers as the real registry does.
  bool MakeKeyInUtf16(const std::string& parent_path, const std::u16string& name);
  bool PutTextInUtf16(const std::string& path, const std::string& value_name, const std::u16string& text,
                      std::uint32_t type = kRegSz);
  // Handles handed out and not yet closed (the predefined root not counted): a leak detector.
  std::size_t OpenHandleCount() const noexcept { return handles_.size(); }
  // The subtree at path (from HKEY_CURRENT_USER), one line per key ("[path]", the path relative to
  // the dumped key) followed by its values in the order they were first set
  // ("name" = type: hex bytes), keys depth first in enumeration order. Empty when path does not open.
  std::string Dump(const std::string& path = std::string()) const;

  struct Node;  // one key, defined with the implementation

 private:
  struct OpenHandle {
    Node* node;
    std::uint32_t access;
  };

  // The key behind a handle with the access it was opened with: 6 for a bad handle, 1018 for a
  // deleted key.
  RegStatus Lookup(RegKey key, const OpenHandle** handle) const;
  RegKey NewHandle(Node* node, std::uint32_t access);
  RegStatus Open(RegKey base, const std::string& sub_key, std::uint32_t access, bool follow_last, RegKey* result);
  // The key the components lead to from base, following every link on the way (and a last one too
  // when follow_last is set); *owner, when asked for, the key that holds it. Null when there is none.
  Node* FindPath(Node* base, const std::vector<std::string>& components, bool follow_last = true,
                 Node** owner = nullptr, int depth = 0) const;
  // The key a link leads to; null when there is none, or after too many links in a row.
  Node* FollowLink(const Node& link, Node** owner, int depth) const;
  // Where creating through a link leads: the key the link names, made when it is missing but its
  // parent is there (*made then), as NtCreateKey does once the name is re-parsed.
  Node* FollowLinkCreating(const Node& link, bool* made, int depth);
  // The key at path, made if missing; null when the path is no key's.
  Node* MakePath(const std::string& path);

  std::unique_ptr<Node> root_;
  // Deleted keys, kept for the handles that may still point at them.
  std::vector<std::unique_ptr<Node>> deleted_;
  std::unordered_map<RegKey, OpenHandle> handles_;
  OpenHandle root_handle_;
  // Handle values are never reused, so a stale handle stays detectably invalid.
  RegKey next_handle_ = 0x1000;
  bool far_east_nt_ = true;
};
