// TRegistry over whichever back end this test program runs on: the same cases pass over the
// in-memory store and over the real registry under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "registry/RegistryHarness.h"
#include "registry/TRegistry.h"

namespace {

// Message texts pinned byte for byte (code page 932).
const std::string kOrderTypeInvalid =
    "'Order' \x82\xCC\x83\x66\x81\x5B\x83\x5E\x8C\x5E\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7";  // のデータ型が不正です
const std::string kNameSetFailed =
    "'Name' \x82\xCC\x90\xDD\x92\xE8\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";  // の設定に失敗しました

const std::string kHyouji = "\x95\x5C\x8E\xA6";       // 表示: trail byte 0x5C
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";  // ソフト: trail byte 0x5C
const std::string kAtai = "\x92\x6C";                  // 値

RawValue Text(const std::string& text) { return {kRegSz, text + std::string(1, '\0')}; }


std::vector<std::string> ListOf(TRegistry& registry) {
  TStringList list;
  registry.ListSubkeys(list);
  return list.Items();
}

using TRegistryRead = RegistryCase;

TEST_F(TRegistryRead, MissingValuesAndReadsWithNoKeyOpenAreEmptyText) {
  ASSERT_TRUE(PutValue(backend(), "", "Name", Text("at the root")));
  TRegistry registry(backend());
  // No key open: the root's value is not consulted.
  EXPECT_EQ(registry.ReadText("Name"), "");
  ASSERT_TRUE(registry.OpenPath("Store", true));
  EXPECT_EQ(registry.ReadText("Name"), "");
  EXPECT_EQ(registry.ReadText(""), "");  // no default value either
}

TEST_F(TRegistryRead, ZeroLengthValuesOfEveryTypeAreEmptyWithoutTypeError) {
  const std::uint32_t types[] = {kRegNone, kRegSz, kRegExpandSz, kRegBinary, kRegDword, kRegMultiSz, 0x12345};
  for (std::uint32_t type : types) {
    const std::string name = "Empty" + std::to_string(type);
    ASSERT_TRUE(PutValue(backend(), "Store", name, RawValue{type, ""}));
  }
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", false));
  for (std::uint32_t type : types) {
    const std::string name = "Empty" + std::to_string(type);
    std::string text = "unchanged";
    EXPECT_EQ(RegistryErrorOf([&] { text = registry.ReadText(name); }), std::nullopt) << name;
    EXPECT_EQ(text, "") << name;
  }
}

TEST_F(TRegistryRead, ValuesThatAreNotTextRaiseTheTypeErrorNamingTheValue) {
  ASSERT_TRUE(PutValue(backend(), "Store", "Order", RawValue{kRegDword, std::string("\x01\x00\x00\x00", 4)}));
  ASSERT_TRUE(PutValue(backend(), "Store", kAtai, RawValue{kRegBinary, "abc"}));
  ASSERT_TRUE(PutValue(backend(), "Store", "Multi", RawValue{kRegMultiSz, std::string("a\0b\0\0", 5)}));
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", false));

  EXPECT_EQ(RegistryErrorOf([&] { registry.ReadText("Order"); }), kOrderTypeInvalid);
  // The name stands in the message exactly as passed, double-byte characters included.
  EXPECT_EQ(RegistryErrorOf([&] { registry.ReadText(kAtai); }),
            "'\x92\x6C' \x82\xCC\x83\x66\x81\x5B\x83\x5E\x8C\x5E\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7");
  // REG_MULTI_SZ is no text kind of the layer's.
  EXPECT_EQ(RegistryErrorOf([&] { registry.ReadText("Multi"); }),
            "'Multi' \x82\xCC\x83\x66\x81\x5B\x83\x5E\x8C\x5E\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7");
  // The exception left the key open.
  EXPECT_EQ(registry.CurrentPath(), "Store");
}

TEST_F(TRegistryRead, TextEndsAtItsFirstNulAndExpandableTextStaysUnexpanded) {
  ASSERT_TRUE(PutValue(backend(), "Store", "Inner", RawValue{kRegSz, std::string("ab\0cd\0", 6)}));
  ASSERT_TRUE(PutValue(backend(), "Store", "Expand", RawValue{kRegExpandSz, std::string("%WINDIR%\\x\0", 11)}));
  ASSERT_TRUE(PutValue(backend(), "Store", "Unterminated", RawValue{kRegSz, "abc"}));
  ASSERT_TRUE(PutValue(backend(), "Store", "Kanji", Text(kHyouji)));
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", false));
  EXPECT_EQ(registry.ReadText("Inner"), "ab");
  EXPECT_EQ(registry.ReadText("Expand"), "%WINDIR%\\x");
  EXPECT_EQ(registry.ReadText("Unterminated"), "abc");
  EXPECT_EQ(registry.ReadText("Kanji"), kHyouji);
}

// Such a text has characters that no text of the program has (reading it raises, naming its key:
// see the rule store's cases).
TEST_F(TRegistryRead, ATextTheCodePageCannotHoldEqualsNoText) {
  ASSERT_TRUE(Harness().PutTextInUtf16("Store", "Name", u"caf\u00e9"));
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", false));
  EXPECT_FALSE(registry.TextEquals("Name", "cafe"));
  EXPECT_FALSE(registry.TextEquals("Name", "caf?"));
  EXPECT_TRUE(registry.TextEquals("Missing", ""));
}

using TRegistryWrite = RegistryCase;

TEST_F(TRegistryWrite, WritesStoreExactBytesAndTypes) {
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", true));
  registry.WriteText("Empty", "");
  registry.WriteText("Name", kHyouji);
  registry.WriteDword("Minus", -2);
  registry.WriteDword("Order", 0x01020304);
  registry.WriteBlob("Blob", "a\0b", 3);
  registry.WriteBlob("Nothing", "", 0);
  registry.WriteText("Changes", "text");
  registry.WriteDword("Changes", 7);

  EXPECT_EQ(GetValue(backend(), "Store", "Empty"), (RawValue{kRegSz, std::string(1, '\0')}));
  EXPECT_EQ(GetValue(backend(), "Store", "Name"), (RawValue{kRegSz, std::string("\x95\x5C\x8E\xA6\0", 5)}));
  EXPECT_EQ(GetValue(backend(), "Store", "Minus"), (RawValue{kRegDword, "\xFE\xFF\xFF\xFF"}));
  EXPECT_EQ(GetValue(backend(), "Store", "Order"), (RawValue{kRegDword, "\x04\x03\x02\x01"}));
  EXPECT_EQ(GetValue(backend(), "Store", "Blob"), (RawValue{kRegBinary, std::string("a\0b", 3)}));
  EXPECT_EQ(GetValue(backend(), "Store", "Nothing"), (RawValue{kRegBinary, ""}));
  EXPECT_EQ(GetValue(backend(), "Store", "Changes"), (RawValue{kRegDword, std::string("\x07\x00\x00\x00", 4)}));
}

TEST_F(TRegistryWrite, WritesWithNoKeyOpenRaiseTheSettingErrorAndStoreNothing) {
  TRegistry registry(backend());
  EXPECT_EQ(RegistryErrorOf([&] { registry.WriteText("Name", "x"); }), kNameSetFailed);
  EXPECT_EQ(RegistryErrorOf([&] { registry.WriteDword("Name", 1); }), kNameSetFailed);
  EXPECT_EQ(RegistryErrorOf([&] { registry.WriteBlob("Name", "x", 1); }), kNameSetFailed);

  ASSERT_TRUE(registry.OpenPath("Store", true));
  registry.ClosePath();
  EXPECT_EQ(RegistryErrorOf([&] { registry.WriteText("Name", "x"); }), kNameSetFailed);
  EXPECT_EQ(GetValue(backend(), "", "Name"), std::nullopt);
  EXPECT_EQ(GetValue(backend(), "Store", "Name"), std::nullopt);
}

TEST_F(TRegistryWrite, ANegativeBlobLengthIsRefusedWithoutStoring) {
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", true));
  EXPECT_EQ(RegistryErrorOf([&] { registry.WriteBlob("Name", "x", -1); }), kNameSetFailed);
  EXPECT_EQ(GetValue(backend(), "Store", "Name"), std::nullopt);
}

using TRegistryOpenPath = RegistryCase;

TEST_F(TRegistryOpenPath, RelativePathsResolveBeneathTheCurrentKeyAbsoluteOnesBeneathTheRoot) {
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Rules\\Mail", true));
  EXPECT_EQ(registry.CurrentPath(), "Rules\\Mail");
  ASSERT_TRUE(registry.OpenPath("000", true));
  EXPECT_EQ(registry.CurrentPath(), "Rules\\Mail\\000");
  registry.WriteText("Name", "rule");
  EXPECT_EQ(GetValue(backend(), "Rules\\Mail\\000", "Name"), Text("rule"));

  ASSERT_TRUE(registry.OpenPath("\\Other", true));
  EXPECT_EQ(registry.CurrentPath(), "Other");
  EXPECT_TRUE(KeyExists(backend(), "Other"));
  EXPECT_FALSE(KeyExists(backend(), "Rules\\Mail\\000\\Other"));

  registry.ClosePath();
  EXPECT_EQ(registry.CurrentKey(), 0u);
  EXPECT_EQ(registry.CurrentPath(), "");
  ASSERT_TRUE(registry.OpenPath("000", true));
  EXPECT_EQ(registry.CurrentPath(), "000");
  EXPECT_TRUE(KeyExists(backend(), "000"));
}

TEST_F(TRegistryOpenPath, AFailedOpenLeavesTheOldKeyCurrent) {
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", true));
  const RegKey store = registry.CurrentKey();

  EXPECT_FALSE(registry.OpenPath("Missing", false));
  // Create mode fails too on a path the registry rejects (a second leading backslash).
  EXPECT_FALSE(registry.OpenPath("\\\\Bad", true));
  EXPECT_EQ(registry.CurrentKey(), store);
  EXPECT_EQ(registry.CurrentPath(), "Store");

  registry.WriteText("Name", "still here");
  EXPECT_EQ(GetValue(backend(), "Store", "Name"), Text("still here"));
  EXPECT_FALSE(KeyExists(backend(), "Store\\Missing"));
}

TEST_F(TRegistryOpenPath, CreateMakesEveryKeyAlongThePathAndOpenCreatesNothing) {
  TRegistry registry(backend());
  EXPECT_FALSE(registry.OpenPath("X\\Y", false));
  EXPECT_FALSE(KeyExists(backend(), "X"));

  ASSERT_TRUE(registry.OpenPath("A\\B\\C", true));
  EXPECT_EQ(SubkeyNames(backend(), ""), std::vector<std::string>{"A"});
  EXPECT_EQ(SubkeyNames(backend(), "A"), std::vector<std::string>{"B"});
  EXPECT_EQ(SubkeyNames(backend(), "A\\B"), std::vector<std::string>{"C"});
  registry.ClosePath();
  EXPECT_TRUE(registry.OpenPath("A\\B\\C", false));
}

TEST_F(TRegistryOpenPath, TheEmptyPathOpensTheRootItselfAndCreatesNothing) {
  for (bool create : {false, true}) {
    SCOPED_TRACE(create ? "create" : "open");
    TRegistry registry(backend());
    ASSERT_TRUE(registry.OpenPath("", create));
    EXPECT_EQ(registry.CurrentKey(), kHkeyCurrentUser);
    EXPECT_EQ(registry.CurrentPath(), "");
    registry.WriteText("AtRoot", "root");
    EXPECT_EQ(GetValue(backend(), "", "AtRoot"), Text("root"));
    EXPECT_EQ(SubkeyNames(backend(), ""), std::vector<std::string>{});
  }
}

TEST_F(TRegistryOpenPath, DoubleByteNamesKeepTheirTrailBytesAndNamesIgnoreCase) {
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath(kHyouji + "\\" + kSofuto, true));
  EXPECT_EQ(SubkeyNames(backend(), ""), std::vector<std::string>{kHyouji});
  EXPECT_EQ(SubkeyNames(backend(), kHyouji), std::vector<std::string>{kSofuto});

