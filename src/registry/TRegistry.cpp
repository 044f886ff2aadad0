// TRegistry over the nine back-end primitives.
#include "registry/TRegistry.h"

#include <vector>

#include "base/Cp932Text.h"
#include "base/ResourceStrings.h"

void RaiseRegistryError(int message_id, const std::string& argument) {
  throw ERegistryException(FillTemplate(ResourceString(message_id), {argument}));
}

namespace {

bool IsTextType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz; }

}  // namespace

TRegistry::TRegistry() : TRegistry(ActiveRegistryBackend()) {}

TRegistry::TRegistry(TRegistryBackend& backend) : backend_(backend) {}

TRegistry::~TRegistry() { ClosePath(); }

void TRegistry::SetRoot(RegKey root) {
  if (root == root_) return;
  root_ = root;
  ClosePath();
}

TRegistry::ResolvedPath TRegistry::Resolve(const std::string& path) const {
  if (!path.empty() && path[0] == '\\') return {root_, path.substr(1), false};
  return {current_key_ != 0 ? current_key_ : root_, path, true};
}

bool TRegistry::OpenPath(const std::string& path, bool create) { return TryOpenPath(path, create).status == kRegSuccess; }

TRegistry::OpenResult TRegistry::TryOpenPath(const std::string& path, bool create) {
  const ResolvedPath resolved = Resolve(path);
  RegKey opened = 0;
  std::uint32_t disposition = kRegOpenedExistingKey;
  const RegStatus status = (create && !resolved.sub_path.empty())
                               ? backend_.CreateKey(resolved.base, resolved.sub_path, access_, &opened, &disposition)
                               : backend_.OpenKey(resolved.base, resolved.sub_path, access_, &opened);
  if (status != kRegSuccess) return {status, false};
  MakeCurrent(opened, resolved);
  return {kRegSuccess, disposition == kRegCreatedNewKey};
}

RegStatus TRegistry::TryOpenKeyItself(const std::string& path) {
  const ResolvedPath resolved = Resolve(path);
  RegKey opened = 0;
  const RegStatus status = backend_.OpenKeyItself(resolved.base, resolved.sub_path, access_, &opened);
  if (status == kRegSuccess) MakeCurrent(opened, resolved);
  return status;
}

void TRegistry::MakeCurrent(RegKey opened, const ResolvedPath& resolved) {
  std::string new_path = (current_key_ != 0 && resolved.relative) ? current_path_ + "\\" + resolved.sub_path
                                                                  : resolved.sub_path;
  // The old key goes only now: the new one may have been opened beneath it.
  if (current_key_ != 0) backend_.CloseKey(current_key_);
  current_key_ = opened;
  current_path_ = std::move(new_path);
}

RegStatus TRegistry::DeleteKey(const std::string& path) {
  const ResolvedPath resolved = Resolve(path);
  return backend_.DeleteKey(resolved.base, resolved.sub_path);
}

void TRegistry::ClosePath() {
  if (current_key_ == 0) return;
  backend_.CloseKey(current_key_);
  current_key_ = 0;
  current_path_.clear();
}

std::string TRegistry::ReadText(const std::string& value_name) {
  std::string text;
  if (!ReadHeldText(value_name, &text)) {
    throw ERegistryException(FillTemplate(ResourceString(kSTextNotInCodePage), {current_path_, value_name}));
  }
  return text;
}

bool TRegistry::TextEquals(const std::string& value_name, const std::string& text, int detail_id) {
  std::string read;
  return ReadHeldText(value_name, &read, detail_id) && read == text;
}

void TRegistry::RaiseValueError(int message_id, const std::string& value_name, int detail_id) const {
  std::string message = FillTemplate(ResourceString(message_id), {value_name});
  if (detail_id != 0) message += "\r\n" + FillTemplate(ResourceString(detail_id), {current_path_});
  throw ERegistryException(message);
}

bool TRegistry::IsLink() {
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;
  const RegStatus queried = backend_.QueryValue(current_key_, "SymbolicLinkValue", &type, nullptr, &size);
  if (queried == kRegFileNotFound) return false;
  if (queried != kRegSuccess) RaiseRegistryError(kSReadValueFailed, "SymbolicLinkValue");
  return type == kRegLink;
}

