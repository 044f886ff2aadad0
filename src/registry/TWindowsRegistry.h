// The real registry: the nine primitives over advapi32's ANSI calls. On the NT family, subkey
// names and strings are also read in their UTF-16 form, so that one that the ANSI calls would hand
// back with substitutes is told apart (kRegNoUnicodeTranslation).
#pragma once

#include <windows.h>

#include "base/SystemFamily.h"
#include "registry/TRegistryBackend.h"

class TWindowsRegistry final : public TRegistryBackend {
 public:
  // The family of the system underneath, as found out (never as a compatibility mode reports it):
  // it decides how names are counted, whether links can be told apart and whether the UTF-16 reads
  // guard the code page.
  explicit TWindowsRegistry(SystemFamily family);
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
  bool IsFarEastNt() const override { return far_east_nt_; }

 private:
  RegStatus Open(RegKey base, const std::string& sub_key, std::uint32_t options, std::uint32_t access, RegKey* result);

  bool nt_family_;
  bool far_east_nt_;
  decltype(&RegEnumKeyExW) enum_key_w_ = nullptr;
  decltype(&RegQueryValueExW) query_value_w_ = nullptr;
};
