// The registry primitives as thin calls into advapi32: the ANSI forms, and on the NT family the
// UTF-16 forms where subkey names and strings are read, to tell apart what the code page lacks.
#include "registry/TWindowsRegistry.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/SystemFunction.h"

namespace {

HKEY AsHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }

// The ANSI form of UTF-16 text, without best fit: "?" for what the code page lacks. A code page
// that takes no such flags (UTF-8) holds every character anyway.
std::string ToAnsi(const wchar_t* units, int count) {
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  const char* substitute = "?";
  int size = WideCharToMultiByte(CP_ACP, flags, units, count, nullptr, 0, substitute, nullptr);
  if (size <= 0) {
    flags = 0;
    substitute = nullptr;
    size = WideCharToMultiByte(CP_ACP, flags, units, count, nullptr, 0, nullptr, nullptr);
  }
  if (size <= 0) return {};
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_ACP, flags, units, count, &bytes[0], size, substitute, nullptr);
  return bytes;
}

// The UTF-16 form of ANSI text; terminated with a NUL, as the UTF-16 calls take names.
std::vector<wchar_t> ToWide(const std::string& text, bool terminated = false) {
  const int count =
      text.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::vector<wchar_t> units(count > 0 ? count : 0);
  if (count > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), units.data(), count);
  if (terminated) units.push_back(L'\0');
  return units;
}

// Whether the code page holds the text exactly: converted to it and back, it is the same text. A
// substitute (the code page's default character, or a best fit such as "e" for "é") comes back as
// another character.
bool HeldByCodePage(const wchar_t* units, int count) {
  if (count == 0) return true;
  const std::string bytes = ToAnsi(units, count);
  if (bytes.empty()) return false;
  const std::vector<wchar_t> again = ToWide(bytes);
  return again.size() == static_cast<std::size_t>(count) && std::equal(again.begin(), again.end(), units);
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Whether the string value's UTF-16 data is held by the code page; true when it cannot be had (the
// ANSI read stands then).
bool StringValueHeld(decltype(&RegQueryValueExW) query, HKEY key, const std::string& value_name) {
  if (query == nullptr) return true;
  const std::vector<wchar_t> name = ToWide(value_name, true);
  // Most texts (rule names) fit the first buffer: one call.
  std::vector<wchar_t> units(256);
  DWORD size = static_cast<DWORD>(units.size() * sizeof(wchar_t));
  LONG status = query(key, name.data(), nullptr, nullptr, reinterpret_cast<BYTE*>(units.data()), &size);
  // No larger than what an ANSI read would accept; that read refuses it anyway.
  if (status == ERROR_MORE_DATA && size <= 32u * 1024u * 1024u) {
    units.resize(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(units.size() * sizeof(wchar_t));
    status = query(key, name.data(), nullptr, nullptr, reinterpret_cast<BYTE*>(units.data()), &size);
  }
  return status != ERROR_SUCCESS || HeldByCodePage(units.data(), static_cast<int>(size / sizeof(wchar_t)));
}

}  // namespace

TWindowsRegistry::TWindowsRegistry(SystemFamily family)
    : nt_family_(family != SystemFamily::kWindows9x), far_east_nt_(IsFarEastNtSystem(nt_family_, GetACP())) {
  // advapi32's UTF-16 entries, looked up at run time and only on the NT family: Windows 98 and Me
  // keep an ANSI registry, where they are not needed, and an import of them is not to stop the
  // program from loading there.
  if (nt_family_) {
    enum_key_w_ = SystemFunction<decltype(&RegEnumKeyExW)>("advapi32.dll", "RegEnumKeyExW");
    query_value_w_ = SystemFunction<decltype(&RegQueryValueExW)>("advapi32.dll", "RegQueryValueExW");
  }
}

RegStatus TWindowsRegistry::Open(RegKey base, const std::string& sub_key, std::uint32_t options, std::uint32_t access,
                                RegKey* result) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExA(AsHkey(base), sub_key.c_str(), options, access, &key);
  *result = status == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key) : 0;
  return status;
}

