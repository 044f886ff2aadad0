// The in-memory registry: a tree of keys with sorted children, a handle table, and values kept in
// the order they were first set.
#include "registry/TMemoryRegistry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "registry/KeyNameFolding.h"
#include "registry/KeyPath.h"

namespace {

// Limits as Windows counts them, in UTF-16 units. The A functions convert the whole path into a
// buffer of 261 characters first, so an over-long path fails before its components are looked at.
constexpr std::size_t kMaxKeyNameUnits = 256;
constexpr std::size_t kMaxValueNameUnits = 16383;
constexpr std::size_t kMaxPathUnits = 260;
// Windows follows a chain of links only so far; a loop ends there too.
constexpr int kMaxLinkDepth = 16;
const char kLinkValueName[] = "SymbolicLinkValue";

bool IsStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

struct ParsedPath {
  RegStatus status;
  std::vector<std::string> components;
};

// The path rules shared by open and create. Component lengths are left to the caller: create
// checks them one at a time, after the earlier components have been made.
ParsedPath ParseKeyPath(const std::string& path) {
  if (Cp932Utf16Length(path) > kMaxPathUnits) return {kRegMoreData, {}};
  if (!path.empty() && path[0] == '\\') return {kRegBadPathname, {}};
  std::vector<std::string> components = SplitKeyPath(path);
  while (!components.empty() && components.back().empty()) components.pop_back();
  for (const std::string& component : components) {
    if (component.empty()) return {kRegInvalidParameter, {}};
  }
  return {kRegSuccess, std::move(components)};
}

}  // namespace

struct TMemoryRegistry::Node {
  struct Value {
    std::string name;  // first spelling, canonical
    std::uint32_t type;
    std::vector<unsigned char> data;  // strings as code page 932 gives them
    bool outside_code_page = false;   // a string whose data has "?" for characters 932 lacks
  };

  std::string name;  // first spelling, in its canonical code page 932 form ("?" for what 932 lacks)
  bool name_outside_code_page = false;
  // Keyed by the folded name, so the map's order is the enumeration order. The longest name length
  // only grows: after a deletion it is an upper bound, which is all a caller sizing a buffer needs.
  std::map<std::u16string, std::unique_ptr<Node>> children;
  std::uint32_t longest_child_units = 0;
  std::vector<Value> values;  // in the order first set
  std::map<std::u16string, std::size_t> value_index;
  std::uint32_t granted = kKeyAllAccess;  // what its security lets the caller have
  std::string link_target;  // for a link: the path, from HKEY_CURRENT_USER, of the key it leads to
  bool deleted = false;     // handles still open on it answer 1018

  bool Grants(std::uint32_t access) const { return (access & ~granted) == 0; }

  Node* FindChild(const std::string& child_name) const {
    const auto at = children.find(FoldedName(child_name));
    return at != children.end() ? at->second.get() : nullptr;
  }

  // The child of that name, made if missing (*made tells which); null when the name is too long to
  // be a key name.
  Node* FindOrAddChild(const std::string& child_name, bool* made) {
    return FindOrAddChild(FoldedName(child_name), CanonicalCp932(child_name), false, made);
  }
  Node* FindOrAddChild(const std::u16string& child_name, bool* made) {
    bool exact = false;
    std::string ansi_name = EncodeCp932(child_name, &exact);
    return FindOrAddChild(FoldedName(child_name), std::move(ansi_name), !exact, made);
  }
  Node* FindOrAddChild(std::u16string key, std::string ansi_name, bool outside_code_page, bool* made) {
    if (key.size() > kMaxKeyNameUnits) return nullptr;
    const auto at = children.lower_bound(key);
    *made = !(at != children.end() && at->first == key);
    if (!*made) return at->second.get();
    auto child = std::make_unique<Node>();
    child->name = std::move(ansi_name);
    child->name_outside_code_page = outside_code_page;
    longest_child_units = std::max(longest_child_units, static_cast<std::uint32_t>(key.size()));
    by_index_stale_ = true;
    return children.emplace_hint(at, std::move(key), std::move(child))->second.get();
  }

