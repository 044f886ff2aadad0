// The seven primitives themselves, where Windows documents the answer and Wine gives it too: the
// in-memory store must answer exactly as the real registry does in these cases.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "registry/RegistryHarness.h"

namespace {

using BackendConformance = RegistryCase;

const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語: 3 characters, 6 bytes

TEST_F(BackendConformance, AnEmptySubKeyOpensTheBaseItself) {
  TRegistryBackend& registry = backend();
  RegKey root = 1;
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "", kKeyAllAccess, &root), kRegSuccess);
  EXPECT_EQ(root, kHkeyCurrentUser);

  ScopedKey created(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "", kKeyAllAccess, created.out()), kRegSuccess);
  EXPECT_NE(created.get(), 0u);
  EXPECT_NE(created.get(), kHkeyCurrentUser);
  EXPECT_EQ(SubkeyNames(registry, ""), std::vector<std::string>{});

  ScopedKey store(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Store", kKeyAllAccess, store.out()), kRegSuccess);
  ScopedKey again(registry);
  ASSERT_EQ(registry.OpenKey(store.get(), "", kKeyAllAccess, again.out()), kRegSuccess);
  EXPECT_NE(again.get(), store.get());
  ASSERT_EQ(registry.SetValue(again.get(), "V", kRegBinary, reinterpret_cast<const unsigned char*>("x"), 1),
            kRegSuccess);
  EXPECT_EQ(GetValue(registry, "Store", "V"), (RawValue{kRegBinary, "x"}));
}

TEST_F(BackendConformance, ClosedHandlesAreInvalidThePredefinedRootNeverCloses) {
  TRegistryBackend& registry = backend();
  EXPECT_EQ(registry.CloseKey(kHkeyCurrentUser), kRegSuccess);
  EXPECT_EQ(registry.CloseKey(kHkeyCurrentUser), kRegSuccess);
  ASSERT_TRUE(MakeKey(registry, "Store"));  // the root still works

  RegKey key = 0;
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Store", kKeyAllAccess, &key), kRegSuccess);
  ASSERT_EQ(registry.CloseKey(key), kRegSuccess);
  EXPECT_EQ(registry.CloseKey(key), kRegInvalidHandle);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(key, "V", &type, nullptr, &size), kRegInvalidHandle);
  EXPECT_EQ(registry.CloseKey(0), kRegInvalidHandle);
}

TEST_F(BackendConformance, PathRules) {
  TRegistryBackend& registry = backend();
  RegKey key = 1;
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, "\\x", kKeyAllAccess, &key), kRegBadPathname);
  EXPECT_EQ(key, 0u);
  key = 1;
  EXPECT_EQ(registry.CreateKey(kHkeyCurrentUser, "\\x", kKeyAllAccess, &key), kRegBadPathname);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(SubkeyNames(registry, ""), std::vector<std::string>{});

  // Trailing backslashes are ignored, also after a 0x5C trail byte (ソ is 83 5C).
  ASSERT_TRUE(MakeKey(registry, "T1\\"));
  ASSERT_TRUE(MakeKey(registry, "\x83\x5C\\"));
  EXPECT_EQ(SubkeyNames(registry, "T1"), std::vector<std::string>{});
  EXPECT_TRUE(KeyExists(registry, "T1\\\\"));
  EXPECT_TRUE(KeyExists(registry, "\x83\x5C"));
  EXPECT_EQ(SubkeyNames(registry, "\x83\x5C"), std::vector<std::string>{});
  EXPECT_EQ(SubkeyNames(registry, "").size(), 2u);

  // Names are literal: blanks and dots are not trimmed or interpreted.
  ASSERT_TRUE(MakeKey(registry, "sp"));
  EXPECT_FALSE(KeyExists(registry, "sp "));
  EXPECT_FALSE(KeyExists(registry, " sp"));
  EXPECT_FALSE(KeyExists(registry, "sp\\."));
}