  ASSERT_TRUE(registry.OpenPath("\\Case\\MixedKey", true));
  registry.WriteText("ValName", "1");
  ASSERT_TRUE(registry.OpenPath("\\CASE\\mixedkey", false));
  registry.WriteText("VALNAME", "2");
  ASSERT_TRUE(registry.OpenPath("\\case\\MIXEDKEY", true));
  EXPECT_EQ(registry.ReadText("valname"), "2");
  // The first spelling stays; nothing was duplicated.
  EXPECT_EQ(SubkeyNames(backend(), "Case"), std::vector<std::string>{"MixedKey"});
  EXPECT_EQ(GetValue(backend(), "Case\\MixedKey", "ValName"), Text("2"));
}

using TRegistryListSubkeys = RegistryCase;

TEST_F(TRegistryListSubkeys, TheListIsEmptiedWhateverHappens) {
  ASSERT_TRUE(MakeKey(backend(), "Store\\Leaf"));
  TRegistry registry(backend());
  TStringList list;
  list.Add("stale");
  registry.ListSubkeys(list);  // no key open
  EXPECT_EQ(list.Count(), 0);

  ASSERT_TRUE(registry.OpenPath("Store", false));
  registry.ListSubkeys(list);
  EXPECT_EQ(list.Items(), std::vector<std::string>{"Leaf"});
  ASSERT_TRUE(registry.OpenPath("Leaf", false));
  registry.ListSubkeys(list);  // a key without subkeys
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(TRegistryListSubkeys, EveryNameComesIntactInEnumerationOrder) {
  const std::vector<std::string> names = {"000", "001", "00A", "FFF", "1000", kHyouji, kSofuto, "Case"};
  for (const std::string& name : names) ASSERT_TRUE(MakeKey(backend(), "Store\\" + name));
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", false));
  const std::vector<std::string> listed = ListOf(registry);
  EXPECT_EQ(listed, SubkeyNames(backend(), "Store"));

  std::vector<std::string> sorted_listed = listed;
  std::vector<std::string> sorted_names = names;
  std::sort(sorted_listed.begin(), sorted_listed.end());
  std::sort(sorted_names.begin(), sorted_names.end());
  EXPECT_EQ(sorted_listed, sorted_names);
}

TEST_F(TRegistryListSubkeys, LongDoubleByteNamesFit) {
  ASSERT_TRUE(backend().IsFarEastNt()) << "run under a Japanese locale";
  std::string long_name;
  for (int i = 0; i < 120; ++i) long_name += "\x93\xFA";  // 日 x 120: 120 characters, 240 bytes
  ASSERT_TRUE(MakeKey(backend(), "Store\\" + long_name));
  ASSERT_TRUE(MakeKey(backend(), "Store\\Z"));
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", false));
  const std::vector<std::string> listed = ListOf(registry);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_NE(std::find(listed.begin(), listed.end(), long_name), listed.end());
  EXPECT_NE(std::find(listed.begin(), listed.end(), "Z"), listed.end());
}

using TRegistrySubkeyExists = RegistryCase;

TEST_F(TRegistrySubkeyExists, AnswersWithoutChangingOrCreatingAnything) {
  ASSERT_TRUE(MakeKey(backend(), "Store\\000"));
  TRegistry registry(backend());
  EXPECT_TRUE(registry.SubkeyExists("Store"));  // from the root while no key is open
  EXPECT_EQ(registry.CurrentKey(), 0u);

  ASSERT_TRUE(registry.OpenPath("Store", false));
  const RegKey store = registry.CurrentKey();
  EXPECT_TRUE(registry.SubkeyExists("000"));
  EXPECT_TRUE(registry.SubkeyExists("\\Store\\000"));
  EXPECT_FALSE(registry.SubkeyExists("001"));
  EXPECT_FALSE(registry.SubkeyExists("\\000"));
  EXPECT_FALSE(KeyExists(backend(), "Store\\001"));
  EXPECT_EQ(registry.CurrentKey(), store);
  EXPECT_EQ(registry.CurrentPath(), "Store");
  EXPECT_EQ(registry.Access(), kKeyAllAccess);
  registry.WriteText("Name", "after");
  EXPECT_EQ(GetValue(backend(), "Store", "Name"), Text("after"));
}

TEST_F(TRegistrySubkeyExists, AKeyThatRefusesReadingIsReportedNotTakenForAbsent) {
  ASSERT_TRUE(MakeKey(backend(), "Store\\Locked"));
  ASSERT_TRUE(MakeKey(backend(), "Store\\Open"));
  if (!Harness().MakeKeyRefuseReading("Store\\Locked")) GTEST_SKIP() << "this back end cannot refuse access";
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", false));
  const RegKey store = registry.CurrentKey();
  // "Absent" would let a rule be written into it.
  EXPECT_EQ(RegistryErrorOf([&] { registry.SubkeyExists("Locked"); }), "'Store\\Locked' \x82\xF0\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1");  // を開けません
  EXPECT_TRUE(registry.SubkeyExists("Open"));
  EXPECT_EQ(registry.Access(), kKeyAllAccess);
  EXPECT_FALSE(registry.OpenPath("Locked", false));
  EXPECT_EQ(registry.CurrentKey(), store);
  // It is there all the same: the parent still lists it.
  const std::vector<std::string> listed = ListOf(registry);
  EXPECT_NE(std::find(listed.begin(), listed.end(), "Locked"), listed.end());
}

using TRegistrySetRoot = RegistryCase;

TEST_F(TRegistrySetRoot, TheSameRootKeepsTheKeyOpenAnotherClosesIt) {
  TRegistry registry(backend());
  ASSERT_TRUE(registry.OpenPath("Store", true));
  const RegKey store = registry.CurrentKey();
  registry.SetRoot(kHkeyCurrentUser);
  EXPECT_EQ(registry.CurrentKey(), store);
  EXPECT_EQ(registry.CurrentPath(), "Store");
  registry.WriteText("Name", "kept");
  EXPECT_EQ(GetValue(backend(), "Store", "Name"), Text("kept"));

  // HKEY_LOCAL_MACHINE: only taken, never opened here.
  constexpr RegKey kHkeyLocalMachine = 0x80000002u;
  registry.SetRoot(kHkeyLocalMachine);
  EXPECT_EQ(registry.Root(), kHkeyLocalMachine);
  EXPECT_EQ(registry.CurrentKey(), 0u);
  EXPECT_EQ(registry.CurrentPath(), "");
  EXPECT_EQ(RegistryErrorOf([&] { registry.WriteText("Name", "x"); }), kNameSetFailed);
}

}  // namespace