  // Takes the child out of the tree, for the caller to keep while handles point at it.
  std::unique_ptr<Node> RemoveChild(const Node* child) {
    auto at = children.begin();
    while (at->second.get() != child) ++at;
    std::unique_ptr<Node> removed = std::move(at->second);
    children.erase(at);
    by_index_stale_ = true;
    return removed;
  }

  // The child at an enumeration index. The index table is rebuilt only after the subkeys changed,
  // so enumerating all of them stays linear however many there are.
  const Node* ChildAt(std::size_t index) {
    if (by_index_stale_) {
      by_index_.clear();
      by_index_.reserve(children.size());
      for (const auto& entry : children) by_index_.push_back(entry.second.get());
      by_index_stale_ = false;
    }
    return index < by_index_.size() ? by_index_[index] : nullptr;
  }

 private:
  std::vector<const Node*> by_index_;
  bool by_index_stale_ = false;
};

TMemoryRegistry::TMemoryRegistry() : root_(std::make_unique<Node>()), root_handle_{root_.get(), kKeyAllAccess} {}

TMemoryRegistry::~TMemoryRegistry() = default;

void TMemoryRegistry::Clear() {
  handles_.clear();
  deleted_.clear();
  root_ = std::make_unique<Node>();
  root_handle_.node = root_.get();
}

RegStatus TMemoryRegistry::Lookup(RegKey key, const OpenHandle** handle) const {
  if (key == kHkeyCurrentUser) {
    *handle = &root_handle_;
    return kRegSuccess;
  }
  const auto at = handles_.find(key);
  if (at == handles_.end()) return kRegInvalidHandle;
  *handle = &at->second;
  return at->second.node->deleted ? kRegKeyDeleted : kRegSuccess;
}

RegKey TMemoryRegistry::NewHandle(Node* node, std::uint32_t access) {
  const RegKey key = next_handle_;
  next_handle_ += 4;
  handles_.emplace(key, OpenHandle{node, access});
  return key;
}

TMemoryRegistry::Node* TMemoryRegistry::FindPath(Node* base, const std::vector<std::string>& components,
                                               bool follow_last, Node** owner, int depth) const {
  Node* node = base;
  for (std::size_t index = 0; index < components.size() && node != nullptr; ++index) {
    Node* holder = node;
    node = node->FindChild(components[index]);
    if (node == nullptr) return nullptr;
    const bool last = index + 1 == components.size();
    if (last && owner != nullptr) *owner = holder;
    if (!node->link_target.empty() && (follow_last || !last)) node = FollowLink(*node, last ? owner : nullptr, depth);
  }
  return node;
}

TMemoryRegistry::Node* TMemoryRegistry::FollowLink(const Node& link, Node** owner, int depth) const {
  const ParsedPath target = ParseKeyPath(link.link_target);
  if (depth == kMaxLinkDepth || target.status != kRegSuccess) return nullptr;
  return FindPath(root_.get(), target.components, true, owner, depth + 1);
}

TMemoryRegistry::Node* TMemoryRegistry::FollowLinkCreating(const Node& link, bool* made, int depth) {
  const ParsedPath target = ParseKeyPath(link.link_target);
  if (depth == kMaxLinkDepth || target.status != kRegSuccess || target.components.empty()) return nullptr;
  const std::vector<std::string> above(target.components.begin(), target.components.end() - 1);
  Node* parent = FindPath(root_.get(), above, true, nullptr, depth + 1);
  Node* node = parent != nullptr ? parent->FindOrAddChild(target.components.back(), made) : nullptr;
  if (node == nullptr || node->link_target.empty()) return node;
  return FollowLinkCreating(*node, made, depth + 1);
}

RegStatus TMemoryRegistry::OpenKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result) {
  return Open(base, sub_key, access, true, result);
}