TEST_F(BackendConformance, NameAndPathLengthLimits) {
  TRegistryBackend& registry = backend();
  const std::string name256(256, 'n');
  const std::string name257(257, 'n');
  EXPECT_TRUE(MakeKey(registry, name256));
  EXPECT_TRUE(KeyExists(registry, name256));
  EXPECT_EQ(SubkeyNames(registry, ""), std::vector<std::string>{name256});  // listed whole
  RegKey key = 1;
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, name257, kKeyAllAccess, &key), kRegInvalidParameter);
  EXPECT_EQ(key, 0u);
  // Creation goes one component at a time: the first stays although the second fails.
  ScopedKey partial(registry);
  EXPECT_EQ(registry.CreateKey(kHkeyCurrentUser, "A1\\" + name257, kKeyAllAccess, partial.out()),
            kRegInvalidParameter);
  EXPECT_TRUE(KeyExists(registry, "A1"));
  EXPECT_EQ(SubkeyNames(registry, "A1"), std::vector<std::string>{});

  // A path of more than 260 characters fails as a whole, before anything is created.
  const std::string long_path = std::string(200, 'a') + "\\" + std::string(200, 'b');
  ScopedKey too_long(registry);
  EXPECT_EQ(registry.CreateKey(kHkeyCurrentUser, long_path, kKeyAllAccess, too_long.out()), kRegMoreData);
  EXPECT_FALSE(KeyExists(registry, std::string(200, 'a')));
}

TEST_F(BackendConformance, PathLimitsCountUtf16CharactersNotBytes) {
  TRegistryBackend& registry = backend();
  // 表 is 95 5C: one character in two bytes, its trail byte a backslash.
  auto hyou = [](int count) {
    std::string name;
    for (int i = 0; i < count; ++i) name += "\x95\x5C";
    return name;
  };
  // 262 bytes but 132 characters: within the limit. So are 260 characters, not 261.
  ASSERT_TRUE(MakeKey(registry, "P\\" + hyou(130)));
  EXPECT_EQ(SubkeyNames(registry, "P"), std::vector<std::string>{hyou(130)});
  EXPECT_TRUE(MakeKey(registry, hyou(200) + "\\" + hyou(59)));
  ScopedKey too_long(registry);
  EXPECT_EQ(registry.CreateKey(kHkeyCurrentUser, "Q\\" + hyou(259), kKeyAllAccess, too_long.out()), kRegMoreData);
  // One name of 257 characters (514 bytes) is too long a name, not too long a path.
  RegKey key = 1;
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, hyou(257), kKeyAllAccess, &key), kRegInvalidParameter);
  EXPECT_EQ(key, 0u);
  ScopedKey created(registry);
  EXPECT_EQ(registry.CreateKey(kHkeyCurrentUser, hyou(257), kKeyAllAccess, created.out()), kRegInvalidParameter);
  EXPECT_EQ(SubkeyNames(registry, ""), (std::vector<std::string>{"P", hyou(200)}));
}

TEST_F(BackendConformance, NamesCompareAsUtf16WithUpperCaseFolding) {
  TRegistryBackend& registry = backend();
  // Pairs that name one key: Ａ/ａ, Α/α, А/а (fullwidth, Greek, Cyrillic), Ⅰ/ⅰ, ASCII.
  const std::pair<std::string, std::string> same[] = {
      {"\x82\x60", "\x82\x81"}, {"\x83\x9F", "\x83\xBF"}, {"\x84\x40", "\x84\x70"},
      {"\x87\x54", "\xFA\x40"}, {"MixedKey", "mIXEDkEY"}};
  for (const auto& pair : same) {
    ASSERT_TRUE(MakeKey(registry, "Same\\" + pair.first));
    EXPECT_TRUE(KeyExists(registry, "Same\\" + pair.second)) << pair.second;
    ASSERT_TRUE(PutValue(registry, "Same", pair.second, RawValue{kRegBinary, "2"}));
    ASSERT_TRUE(PutValue(registry, "Same", pair.first, RawValue{kRegBinary, "1"}));
    EXPECT_EQ(GetValue(registry, "Same", pair.second), (RawValue{kRegBinary, "1"})) << pair.second;
  }
  EXPECT_EQ(SubkeyNames(registry, "Same").size(), 5u);

  // Pairs that stay two keys: ア/ヂ and 亜/袷 differ only in a letter-like trail byte; あ/ア, ｱ/ア,
  // A/Ａ and ｶﾞ/ガ are not folded (no kana or width folding).
  const std::pair<std::string, std::string> distinct[] = {
      {"\x83\x41", "\x83\x61"}, {"\x88\x9F", "\x88\xBF"}, {"\x82\xA0", "\x83\x41"},
      {"\xB1", "\x83\x41"},     {"A", "\x82\x60"},        {"\xB6\xDE", "\x83\x4B"}};
  int index = 0;
  for (const auto& pair : distinct) {
    const std::string parent = "Distinct" + std::to_string(index++);
    ASSERT_TRUE(MakeKey(registry, parent + "\\" + pair.first));
    EXPECT_FALSE(KeyExists(registry, parent + "\\" + pair.second)) << parent;
    ASSERT_TRUE(MakeKey(registry, parent + "\\" + pair.second));
    EXPECT_EQ(SubkeyNames(registry, parent).size(), 2u) << parent;
  }
}