bool TRegistry::ReadHeldText(const std::string& value_name, std::string* text, int detail_id) {
  text->clear();
  if (current_key_ == 0) return true;
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;
  const RegStatus queried = backend_.QueryValue(current_key_, value_name, &type, nullptr, &size);
  // Only "not found" means missing: a query that failed otherwise says nothing about the value,
  // and taking it for missing would let "Order" be rewritten without the rules it lists.
  if (queried == kRegFileNotFound) return true;
  if (queried != kRegSuccess) RaiseValueError(kSReadValueFailed, value_name, detail_id);
  if (size == 0) return true;
  if (size > kMaxTextValueSize) RaiseValueError(kSReadValueFailed, value_name, detail_id);

  std::vector<unsigned char> buffer(size);
  std::uint32_t read_size = size;
  const RegStatus read = backend_.QueryValue(current_key_, value_name, &type, buffer.data(), &read_size);
  // The type that counts is the one the read reported.
  if ((read == kRegSuccess || read == kRegNoUnicodeTranslation) && !IsTextType(type)) {
    RaiseValueError(kSInvalidValueType, value_name, detail_id);
  }
  if (read == kRegNoUnicodeTranslation) return false;
  if (read != kRegSuccess) RaiseValueError(kSReadValueFailed, value_name, detail_id);

  // Only the size the read returned is authoritative; never trust it beyond the buffer.
  const std::size_t length = read_size < size ? read_size : size;
  text->assign(reinterpret_cast<const char*>(buffer.data()), length);
  const std::string::size_type nul = text->find('\0');
  if (nul != std::string::npos) text->resize(nul);
  return true;
}

void TRegistry::StoreValue(const std::string& value_name, std::uint32_t type, const unsigned char* data,
                           std::uint32_t size) {
  if (current_key_ == 0 || backend_.SetValue(current_key_, value_name, type, data, size) != kRegSuccess) {
    RaiseRegistryError(kSWriteValueFailed, value_name);
  }
}

void TRegistry::WriteText(const std::string& value_name, const std::string& text) {
  // c_str() carries the terminating NUL that the size counts.
  StoreValue(value_name, kRegSz, reinterpret_cast<const unsigned char*>(text.c_str()),
             static_cast<std::uint32_t>(text.size() + 1));
}

void TRegistry::WriteDword(const std::string& value_name, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const unsigned char little_endian[4] = {
      static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
      static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
  StoreValue(value_name, kRegDword, little_endian, sizeof little_endian);
}

void TRegistry::WriteBlob(const std::string& value_name, const void* data, std::int32_t length) {
  // A negative length is a caller's mistake; it must not turn into a huge unsigned size.
  if (length < 0 || (length > 0 && data == nullptr)) RaiseRegistryError(kSWriteValueFailed, value_name);
  StoreValue(value_name, kRegBinary, static_cast<const unsigned char*>(data), static_cast<std::uint32_t>(length));
}

[[noreturn]] void TRegistry::RaiseListingFailed(TStringList& list, int message_id, const std::string& key_path) const {
  list.Clear();
  RaiseRegistryError(message_id, key_path.empty() ? current_path_ : key_path);
}

void TRegistry::ListSubkeys(TStringList& list) {
  list.Clear();
  if (current_key_ == 0) return;
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  if (backend_.QueryInfoKey(current_key_, &count, &longest) != kRegSuccess) RaiseListingFailed(list);
  // The length counts characters; in a double-byte locale one may take two bytes.
  if (backend_.IsFarEastNt()) longest *= 2;
  // A key name has at most 256 characters (512 bytes); a larger figure is not to be believed.
  constexpr std::uint32_t kMaxNameBytes = 512;
  if (longest > kMaxNameBytes) longest = kMaxNameBytes;

  std::vector<char> name(longest + 1);
  for (std::uint32_t index = 0; index < count; ++index) {
    std::uint32_t capacity = longest + 1;
    // A name left out would let a later installation take that rule's number.
    const RegStatus status = backend_.EnumKey(current_key_, index, name.data(), &capacity);
    if (status != kRegSuccess && status != kRegNoUnicodeTranslation) RaiseListingFailed(list);
    const std::size_t length = capacity < longest + 1 ? capacity : longest;
    std::string entry(name.data(), length);
    const std::string::size_type nul = entry.find('\0');
    if (nul != std::string::npos) entry.resize(nul);
    // Its substitute would name another key, or none.
    if (status == kRegNoUnicodeTranslation) {
      RaiseListingFailed(list, kSKeyNameNotInCodePage, current_path_ + "\\" + entry);
    }
    list.Add(std::move(entry));
  }
}

bool TRegistry::SubkeyExists(const std::string& path, bool link_itself) {
  // The narrow mask holds for this one open only, whatever happens during it.
  struct AccessRestorer {
    std::uint32_t& access;
    const std::uint32_t saved;
    ~AccessRestorer() { access = saved; }
  } restore{access_, access_};
  access_ = kKeyReadForExistenceTest;

  const ResolvedPath resolved = Resolve(path);
  RegKey probe = 0;
  const RegStatus status = link_itself ? backend_.OpenKeyItself(resolved.base, resolved.sub_path, access_, &probe)
                                        : backend_.OpenKey(resolved.base, resolved.sub_path, access_, &probe);
  if (status == kRegFileNotFound) return false;
  if (status != kRegSuccess || probe == 0) {
    const bool beneath_current = resolved.relative && current_key_ != 0;
    RaiseRegistryError(kSOpenKeyFailed, beneath_current ? current_path_ + "\\" + resolved.sub_path : resolved.sub_path);
  }
  backend_.CloseKey(probe);
  return true;
}
