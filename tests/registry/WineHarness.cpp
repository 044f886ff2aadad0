// Runs the registry suite over the real registry (Wine, or Windows itself). For the whole run
// HKEY_CURRENT_USER is redirected to a scratch key, HKCU\Software\QuellmarkTest\<process id>, which
// is emptied before every case and deleted at the end: nothing outside it is ever written.
// A tool that runs only under Wine or a current Windows, never shipped: it may use RegDeleteTreeA
// (Windows Vista), which the program's Windows 2000 headers hide.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "base/SystemFamily.h"
#include "registry/RegistryHarness.h"
#include "registry/TWindowsRegistry.h"

namespace {

constexpr char kScratchParent[] = "Software\\QuellmarkTest";

// A security descriptor from SDDL text, freed with LocalFree.
class SecurityDescriptor {
 public:
  explicit SecurityDescriptor(const char* sddl) {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor_, nullptr)) {
      descriptor_ = nullptr;
    }
  }
  ~SecurityDescriptor() {
    if (descriptor_ != nullptr) LocalFree(descriptor_);
  }
  SecurityDescriptor(const SecurityDescriptor&) = delete;
  SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;
  PSECURITY_DESCRIPTOR get() const { return descriptor_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

class WineHarness final : public RegistryHarness {
 public:
  WineHarness() {
    char pid[16];
    std::snprintf(pid, sizeof pid, "%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    scratch_path_ = std::string(kScratchParent) + "\\" + pid;
    // Opened before the redirection, through the real HKEY_CURRENT_USER.
    if (RegCreateKeyExA(HKEY_CURRENT_USER, scratch_path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &scratch_, nullptr) != ERROR_SUCCESS) {
      scratch_ = nullptr;
      return;
    }
    redirected_ = RegOverridePredefKey(HKEY_CURRENT_USER, scratch_) == ERROR_SUCCESS;
  }

  ~WineHarness() override {
    if (scratch_ == nullptr) return;
    RestoreReadable();
    if (redirected_) RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(scratch_);
    RegDeleteTreeA(HKEY_CURRENT_USER, scratch_path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchParent);  // fails, harmlessly, while other runs use it
  }

  WineHarness(const WineHarness&) = delete;
  WineHarness& operator=(const WineHarness&) = delete;

  bool Ready() const { return scratch_ != nullptr && redirected_; }

  TRegistryBackend& Backend() override { return registry_; }

  void ResetUserKey() override {
    RestoreReadable();
    // With no sub-key named, the scratch key itself stays and only its contents go.
    const LONG status = RegDeleteTreeA(scratch_, nullptr);
    if (status != ERROR_SUCCESS) FAIL() << "emptying the scratch key gave " << status;
  }

  bool MakeKeyInUtf16(const std::string& parent_path, const std::u16string& name) override {
    HKEY key = nullptr;
    const std::wstring path = Wide(parent_path) + L"\\" + std::wstring(name.begin(), name.end());
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  bool PutTextInUtf16(const std::string& path, const std::string& value_name, const std::u16string& text,
                      std::uint32_t type) override {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    const std::wstring data(text.begin(), text.end());
    const LONG status =
        RegSetValueExW(key, Wide(value_name).c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
  }

  bool MakeKeyRefuseReading(const std::string& path) override { return Restrict(path, "D:(D;;KR;;;WD)(A;;KA;;;WD)"); }
  // Deletion denied outright (Wine grants it where no entry names it); its owner may still put the
  // old security back.
  bool MakeKeyReadOnly(const std::string& path) override { return Restrict(path, "D:(D;;SD;;;WD)(A;;KRWD;;;WD)"); }
  // None: RegDeleteTree, which empties the scratch key between cases, fails on a link to a missing key.
  bool MakeLink(const std::string&, const std::string&) override { return false; }

 private:
  bool Restrict(const std::string& path, const char* sddl) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS) {
      return false;
    }
    // Keep the old security to put back before the key is deleted: a key nobody may read cannot be.
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<unsigned char> old_security(size);
    const SecurityDescriptor restricted(sddl);
    const bool done =
        size > 0 &&
        RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, old_security.data(), &size) == ERROR_SUCCESS &&
        restricted.get() != nullptr &&
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, restricted.get()) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (done) refusing_.emplace_back(path, std::move(old_security));
    return done;
  }

  static std::wstring Wide(const std::string& text) {
    std::wstring units(text.size(), L'\0');
    units.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &units[0],
                                     static_cast<int>(units.size())));
    return units;
  }

  void RestoreReadable() {
    for (auto& [path, security] : refusing_) {
      HKEY key = nullptr;
      if (RegOpenKeyExA(scratch_, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) continue;
      RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, security.data());
      RegCloseKey(key);
    }
    refusing_.clear();
  }

  TWindowsRegistry registry_{RunningSystemFamily()};
  std::string scratch_path_;
  HKEY scratch_ = nullptr;
  bool redirected_ = false;
  std::vector<std::pair<std::string, std::vector<unsigned char>>> refusing_;
};

WineHarness* g_harness = nullptr;

}  // namespace

RegistryHarness& Harness() { return *g_harness; }

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  WineHarness harness;
  if (!harness.Ready()) {
    std::fprintf(stderr, "cannot redirect HKEY_CURRENT_USER to a scratch key; nothing was run\n");
    return 2;
  }
  g_harness = &harness;
  const int result = RUN_ALL_TESTS();
  g_harness = nullptr;
  return result;
}