RegStatus TMemoryRegistry::OpenKeyItself(RegKey base, const std::string& sub_key, std::uint32_t access,
                                        RegKey* result) {
  return Open(base, sub_key, access, false, result);
}

RegStatus TMemoryRegistry::Open(RegKey base, const std::string& sub_key, std::uint32_t access, bool follow_last,
                               RegKey* result) {
  *result = 0;
  // The parent's access mask plays no part: opening is checked against the key itself.
  const OpenHandle* parent = nullptr;
  if (const RegStatus status = Lookup(base, &parent); status != kRegSuccess) return status;
  const ParsedPath path = ParseKeyPath(sub_key);
  if (path.status != kRegSuccess) return path.status;
  if (path.components.empty() && base == kHkeyCurrentUser) {
    *result = kHkeyCurrentUser;
    return kRegSuccess;
  }
  for (const std::string& component : path.components) {
    if (FoldedName(component).size() > kMaxKeyNameUnits) return kRegInvalidParameter;
  }
  Node* node = FindPath(parent->node, path.components, follow_last);
  if (node == nullptr) return kRegFileNotFound;
  if (!node->Grants(access)) return kRegAccessDenied;
  *result = NewHandle(node, access);
  return kRegSuccess;
}

RegStatus TMemoryRegistry::CreateKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result,
                                    std::uint32_t* disposition) {
  *result = 0;
  const OpenHandle* parent = nullptr;
  if (const RegStatus status = Lookup(base, &parent); status != kRegSuccess) return status;
  const ParsedPath path = ParseKeyPath(sub_key);
  if (path.status != kRegSuccess) return path.status;
  // One component at a time, as Windows does: what was made before a failure stays.
  Node* node = parent->node;
  bool made = false;  // the disposition describes the last component only
  for (const std::string& component : path.components) {
    node = node->FindOrAddChild(component, &made);
    if (node == nullptr) return kRegInvalidParameter;
    // Each component is created on its own: a link leads to the key it names, made if missing.
    if (!node->link_target.empty() && (node = FollowLinkCreating(*node, &made, 0)) == nullptr) return kRegFileNotFound;
  }
  if (!node->Grants(access)) return kRegAccessDenied;
  // Also for the empty sub-key, even on the predefined root: a new handle to the same key.
  *result = NewHandle(node, access);
  *disposition = made ? kRegCreatedNewKey : kRegOpenedExistingKey;
  return kRegSuccess;
}

RegStatus TMemoryRegistry::DeleteKey(RegKey base, const std::string& sub_key) {
  const OpenHandle* parent = nullptr;
  if (const RegStatus status = Lookup(base, &parent); status != kRegSuccess) return status;
  if (sub_key.empty()) return kRegInvalidParameter;  // never deletes the key the handle stands for
  ParsedPath path = ParseKeyPath(sub_key);
  if (path.status != kRegSuccess) return path.status;
  if (path.components.empty()) return kRegInvalidParameter;
  // As RegDeleteKeyA opens the key: a link is followed, and the key it leads to goes.
  Node* owner = nullptr;
  Node* node = FindPath(parent->node, path.components, true, &owner);
  if (node == nullptr || owner == nullptr) return kRegFileNotFound;
  // Leaf first, as on Windows; a key whose security refuses deletion stays.
  if (!node->children.empty() || !node->Grants(kKeyDelete)) return kRegAccessDenied;
  node->deleted = true;
  deleted_.push_back(owner->RemoveChild(node));
  return kRegSuccess;
}

RegStatus TMemoryRegistry::CloseKey(RegKey key) {
  if (key == kHkeyCurrentUser) return kRegSuccess;
  return handles_.erase(key) == 1 ? kRegSuccess : kRegInvalidHandle;
}

RegStatus TMemoryRegistry::QueryInfoKey(RegKey key, std::uint32_t* subkey_count, std::uint32_t* max_subkey_name_length) {
  const OpenHandle* handle = nullptr;
  if (const RegStatus status = Lookup(key, &handle); status != kRegSuccess) return status;
  if ((handle->access & kKeyQueryValue) == 0) return kRegAccessDenied;
  if (subkey_count != nullptr) *subkey_count = static_cast<std::uint32_t>(handle->node->children.size());
  if (max_subkey_name_length != nullptr) *max_subkey_name_length = handle->node->longest_child_units;
  return kRegSuccess;
}

