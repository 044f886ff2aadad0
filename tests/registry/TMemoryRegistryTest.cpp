// The in-memory store's own behaviour: where it follows Windows rather than Wine (subkey order,
// doubled backslashes, access checks Wine skips), its scale, its handle table and its test hooks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "registry/KeyNameFolding.h"
#include "registry/KeyPath.h"
#include "registry/RegistryHarness.h"
#include "registry/TMemoryRegistry.h"
#include "registry/TRegistry.h"

namespace {

std::vector<std::string> ListedBy(TMemoryRegistry& registry, const std::string& path) {
  TRegistry reader(registry);
  TStringList list;
  if (reader.OpenPath(path, false)) reader.ListSubkeys(list);
  return list.Items();
}

TEST(KeyNameFolding, DecodesCodePage932AndFoldsPerUtf16Unit) {
  EXPECT_EQ(DecodeCp932("\x95\x5C\x8E\xA6"), u"表示");
  EXPECT_EQ(DecodeCp932("a\xB1\x83\x5C"), u"aｱソ");
  EXPECT_EQ(FoldedName("abc\x82\x81\x83\xBF\x84\x70\xFA\x40"), u"ABCＡΑАⅠ");
  EXPECT_EQ(FoldedName("\x83\x61"), u"ヂ");  // no letter folding inside a double-byte character
  EXPECT_EQ(FoldedName("\x84\x76"), FoldedName("\x84\x46"));  // ё and Ё, outside А..я
  // Bytes that are no character still give distinct units.
  EXPECT_EQ(DecodeCp932("\x80\xA0\xFD"), u"\u0080\uF8F0\uF8F1");
  EXPECT_NE(FoldedName("\x81"), FoldedName("\x82"));
}

TEST(KeyNameFolding, CanonicalFormsRewriteWholeCharactersOnly) {
  // FA 4A is a second code of Ⅰ, but not as the trail byte of 88 FA (a kanji) followed by "J".
  EXPECT_EQ(CanonicalCp932("a\xFA\x4A\x88\xFA\x4A"), "a\x87\x54\x88\xFA\x4A");
  EXPECT_EQ(CanonicalCp932("\xFA"), "\xFA");  // a lead byte with nothing after it
  // The path limit's count: one unit per character, whatever its bytes.
  EXPECT_EQ(Cp932Utf16Length("P\\\x95\x5C\xB1"), 4u);
  EXPECT_EQ(Cp932Utf16Length("\x95"), 1u);
}

TEST(KeyNameFolding, SplitsOnlyOnBackslashesThatAreNotTrailBytes) {
  EXPECT_EQ(SplitKeyPath(""), std::vector<std::string>{});
  EXPECT_EQ(SplitKeyPath("\x95\x5C\x8E\xA6\\\x83\x5C\x83\x74\x83\x67\\"),
            (std::vector<std::string>{"\x95\x5C\x8E\xA6", "\x83\x5C\x83\x74\x83\x67", ""}));
  EXPECT_EQ(SplitKeyPath("a\\\\b"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitKeyPath("\xFA\x5C\\a"), (std::vector<std::string>{"\xFA\x5C", "a"}));  // a lead byte above 0xEF
}

TEST(MemoryRegistryOrder, SubkeysEnumerateInTheWindowsOrder) {
  // Upper-cased UTF-16, ordinal, a prefix first: [ \ ] ^ _ ` sort after the letters (Wine puts
  // them before), and kana, kanji, fullwidth and halfwidth forms by code point, not by CP932 bytes.
  const std::vector<std::string> windows_order = {
      " sp", "-", ".", "0", "@", "a", "aa", "aB", "a_b", "b", "B2", "y1", "Y_", "Z", "zz", "[", "^", "_u", "`", "{",
      "|", "}", "~",
      "\x83\xBF",  // α
      "\x84\x70",  // а
      "\x82\xA0",  // あ
      "\x83\x41",  // ア
      "\x83\x61",  // ヂ
      "\x88\x9F",  // 亜
      "\x82\x81",  // ａ
      "\x81\x5F",  // ＼
      "\x81\x51",  // ＿
      "\x81\x60",  // ～
      "\xB1",      // ｱ
  };
  std::vector<std::string> shuffled = windows_order;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  TMemoryRegistry registry;
  for (const std::string& name : shuffled) ASSERT_TRUE(MakeKey(registry, "Order\\" + name)) << name;
  EXPECT_EQ(SubkeyNames(registry, "Order"), windows_order);
}

TEST(MemoryRegistryOrder, ThousandsOfSubkeysEnumerateSortedAndIntact) {
  for (int count : {4096, 100000}) {
    SCOPED_TRACE(count);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "%03X", i);
      names.push_back(name);
    }
    names.push_back("\x95\x5C\x8E\xA6");  // 表示 sorts after every ASCII name
    std::vector<std::string> shuffled = names;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(count));
    TMemoryRegistry registry;
    ScopedKey store(registry);
    ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Store", kKeyAllAccess, store.out()), kRegSuccess);
    for (const std::string& name : shuffled) {
      ScopedKey child(registry);
      ASSERT_EQ(registry.CreateKey(store.get(), name, kKeyAllAccess, child.out()), kRegSuccess);
    }
    // Digits and capitals sort alike as bytes and as upper-cased UTF-16, and 表示 (95 5C) comes
    // after all of them either way.
    std::sort(names.begin(), names.end());
    EXPECT_EQ(ListedBy(registry, "Store"), names);
  }
}