TEST_F(BackendConformance, NamesAndStringsComeBackInTheCodeTheirCharacterConvertsTo) {
  // The registry keeps names and strings as UTF-16, so a character that code page 932 has two codes
  // for comes back in the one the conversion from UTF-16 gives. Ⅰ: FA 4A (IBM), 87 54 (NEC).
  // 纊: ED 40 (NEC-selected IBM), FA 5C (IBM).
  TRegistryBackend& registry = backend();
  ASSERT_TRUE(MakeKey(registry, "\xFA\x4A"));
  EXPECT_EQ(SubkeyNames(registry, ""), std::vector<std::string>{"\x87\x54"});
  EXPECT_TRUE(KeyExists(registry, "\xFA\x4A"));

  const std::string given("\xFA\x4A\xED\x40\0", 5);
  const std::string canonical("\x87\x54\xFA\x5C\0", 5);
  for (std::uint32_t type : {kRegSz, kRegExpandSz, kRegMultiSz}) {
    SCOPED_TRACE(type);
    ASSERT_TRUE(PutValue(registry, "Store", "v", RawValue{type, given}));
    EXPECT_EQ(GetValue(registry, "Store", "v"), (RawValue{type, canonical}));
  }
  // Other types are bytes, whatever they look like.
  ASSERT_TRUE(PutValue(registry, "Store", "v", RawValue{kRegBinary, given}));
  EXPECT_EQ(GetValue(registry, "Store", "v"), (RawValue{kRegBinary, given}));
  ASSERT_TRUE(PutValue(registry, "Store", "v", RawValue{kRegDword, given.substr(0, 4)}));
  EXPECT_EQ(GetValue(registry, "Store", "v"), (RawValue{kRegDword, given.substr(0, 4)}));

  // Written by a Unicode program: é has no code, 表 (95 5C) has one. A name with é is listed with
  // "?" and 1113, and neither "?" nor a look-alike opens it; a text with é reads 1113.
  ASSERT_TRUE(Harness().MakeKeyInUtf16("Wide", u"caf\u00e9"));
  ASSERT_TRUE(Harness().MakeKeyInUtf16("Wide", u"\u8868"));
  ASSERT_TRUE(Harness().PutTextInUtf16("Wide", "v", u"caf\u00e9"));
  ScopedKey wide(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Wide", kKeyAllAccess, wide.out()), kRegSuccess);
  const std::pair<RegStatus, std::string> listed[] = {{kRegNoUnicodeTranslation, "caf?"}, {kRegSuccess, "\x95\x5C"}};
  for (std::uint32_t index = 0; index < 2; ++index) {
    char name[16];
    std::uint32_t capacity = sizeof name;
    EXPECT_EQ(registry.EnumKey(wide.get(), index, name, &capacity), listed[index].first);
    EXPECT_EQ(std::string(name, capacity), listed[index].second);
  }
  EXPECT_FALSE(KeyExists(registry, "Wide\\caf?"));
  EXPECT_FALSE(KeyExists(registry, "Wide\\cafe"));
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ASSERT_EQ(registry.QueryValue(wide.get(), "v", &type, nullptr, &size), kRegSuccess);
  std::string data(size, '#');
  EXPECT_EQ(registry.QueryValue(wide.get(), "v", &type, reinterpret_cast<unsigned char*>(&data[0]), &size),
            kRegNoUnicodeTranslation);
  EXPECT_EQ(type, kRegSz);
}

TEST_F(BackendConformance, KeyInformationCountsNameLengthsInUtf16Characters) {
  TRegistryBackend& registry = backend();
  ASSERT_TRUE(MakeKey(registry, "Store\\ab"));
  ASSERT_TRUE(MakeKey(registry, "Store\\" + kNihongo));
  ScopedKey store(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Store", kKeyAllAccess, store.out()), kRegSuccess);
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  ASSERT_EQ(registry.QueryInfoKey(store.get(), &count, &longest), kRegSuccess);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(longest, 3u);
  ASSERT_TRUE(MakeKey(registry, "Store\\\xB1\xB2\xB3\xB4"));  // ｱｲｳｴ: 4 characters, 4 bytes
  ASSERT_EQ(registry.QueryInfoKey(store.get(), &count, &longest), kRegSuccess);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(longest, 4u);

  ScopedKey empty(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Store\\ab", kKeyAllAccess, empty.out()), kRegSuccess);
  count = longest = 99;
  ASSERT_EQ(registry.QueryInfoKey(empty.get(), &count, &longest), kRegSuccess);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(longest, 0u);
}

TEST_F(BackendConformance, EnumKeyNeedsRoomForEveryByteAndTheNul) {
  TRegistryBackend& registry = backend();
  ASSERT_TRUE(MakeKey(registry, "Ascii\\abcdef"));
  ASSERT_TRUE(MakeKey(registry, "Kanji\\" + kNihongo));
  struct Case {
    const char* key;
    std::string name;
  } cases[] = {{"Ascii", "abcdef"}, {"Kanji", kNihongo}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    ScopedKey key(registry);
    ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, c.key, kKeyAllAccess, key.out()), kRegSuccess);
    char buffer[16];
    for (std::uint32_t too_small : {0u, 1u, 3u, 6u}) {
      std::memset(buffer, '#', sizeof buffer);
      std::uint32_t capacity = too_small;
      EXPECT_EQ(registry.EnumKey(key.get(), 0, buffer, &capacity), kRegMoreData) << too_small;
      EXPECT_EQ(capacity, too_small);
      EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));
    }
    std::uint32_t capacity = 7;
    ASSERT_EQ(registry.EnumKey(key.get(), 0, buffer, &capacity), kRegSuccess);
    EXPECT_EQ(capacity, 6u);
    EXPECT_EQ(std::string(buffer, 7), c.name + std::string(1, '\0'));

    std::memset(buffer, '#', sizeof buffer);
    capacity = sizeof buffer;
    EXPECT_EQ(registry.EnumKey(key.get(), 1, buffer, &capacity), kRegNoMoreItems);
    EXPECT_EQ(capacity, sizeof buffer);
    EXPECT_EQ(buffer[0], '#');
  }
}