RegStatus TMemoryRegistry::EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* capacity) {
  const OpenHandle* handle = nullptr;
  if (const RegStatus status = Lookup(key, &handle); status != kRegSuccess) return status;
  if ((handle->access & kKeyEnumerateSubKeys) == 0) return kRegAccessDenied;
  if (name == nullptr || capacity == nullptr) return kRegInvalidParameter;
  const Node* child = handle->node->ChildAt(index);
  if (child == nullptr) return kRegNoMoreItems;
  const std::string& child_name = child->name;
  // No partial copy: the caller learns nothing but that the buffer was too small.
  if (*capacity < child_name.size() + 1) return kRegMoreData;
  std::memcpy(name, child_name.c_str(), child_name.size() + 1);
  *capacity = static_cast<std::uint32_t>(child_name.size());
  return child->name_outside_code_page ? kRegNoUnicodeTranslation : kRegSuccess;
}

RegStatus TMemoryRegistry::QueryValue(RegKey key, const std::string& value_name, std::uint32_t* type,
                                     unsigned char* data, std::uint32_t* size) {
  const OpenHandle* handle = nullptr;
  if (const RegStatus status = Lookup(key, &handle); status != kRegSuccess) return status;
  if ((handle->access & kKeyQueryValue) == 0) return kRegAccessDenied;
  if (data != nullptr && size == nullptr) return kRegInvalidParameter;

  const Node& node = *handle->node;
  const auto found = node.value_index.find(FoldedName(value_name));
  if (found == node.value_index.end()) {
    if (data == nullptr) {
      if (size != nullptr) *size = 0;
      if (type != nullptr) *type = kRegNone;
    }
    return kRegFileNotFound;
  }
  const Node::Value& value = node.values[found->second];
  const auto stored = static_cast<std::uint32_t>(value.data.size());
  if (type != nullptr) *type = value.type;
  if (data == nullptr) {
    if (size != nullptr) *size = stored;
    return kRegSuccess;
  }
  if (value.outside_code_page && IsStringType(value.type)) return kRegNoUnicodeTranslation;
  if (*size < stored) {
    *size = stored;
    return kRegMoreData;
  }
  if (stored > 0) std::memcpy(data, value.data.data(), stored);
  // A string stored without its NUL gets one when there is room; the size does not count it.
  if (IsStringType(value.type) && stored > 0 && value.data.back() != 0 && *size > stored) data[stored] = 0;
  *size = stored;
  return kRegSuccess;
}

RegStatus TMemoryRegistry::SetValue(RegKey key, const std::string& value_name, std::uint32_t type,
                                   const unsigned char* data, std::uint32_t size) {
  const OpenHandle* handle = nullptr;
  if (const RegStatus status = Lookup(key, &handle); status != kRegSuccess) return status;
  if ((handle->access & kKeySetValue) == 0) return kRegAccessDenied;
  if (data == nullptr && size > 0) return kRegNoAccess;
  std::u16string folded = FoldedName(value_name);
  if (folded.size() > kMaxValueNameUnits) return kRegInvalidParameter;

  Node& node = *handle->node;
  std::vector<unsigned char> bytes(data, data + size);
  // Strings are kept as UTF-16 by the registry: they come back with each character in its canonical
  // code. Other types are bytes.
  if (IsStringType(type)) CanonicalCp932(bytes.data(), bytes.size());
  const auto found = node.value_index.find(folded);
  if (found != node.value_index.end()) {
    // Replaced in place: the first spelling and the position stay, the type may change.
    Node::Value& value = node.values[found->second];
    value.type = type;
    value.data = std::move(bytes);
    value.outside_code_page = false;
  } else {
    node.value_index.emplace(std::move(folded), node.values.size());
    node.values.push_back(Node::Value{CanonicalCp932(value_name), type, std::move(bytes)});
  }
  return kRegSuccess;
}