TEST(MemoryRegistryPaths, DoubledBackslashesAreRejectedAsWindowsMayDo) {
  // Wine collapses them; Windows does not promise to. Rejecting them exposes a path built wrongly.
  TMemoryRegistry registry;
  RegKey key = 1;
  EXPECT_EQ(registry.CreateKey(kHkeyCurrentUser, "Dbl1\\\\Dbl2", kKeyAllAccess, &key), kRegInvalidParameter);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, "Dbl1\\\\Dbl2", kKeyAllAccess, &key), kRegInvalidParameter);
  EXPECT_EQ(SubkeyNames(registry, ""), std::vector<std::string>{});
}

TEST(MemoryRegistryHandles, BadHandlesAreRefusedAndClearInvalidatesEveryHandle) {
  TMemoryRegistry registry;
  RegKey key = 1;
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  for (RegKey bad : {RegKey{0}, RegKey{0x1234}, RegKey{0x80000002u}}) {
    EXPECT_EQ(registry.OpenKey(bad, "", kKeyAllAccess, &key), kRegInvalidHandle) << bad;
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(registry.QueryInfoKey(bad, &count, &longest), kRegInvalidHandle) << bad;
    EXPECT_EQ(registry.CloseKey(bad), kRegInvalidHandle) << bad;
  }

  RegKey store = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Store", kKeyAllAccess, &store), kRegSuccess);
  EXPECT_EQ(registry.OpenHandleCount(), 1u);
  registry.Clear();
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_EQ(registry.QueryInfoKey(store, &count, &longest), kRegInvalidHandle);
  // A new key never receives an old handle's value.
  RegKey fresh = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Store", kKeyAllAccess, &fresh), kRegSuccess);
  EXPECT_NE(fresh, store);
  EXPECT_EQ(registry.CloseKey(store), kRegInvalidHandle);
  EXPECT_EQ(registry.CloseKey(fresh), kRegSuccess);
}

TEST(MemoryRegistryHandles, KeyInformationNeedsQueryAccess) {
  // Wine answers RegQueryInfoKeyA on any handle; Windows checks KEY_QUERY_VALUE.
  TMemoryRegistry registry;
  ScopedKey key(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Store", kKeyEnumerateSubKeys, key.out()), kRegSuccess);
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  EXPECT_EQ(registry.QueryInfoKey(key.get(), &count, &longest), kRegAccessDenied);
}

TEST(MemoryRegistryHandles, ARefusingKeyCannotBeOpenedOrCreatedButStaysListed) {
  TMemoryRegistry registry;
  EXPECT_FALSE(registry.SetGrantedAccess("Store\\Locked", 0));
  ASSERT_TRUE(MakeKey(registry, "Store\\Locked\\Inner"));
  ASSERT_TRUE(registry.SetGrantedAccess("Store\\Locked", 0));
  RegKey key = 1;
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, "Store\\Locked", kKeyReadForExistenceTest, &key), kRegAccessDenied);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(registry.CreateKey(kHkeyCurrentUser, "store\\LOCKED", kKeyAllAccess, &key), kRegAccessDenied);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_EQ(SubkeyNames(registry, "Store"), std::vector<std::string>{"Locked"});
  ASSERT_TRUE(registry.SetGrantedAccess("Store\\Locked", kKeyAllAccess));
  EXPECT_TRUE(KeyExists(registry, "Store\\Locked"));
}

TEST(MemoryRegistryLinks, ALinkToAMissingKeyOpensAsMissingAndCreatesItWhereItsParentIs) {
  // As on Windows: opening follows the link to nothing; creating makes the key it names, not those above.
  TMemoryRegistry registry;
  ASSERT_TRUE(MakeKey(registry, "Target") && registry.MakeLink("Store\\Link", "Target\\Made") &&
              registry.MakeLink("Store\\Dangling", "Nowhere\\Made"));
  RegKey key = 1;
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, "Store\\Link", kKeyAllAccess, &key), kRegFileNotFound);
  EXPECT_EQ(registry.CreateKey(kHkeyCurrentUser, "Store\\Dangling", kKeyAllAccess, &key), kRegFileNotFound);
  EXPECT_FALSE(KeyExists(registry, "Nowhere"));
  EXPECT_TRUE(MakeKey(registry, "Store\\Link\\Below"));
  EXPECT_EQ(SubkeyNames(registry, "Target\\Made"), std::vector<std::string>{"Below"});
}