RegStatus TWindowsRegistry::OpenKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result) {
  return Open(base, sub_key, 0, access, result);
}

RegStatus TWindowsRegistry::OpenKeyItself(RegKey base, const std::string& sub_key, std::uint32_t access,
                                         RegKey* result) {
  // 95, 98 and Me take no options here, and have no links to tell apart.
  return Open(base, sub_key, nt_family_ ? REG_OPTION_OPEN_LINK : 0, access, result);
}

RegStatus TWindowsRegistry::CreateKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result,
                                     std::uint32_t* disposition) {
  HKEY key = nullptr;
  DWORD made = 0;
  const LONG status =
      RegCreateKeyExA(AsHkey(base), sub_key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, &made);
  *result = status == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key) : 0;
  if (status == ERROR_SUCCESS) *disposition = made;
  return status;
}

RegStatus TWindowsRegistry::DeleteKey(RegKey base, const std::string& sub_key) {
  return RegDeleteKeyA(AsHkey(base), sub_key.c_str());
}

RegStatus TWindowsRegistry::CloseKey(RegKey key) { return RegCloseKey(AsHkey(key)); }

RegStatus TWindowsRegistry::QueryInfoKey(RegKey key, std::uint32_t* subkey_count,
                                        std::uint32_t* max_subkey_name_length) {
  DWORD subkeys = 0, longest = 0, values = 0, longest_value_name = 0, longest_data = 0;
  FILETIME last_write{};
  const LONG status = RegQueryInfoKeyA(AsHkey(key), nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, &values,
                                       &longest_value_name, &longest_data, nullptr, &last_write);
  if (status == ERROR_SUCCESS) {
    *subkey_count = subkeys;
    *max_subkey_name_length = longest;
  }
  return status;
}

RegStatus TWindowsRegistry::EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* capacity) {
  if (enum_key_w_ == nullptr) {
    DWORD length = *capacity;
    const LONG status = RegEnumKeyExA(AsHkey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) *capacity = length;
    return status;
  }
  // The NT family: the name in its UTF-16 form, converted here as the ANSI call would, but with "?"
  // where that call would put a look-alike, and telling such a name apart. A key name has at most
  // 256 characters.
  wchar_t units[257];
  DWORD count = 257;
  const LONG status = enum_key_w_(AsHkey(key), index, units, &count, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) return status;
  const std::string bytes = ToAnsi(units, static_cast<int>(count));
  if (bytes.size() + 1 > *capacity) return ERROR_MORE_DATA;
  bytes.copy(name, bytes.size());
  name[bytes.size()] = '\0';
  *capacity = static_cast<std::uint32_t>(bytes.size());
  return HeldByCodePage(units, static_cast<int>(count)) ? ERROR_SUCCESS : ERROR_NO_UNICODE_TRANSLATION;
}

RegStatus TWindowsRegistry::QueryValue(RegKey key, const std::string& value_name, std::uint32_t* type,
                                      unsigned char* data, std::uint32_t* size) {
  DWORD value_type = REG_NONE;
  DWORD value_size = *size;
  const LONG status = RegQueryValueExA(AsHkey(key), value_name.c_str(), nullptr, &value_type, data, &value_size);
  *type = value_type;
  *size = value_size;
  if (data != nullptr && status == ERROR_SUCCESS && IsStringType(value_type) &&
      !StringValueHeld(query_value_w_, AsHkey(key), value_name)) {
    return ERROR_NO_UNICODE_TRANSLATION;
  }
  return status;
}

RegStatus TWindowsRegistry::SetValue(RegKey key, const std::string& value_name, std::uint32_t type,
                                    const unsigned char* data, std::uint32_t size) {
  return RegSetValueExA(AsHkey(key), value_name.c_str(), 0, type, data, size);
}