TMemoryRegistry::Node* TMemoryRegistry::MakePath(const std::string& path) {
  RegKey key = 0;
  if (CreateKey(kHkeyCurrentUser, path, kKeyAllAccess, &key) != kRegSuccess) return nullptr;
  Node* node = handles_.at(key).node;
  CloseKey(key);
  return node;
}

bool TMemoryRegistry::MakeKeyInUtf16(const std::string& parent_path, const std::u16string& name) {
  Node* parent = MakePath(parent_path);
  bool made = false;
  return parent != nullptr && !name.empty() && parent->FindOrAddChild(name, &made) != nullptr;
}

bool TMemoryRegistry::PutTextInUtf16(const std::string& path, const std::string& value_name,
                                    const std::u16string& text, std::uint32_t type) {
  RegKey key = 0;
  if (CreateKey(kHkeyCurrentUser, path, kKeyAllAccess, &key) != kRegSuccess) return false;
  bool exact = false;
  const std::string bytes = EncodeCp932(text + u'\0', &exact);
  const RegStatus status = SetValue(key, value_name, type, reinterpret_cast<const unsigned char*>(bytes.data()),
                                    static_cast<std::uint32_t>(bytes.size()));
  Node& node = *handles_.at(key).node;
  CloseKey(key);
  if (status != kRegSuccess) return false;
  node.values[node.value_index.at(FoldedName(value_name))].outside_code_page = !exact;
  return true;
}

bool TMemoryRegistry::SetGrantedAccess(const std::string& path, std::uint32_t access) {
  const ParsedPath parsed = ParseKeyPath(path);
  Node* node = parsed.status == kRegSuccess ? FindPath(root_.get(), parsed.components, false) : nullptr;
  if (node == nullptr) return false;
  node->granted = access;
  return true;
}

bool TMemoryRegistry::MakeLink(const std::string& path, const std::string& target_path) {
  const ParsedPath parsed = ParseKeyPath(path);
  if (parsed.status != kRegSuccess || parsed.components.empty() || target_path.empty()) return false;
  std::string parent_path;
  for (std::size_t index = 0; index + 1 < parsed.components.size(); ++index) {
    parent_path += (index == 0 ? "" : "\\") + parsed.components[index];
  }
  Node* parent = parent_path.empty() ? root_.get() : MakePath(parent_path);
  bool made = false;
  Node* link = parent != nullptr ? parent->FindOrAddChild(parsed.components.back(), &made) : nullptr;
  if (!made) return false;
  link->link_target = target_path;
  link->value_index.emplace(FoldedName(kLinkValueName), 0);
  link->values.push_back(
      Node::Value{kLinkValueName, kRegLink, std::vector<unsigned char>(target_path.begin(), target_path.end())});
  return true;
}

namespace {

void DumpNode(const TMemoryRegistry::Node& node, const std::string& path, std::string& out) {
  out += '[';
  out += path;
  out += "]\n";
  for (const TMemoryRegistry::Node::Value& value : node.values) {
    out += '"';
    out += value.name;
    out += "\" = ";
    out += std::to_string(value.type);
    out += ':';
    for (unsigned char byte : value.data) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02X", byte);
      out += hex;
    }
    out += '\n';
  }
  for (const auto& entry : node.children) {
    const TMemoryRegistry::Node& child = *entry.second;
    DumpNode(child, path.empty() ? child.name : path + "\\" + child.name, out);
  }
}

}  // namespace

std::string TMemoryRegistry::Dump(const std::string& path) const {
  const ParsedPath parsed = ParseKeyPath(path);
  if (parsed.status != kRegSuccess) return {};
  const Node* node = FindPath(root_.get(), parsed.components);
  if (node == nullptr) return {};
  std::string out;
  DumpNode(*node, std::string(), out);
  return out;
}