TEST(MemoryRegistryValues, ValuesKeepTheirFirstSpellingAndPlaceWhenReplaced) {
  TMemoryRegistry registry;
  ASSERT_TRUE(PutValue(registry, "Rule", "Name", RawValue{kRegSz, std::string("x\0", 2)}));
  ASSERT_TRUE(PutValue(registry, "Rule", "Order", RawValue{kRegSz, std::string("000\0", 4)}));
  ASSERT_TRUE(PutValue(registry, "Rule", "NAME", RawValue{kRegDword, std::string("\x01\x00\x00\x00", 4)}));
  ASSERT_TRUE(MakeKey(registry, "Rule\\b"));
  ASSERT_TRUE(PutValue(registry, "Rule\\A", "", RawValue{kRegBinary, ""}));
  ASSERT_TRUE(PutValue(registry, "Rule\\A", "\xFA\x4A", RawValue{kRegBinary, "\xFA\x4A"}));  // Ⅰ, IBM's code
  EXPECT_EQ(registry.Dump("Rule"),
            "[]\n"
            "\"Name\" = 4: 01 00 00 00\n"
            "\"Order\" = 1: 30 30 30 00\n"
            "[A]\n"
            "\"\" = 3:\n"
            "\"\x87\x54\" = 3: FA 4A\n"
            "[b]\n");
  EXPECT_EQ(registry.Dump("Missing"), "");
}

TEST(MemoryRegistryValues, NullStringDataWithASizeIsRefused) {
  // Wine crashes here; Windows documents the refusal.
  TMemoryRegistry registry;
  ScopedKey key(registry);
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Store", kKeyAllAccess, key.out()), kRegSuccess);
  EXPECT_EQ(registry.SetValue(key.get(), "Name", kRegSz, nullptr, 4), kRegNoAccess);
  EXPECT_EQ(registry.Dump("Store"), "[]\n");
}

TEST(MemoryRegistryFarEast, TheNameBufferFitsDoubleByteNamesOnlyOnAFarEastSystem) {
  // The ANSI code page decides, whatever the thread locale: a Japanese system set to English number
  // and date formats is still one where a character of a name may take two bytes.
  EXPECT_TRUE(IsFarEastNtSystem(true, 932));
  EXPECT_TRUE(IsFarEastNtSystem(true, 936) && IsFarEastNtSystem(true, 949) && IsFarEastNtSystem(true, 950));
  EXPECT_FALSE(IsFarEastNtSystem(true, 1252));
  EXPECT_FALSE(IsFarEastNtSystem(false, 932));  // Windows 98 and Me count bytes
  TMemoryRegistry registry;
  EXPECT_TRUE(registry.IsFarEastNt());
  ASSERT_TRUE(MakeKey(registry, "Store\\\x93\xFA\x96\x7B\x8C\xEA"));  // 日本語: 3 characters, 6 bytes
  ASSERT_TRUE(MakeKey(registry, "Store\\abc"));
  EXPECT_EQ(ListedBy(registry, "Store"), (std::vector<std::string>{"abc", "\x93\xFA\x96\x7B\x8C\xEA"}));
  // Elsewhere the listing sizes its buffer by the length as given (bytes on Windows 98 and Me); a
  // name that does not fit is reported, never left out of the list.
  registry.SetFarEastNt(false);
  EXPECT_THROW(ListedBy(registry, "Store"), ERegistryException);
}

TEST(MemoryRegistryTRegistry, EveryHandleIsReleasedExceptionsIncluded) {
  TMemoryRegistry registry;
  ASSERT_TRUE(PutValue(registry, "Store", "Order", RawValue{kRegDword, std::string("\x01\x00\x00\x00", 4)}));
  {
    TRegistry first(registry);
    ASSERT_TRUE(first.OpenPath("Store", false));
    ASSERT_TRUE(first.OpenPath("Sub", true));
    ASSERT_TRUE(first.OpenPath("\\Store", false));
    EXPECT_EQ(registry.OpenHandleCount(), 1u);
    EXPECT_TRUE(first.SubkeyExists("Sub"));
    EXPECT_THROW(first.ReadText("Order"), ERegistryException);
    TStringList list;
    first.ListSubkeys(list);
    EXPECT_EQ(registry.OpenHandleCount(), 1u);
  }
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

}  // namespace