TEST_F(BackendConformance, EnumerationIndexesFollowTheLiveList) {
  TRegistryBackend& registry = backend();
  ASSERT_TRUE(MakeKey(registry, "Store\\B"));
  ASSERT_TRUE(MakeKey(registry, "Store\\C"));
  ScopedKey store(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Store", kKeyAllAccess, store.out()), kRegSuccess);
  char name[8];
  std::uint32_t capacity = sizeof name;
  ASSERT_EQ(registry.EnumKey(store.get(), 0, name, &capacity), kRegSuccess);
  EXPECT_STREQ(name, "B");
  ASSERT_TRUE(MakeKey(registry, "Store\\A"));
  capacity = sizeof name;
  ASSERT_EQ(registry.EnumKey(store.get(), 0, name, &capacity), kRegSuccess);
  EXPECT_STREQ(name, "A");
  capacity = sizeof name;
  ASSERT_EQ(registry.EnumKey(store.get(), 2, name, &capacity), kRegSuccess);
  EXPECT_STREQ(name, "C");
}

TEST_F(BackendConformance, QueryValueSizesAndTerminators) {
  TRegistryBackend& registry = backend();
  ASSERT_TRUE(PutValue(registry, "Store", "Kanji", RawValue{kRegSz, std::string("\x93\xFA\x96\x7B\0", 5)}));
  ASSERT_TRUE(PutValue(registry, "Store", "Bare", RawValue{kRegSz, "abc"}));
  ASSERT_TRUE(PutValue(registry, "Store", "Short", RawValue{kRegDword, "\x01\x02"}));
  ASSERT_TRUE(PutValue(registry, "Store", "Multi", RawValue{kRegMultiSz, std::string("\x93\xFA\x96\x7B\0ab\0\0", 9)}));
  ScopedKey store(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Store", kKeyAllAccess, store.out()), kRegSuccess);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  unsigned char buffer[16];

  // The size query.
  ASSERT_EQ(registry.QueryValue(store.get(), "Kanji", &type, nullptr, &size), kRegSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 5u);

  // Too small: the required size, the buffer untouched.
  std::memset(buffer, '#', sizeof buffer);
  size = 4;
  EXPECT_EQ(registry.QueryValue(store.get(), "Kanji", &type, buffer, &size), kRegMoreData);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(buffer[0], '#');
  size = 2;
  EXPECT_EQ(registry.QueryValue(store.get(), "Short", &type, buffer, &size), kRegSuccess);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(type, kRegDword);

  // A string stored without its NUL: one is added when there is room, and never counted.
  std::memset(buffer, '#', sizeof buffer);
  size = 3;
  ASSERT_EQ(registry.QueryValue(store.get(), "Bare", &type, buffer, &size), kRegSuccess);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(buffer[3], '#');
  size = 8;
  ASSERT_EQ(registry.QueryValue(store.get(), "Bare", &type, buffer, &size), kRegSuccess);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), std::string("abc\0#", 5));

  // Multi-strings come back verbatim.
  EXPECT_EQ(GetValue(registry, "Store", "Multi"), (RawValue{kRegMultiSz, std::string("\x93\xFA\x96\x7B\0ab\0\0", 9)}));

  // A missing value: 2; the size query also reports size and type 0.
  size = 77;
  type = 77;
  EXPECT_EQ(registry.QueryValue(store.get(), "Missing", &type, nullptr, &size), kRegFileNotFound);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(type, kRegNone);
}

