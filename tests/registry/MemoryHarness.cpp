// Runs the registry suite over the in-memory store.
#include <gtest/gtest.h>

#include "registry/RegistryHarness.h"
#include "registry/TMemoryRegistry.h"

namespace {

class MemoryHarness final : public RegistryHarness {
 public:
  TRegistryBackend& Backend() override { return registry_; }
  void ResetUserKey() override { registry_.Clear(); }
  bool MakeKeyRefuseReading(const std::string& path) override { return registry_.SetGrantedAccess(path, 0); }
  bool MakeKeyReadOnly(const std::string& path) override { return registry_.SetGrantedAccess(path, kKeyRead); }
  bool MakeLink(const std::string& path, const std::string& target_path) override {
    return registry_.MakeLink(path, target_path);
  }
  bool MakeKeyInUtf16(const std::string& parent_path, const std::u16string& name) override {
    return registry_.MakeKeyInUtf16(parent_path, name);
  }
  bool PutTextInUtf16(const std::string& path, const std::string& value_name, const std::u16string& text,
                      std::uint32_t type) override {
    return registry_.PutTextInUtf16(path, value_name, text, type);
  }

 private:
  TMemoryRegistry registry_;
};

}  // namespace

RegistryHarness& Harness() {
  static MemoryHarness harness;
  return harness;
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
