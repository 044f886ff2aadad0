// Fixture writes and read-backs through the seven registry primitives.
#include "registry/RegistryHarness.h"

#include <cstdio>

void PrintTo(const RawValue& value, std::ostream* out) {
  *out << "type " << value.type << " [";
  for (unsigned char byte : value.bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", byte);
    *out << hex;
  }
  *out << " ]";
}

::testing::AssertionResult MakeKey(TRegistryBackend& backend, const std::string& path) {
  ScopedKey key(backend);
  const RegStatus status = backend.CreateKey(kHkeyCurrentUser, path, kKeyAllAccess, key.out());
  if (status != kRegSuccess) return ::testing::AssertionFailure() << "creating '" << path << "' gave " << status;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult PutValue(TRegistryBackend& backend, const std::string& path, const std::string& name,
                                    const RawValue& value) {
  ScopedKey key(backend);
  RegStatus status = backend.CreateKey(kHkeyCurrentUser, path, kKeyAllAccess, key.out());
  if (status != kRegSuccess) return ::testing::AssertionFailure() << "creating '" << path << "' gave " << status;
  // RegSetValueExA peeks at the byte after a string's data and stores one byte more when that is a
  // NUL; a non-NUL byte there keeps a string stored without its terminator exactly as given.
  std::vector<unsigned char> data(value.bytes.begin(), value.bytes.end());
  data.push_back('#');
  status = backend.SetValue(key.get(), name, value.type, data.data(), static_cast<std::uint32_t>(value.bytes.size()));
  if (status != kRegSuccess) {
    return ::testing::AssertionFailure() << "setting '" << name << "' in '" << path << "' gave " << status;
  }
  return ::testing::AssertionSuccess();
}

std::optional<RawValue> GetValue(TRegistryBackend& backend, const std::string& path, const std::string& name) {
  ScopedKey key(backend);
  if (backend.OpenKey(kHkeyCurrentUser, path, kKeyQueryValue, key.out()) != kRegSuccess) return std::nullopt;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (backend.QueryValue(key.get(), name, &type, nullptr, &size) != kRegSuccess) return std::nullopt;
  // One spare byte: the back end may append a NUL to a string stored without one.
  std::string buffer(size + 1, '\0');
  std::uint32_t read_size = size + 1;
  const RegStatus read =
      backend.QueryValue(key.get(), name, &type, reinterpret_cast<unsigned char*>(&buffer[0]), &read_size);
  if (read == kRegNoUnicodeTranslation) return std::nullopt;
  if (read != kRegSuccess || read_size > size) {
    ADD_FAILURE() << "reading '" << name << "' in '" << path << "' failed after its size query";
    return std::nullopt;
  }
  buffer.resize(read_size);
  return RawValue{type, buffer};
}

bool KeyExists(TRegistryBackend& backend, const std::string& path) {
  ScopedKey key(backend);
  return backend.OpenKey(kHkeyCurrentUser, path, kKeyQueryValue, key.out()) == kRegSuccess;
}

std::vector<std::string> SubkeyNames(TRegistryBackend& backend, const std::string& path) {
  std::vector<std::string> names;
  ScopedKey key(backend);
  if (backend.OpenKey(kHkeyCurrentUser, path, kKeyQueryValue | kKeyEnumerateSubKeys, key.out()) != kRegSuccess) {
    return names;
  }
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  if (backend.QueryInfoKey(key.get(), &count, &longest) != kRegSuccess) return names;
  // 256 characters of at most two bytes each, and the NUL.
  char name[513];
  for (std::uint32_t index = 0; index < count; ++index) {
    std::uint32_t capacity = sizeof name;
    const RegStatus status = backend.EnumKey(key.get(), index, name, &capacity);
    if (status != kRegSuccess && status != kRegNoUnicodeTranslation) {
      ADD_FAILURE() << "enumerating '" << path << "' at " << index << " gave " << status;
      break;
    }
    names.emplace_back(name, capacity);
  }
  return names;
}