TEST_F(BackendConformance, ZeroLengthValuesKeepTheirTypeAndLeaveTheBufferAlone) {
  TRegistryBackend& registry = backend();
  ScopedKey store(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Store", kKeyAllAccess, store.out()), kRegSuccess);
  for (std::uint32_t type : {kRegNone, kRegSz, kRegExpandSz, kRegBinary, kRegDword, kRegMultiSz}) {
    SCOPED_TRACE(type);
    const std::string name = "Empty" + std::to_string(type);
    ASSERT_EQ(registry.SetValue(store.get(), name, type, nullptr, 0), kRegSuccess);
    unsigned char buffer[4] = {'#', '#', '#', '#'};
    std::uint32_t read_type = 99;
    std::uint32_t size = sizeof buffer;
    ASSERT_EQ(registry.QueryValue(store.get(), name, &read_type, buffer, &size), kRegSuccess);
    EXPECT_EQ(read_type, type);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(buffer[0], '#');
  }
}

TEST_F(BackendConformance, SetValueStoresAnyTypeUnvalidatedAndChecksItsArguments) {
  TRegistryBackend& registry = backend();
  ScopedKey store(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Store", kKeyAllAccess, store.out()), kRegSuccess);
  const auto* bytes = reinterpret_cast<const unsigned char*>("12345678");
  EXPECT_EQ(registry.SetValue(store.get(), "Odd", 0x12345, bytes, 3), kRegSuccess);
  EXPECT_EQ(GetValue(registry, "Store", "Odd"), (RawValue{0x12345, "123"}));
  EXPECT_EQ(registry.SetValue(store.get(), "Long", kRegDword, bytes, 8), kRegSuccess);
  EXPECT_EQ(GetValue(registry, "Store", "Long"), (RawValue{kRegDword, "12345678"}));
  EXPECT_EQ(registry.SetValue(store.get(), "Odd", kRegSz, bytes, 2), kRegSuccess);
  EXPECT_EQ(GetValue(registry, "Store", "Odd"), (RawValue{kRegSz, "12"}));

  EXPECT_EQ(registry.SetValue(store.get(), "NoData", kRegBinary, nullptr, 4), kRegNoAccess);
  EXPECT_EQ(registry.SetValue(store.get(), "NoData", kRegDword, nullptr, 4), kRegNoAccess);
  EXPECT_EQ(GetValue(registry, "Store", "NoData"), std::nullopt);

  // Value names: up to 16383 characters, backslashes included and never split.
  EXPECT_EQ(registry.SetValue(store.get(), std::string(16383, 'v'), kRegBinary, bytes, 1), kRegSuccess);
  EXPECT_EQ(registry.SetValue(store.get(), std::string(16384, 'v'), kRegBinary, bytes, 1), kRegInvalidParameter);
  EXPECT_EQ(GetValue(registry, "Store", std::string(16384, 'v')), std::nullopt);
  EXPECT_EQ(registry.SetValue(store.get(), "a\\b", kRegBinary, bytes, 1), kRegSuccess);
  EXPECT_EQ(GetValue(registry, "Store", "A\\B"), (RawValue{kRegBinary, "1"}));
  EXPECT_FALSE(KeyExists(registry, "Store\\a"));
}

TEST_F(BackendConformance, HandlesCarryTheirAccessMask) {
  TRegistryBackend& registry = backend();
  ASSERT_TRUE(PutValue(registry, "Store\\Child", "V", RawValue{kRegBinary, "x"}));
  const auto* bytes = reinterpret_cast<const unsigned char*>("x");
  char name[16];
  std::uint32_t capacity = sizeof name;
  std::uint32_t type = 0;
  std::uint32_t size = 0;

  ScopedKey read(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Store\\Child", 0x20019, read.out()), kRegSuccess);  // KEY_READ
  EXPECT_EQ(registry.SetValue(read.get(), "V", kRegBinary, bytes, 1), kRegAccessDenied);
  EXPECT_EQ(registry.QueryValue(read.get(), "V", &type, nullptr, &size), kRegSuccess);

  ScopedKey set_only(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Store", kKeySetValue, set_only.out()), kRegSuccess);
  EXPECT_EQ(registry.QueryValue(set_only.get(), "V", &type, nullptr, &size), kRegAccessDenied);
  EXPECT_EQ(registry.EnumKey(set_only.get(), 0, name, &capacity), kRegAccessDenied);
  EXPECT_EQ(registry.SetValue(set_only.get(), "W", kRegBinary, bytes, 1), kRegSuccess);

  ScopedKey query_only(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Store", kKeyQueryValue, query_only.out()), kRegSuccess);
  EXPECT_EQ(registry.EnumKey(query_only.get(), 0, name, &capacity), kRegAccessDenied);

  // A child opens and is created through a parent of any mask; its own mask is what counts.
  ScopedKey child(registry);
  ASSERT_EQ(registry.CreateKey(set_only.get(), "New", kKeyAllAccess, child.out()), kRegSuccess);
  EXPECT_EQ(registry.SetValue(child.get(), "V", kRegBinary, bytes, 1), kRegSuccess);
  ASSERT_EQ(registry.OpenKey(query_only.get(), "Child", kKeyAllAccess, child.out()), kRegSuccess);
  EXPECT_EQ(registry.SetValue(child.get(), "V", kRegBinary, bytes, 1), kRegSuccess);
}

}  // namespace

// What undoing an installation relies on: the disposition tells a key made from one that was
// there, and deletion goes leaf first, leaving handles on a deleted key dead.
namespace {

TEST_F(BackendConformance, CreateTellsANewKeyFromAnExistingOneAndDeleteGoesLeafFirst) {
  TRegistryBackend& registry = backend();
  ScopedKey rule(registry);
  std::uint32_t disposition = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Store\\000", kKeyAllAccess, rule.out(), &disposition), kRegSuccess);
  EXPECT_EQ(disposition, kRegCreatedNewKey);
  ScopedKey again(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "STORE\\000", kKeyAllAccess, again.out(), &disposition), kRegSuccess);
  EXPECT_EQ(disposition, kRegOpenedExistingKey);
  ScopedKey leaf(registry);
  ASSERT_EQ(registry.CreateKey(rule.get(), "Actions", kKeyAllAccess, leaf.out(), &disposition), kRegSuccess);
  EXPECT_EQ(disposition, kRegCreatedNewKey);
  ASSERT_EQ(registry.SetValue(leaf.get(), "Order", kRegSz, reinterpret_cast<const unsigned char*>("000"), 4),
            kRegSuccess);

  EXPECT_EQ(registry.DeleteKey(kHkeyCurrentUser, "Store\\000"), kRegAccessDenied);  // it has a subkey
  EXPECT_EQ(registry.DeleteKey(kHkeyCurrentUser, "Store\\001"), kRegFileNotFound);
  EXPECT_EQ(registry.DeleteKey(rule.get(), "Actions"), kRegSuccess);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(leaf.get(), "Order", &type, nullptr, &size), kRegKeyDeleted);
  EXPECT_EQ(registry.DeleteKey(kHkeyCurrentUser, "Store\\000"), kRegSuccess);
  EXPECT_EQ(SubkeyNames(registry, "Store"), std::vector<std::string>{});
  EXPECT_EQ(registry.CreateKey(rule.get(), "x", kKeyAllAccess, leaf.out(), &disposition), kRegKeyDeleted);
}

}  // namespace
