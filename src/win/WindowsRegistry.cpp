// The registry primitives as thin calls into advapi32 (ANSI forms).
#include "win/WindowsRegistry.h"

#include <windows.h>

#include <cstdlib>

namespace {

HKEY AsHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }

bool LanguageIsWestern(LANGID language) {
  switch (PRIMARYLANGID(language)) {
    case LANG_NEUTRAL: case LANG_DANISH: case LANG_GERMAN: case LANG_ENGLISH: case LANG_SPANISH:
    case LANG_FINNISH: case LANG_FRENCH: case LANG_ITALIAN: case LANG_DUTCH: case LANG_NORWEGIAN:
    case LANG_PORTUGUESE: case LANG_SWEDISH:
      return true;
    default:
      return false;
  }
}

// On the NT family, a locale counts as far-eastern when its language is not one of the western
// ones and its ANSI code page has lead bytes (932 has). Windows 98 and Me keep an ANSI registry that
// counts name lengths in bytes, so there the answer is no.
bool DetectFarEastNt() {
  if (GetVersion() & 0x80000000u) return false;  // the high bit marks Windows 95, 98 and Me
  const LCID locale = GetThreadLocale();
  if (LanguageIsWestern(LANGIDFROMLCID(locale))) return false;
  char code_page[8] = {};
  if (GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, code_page, sizeof code_page) == 0) return false;
  CPINFO info{};
  if (!GetCPInfo(static_cast<UINT>(strtoul(code_page, nullptr, 10)), &info)) return false;
  return info.LeadByte[0] != 0 || info.LeadByte[1] != 0;
}

}  // namespace

WindowsRegistry::WindowsRegistry() : far_east_nt_(DetectFarEastNt()) {}

RegStatus WindowsRegistry::OpenKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExA(AsHkey(base), sub_key.c_str(), 0, access, &key);
  *result = status == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key) : 0;
  return status;
}

RegStatus WindowsRegistry::CreateKey(RegKey base, const std::string& sub_key, std::uint32_t access, RegKey* result,
                                     std::uint32_t* disposition) {
  HKEY key = nullptr;
  DWORD made = 0;
  const LONG status =
      RegCreateKeyExA(AsHkey(base), sub_key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, &made);
  *result = status == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key) : 0;
  if (status == ERROR_SUCCESS) *disposition = made;
  return status;
}

RegStatus WindowsRegistry::DeleteKey(RegKey base, const std::string& sub_key) {
  return RegDeleteKeyA(AsHkey(base), sub_key.c_str());
}

RegStatus WindowsRegistry::CloseKey(RegKey key) { return RegCloseKey(AsHkey(key)); }

RegStatus WindowsRegistry::QueryInfoKey(RegKey key, std::uint32_t* subkey_count,
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

RegStatus WindowsRegistry::EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* capacity) {
  DWORD length = *capacity;
  const LONG status = RegEnumKeyExA(AsHkey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) *capacity = length;
  return status;
}

RegStatus WindowsRegistry::QueryValue(RegKey key, const std::string& value_name, std::uint32_t* type,
                                      unsigned char* data, std::uint32_t* size) {
  DWORD value_type = REG_NONE;
  DWORD value_size = *size;
  const LONG status = RegQueryValueExA(AsHkey(key), value_name.c_str(), nullptr, &value_type, data, &value_size);
  *type = value_type;
  *size = value_size;
  return status;
}

RegStatus WindowsRegistry::SetValue(RegKey key, const std::string& value_name, std::uint32_t type,
                                    const unsigned char* data, std::uint32_t size) {
  return RegSetValueExA(AsHkey(key), value_name.c_str(), 0, type, data, size);
}
