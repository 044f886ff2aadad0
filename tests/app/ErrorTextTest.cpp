// The error reports' texts: the closing period under double-byte characters, the module file name
// behind 0x5C trail bytes, and the fatal error text built without any format string.
#include <gtest/gtest.h>

#include <string>

#include "app/ErrorText.h"
#include "base/HexText.h"
#include "base/ResourceStrings.h"
#include "HexBytes.h"

namespace {

TEST(WithClosingPeriod, AddsThePeriodOnlyAfterCharactersAboveIt) {
  struct Case {
    const char* message;
    const char* expected;
  };
  const Case cases[] = {
      {"", ""},
      {"Failed", "Failed."},
      {"Failed.", "Failed."},
      {"Failed)", "Failed)"},
      {"Failed!", "Failed!"},
      {"Failed,", "Failed,"},
      {"Failed-", "Failed-"},
      {"Failed ", "Failed "},
      {"Failed\r\n", "Failed\r\n"},
      {"Error 42", "Error 42."},
      {"a/b", "a/b."},  // 0x2F, the first byte above "."
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, WithClosingPeriod(c.message)) << '"' << c.message << '"';
}

TEST(WithClosingPeriod, ADoubleByteLastCharacterAlwaysGetsIt) {
  // 失敗しました: ends in "た" (82 BD).
  const std::string failed = WithClosingPeriod("失敗しました");
  EXPECT_EQ("82 BD 2E", Hex(failed.substr(failed.size() - 3)));
  // "表" (95 5C) and "ソ" (83 5C) end in a trail byte that is the code of "\".
  EXPECT_EQ("95 5C 2E", Hex(WithClosingPeriod("表")));
  EXPECT_EQ("83 5C 2E", Hex(WithClosingPeriod("ソ")));
  // A full stop that is the trail byte of a (malformed) pair is no full stop of its own.
  EXPECT_EQ("61 81 2E 2E", Hex(WithClosingPeriod("a\x81.")));
  // A lead byte cut off at the end counts as a character of its own.
  EXPECT_EQ("61 81 2E", Hex(WithClosingPeriod("a\x81")));
}

TEST(WithClosingPeriod, APeriodAfterADoubleByteCharacterStaysSingle) {
  EXPECT_EQ("ソ.", WithClosingPeriod("ソ."));
  EXPECT_EQ("'Order' の設定に失敗しました.", WithClosingPeriod(FillTemplate(ResourceString(kSWriteValueFailed), {"Order"})));
}

TEST(ComposeFatalErrorText, FillsTheStringTableTemplate) {
  const std::string text = ComposeFatalErrorText(ResourceString(kSFatalErrorText), "ERegistryException",
                                                  "C:\\Program Files\\Quellmark\\quellmark.exe", 0x1A2B3,
                                                  "'Order' の設定に失敗しました");
  EXPECT_EQ("ERegistryException がモジュール quellmark.exe の 0001A2B3 で発生しました。\r\n"
            "'Order' の設定に失敗しました.\r\n",
            text);
}

TEST(ComposeFatalErrorText, AnObjectWithoutMessageGetsNoPeriod) {
  const std::string text = ComposeFatalErrorText(ResourceString(kSFatalErrorText), "St9bad_alloc", "q.exe", 0, "");
  EXPECT_EQ("St9bad_alloc がモジュール q.exe の 00000000 で発生しました。\r\n\r\n", text);
  // The period here is a plain byte test, unlike the error box: "." already there, nothing added.
  EXPECT_EQ("E がモジュール q.exe の FFFFFFFF で発生しました。\r\nDone.\r\n",
            ComposeFatalErrorText(ResourceString(kSFatalErrorText), "E", "q.exe", 0xFFFFFFFFu, "Done."));
}

TEST(ComposeFatalErrorText, OutsideTextIsNeverAFormat) {
  const std::string text =
      ComposeFatalErrorText("%s|%s|%p|%s%s|100%%", "%s%p", "C:\\%n\\%s.exe", 0xABCDEF, "50%s %d %p %%");
  EXPECT_EQ("%s%p|%s.exe|00ABCDEF|50%s %d %p %%.|100%", text);
}

TEST(ComposeFatalErrorText, IsCutAt1024BytesBetweenCharacters) {
  const std::string long_ascii = ComposeFatalErrorText("%s%s%p%s%s", "", "", 0, std::string(2000, 'x'));
  ASSERT_EQ(kFatalErrorTextLimit, long_ascii.size());
  EXPECT_EQ(std::string("00000000") + std::string(1016, 'x'), long_ascii);

  // "表" is two bytes; after one ASCII byte the 1024th byte would be the lead byte of a pair.
  std::string japanese = "a";
  for (int i = 0; i < 600; ++i) japanese += "表";
  const std::string cut = CutText(japanese, kFatalErrorTextLimit);
  EXPECT_EQ(1023u, cut.size());
  EXPECT_EQ("95 5C", Hex(cut.substr(cut.size() - 2)));
}

TEST(NumberText, IsZeroPaddedToTheWidthAndNeverCut) {
  EXPECT_EQ("00000000", UpperHex(0, 8));
  EXPECT_EQ("0000BEEF", UpperHex(0xBEEF, 8));
  EXPECT_EQ("FFFFFFFF", UpperHex(0xFFFFFFFFu, 8));
  EXPECT_EQ("00A", UpperHex(10, 3));
  EXPECT_EQ("1000", UpperHex(0x1000, 3));
  EXPECT_EQ("0", NumberText(0, 10));
  EXPECT_EQ("18446744073709551615", NumberText(UINT64_MAX, 10));
}

TEST(DemangledTypeName, ReadsTheTypesAThrownObjectHas) {
  EXPECT_EQ("int", DemangledTypeName("i"));
  EXPECT_EQ("unsigned long long", DemangledTypeName("y"));
  EXPECT_EQ("char const*", DemangledTypeName("PKc"));
  EXPECT_EQ("std::bad_alloc", DemangledTypeName("St9bad_alloc"));
  EXPECT_EQ("outer::inner::Fault", DemangledTypeName("N5outer5inner5FaultE"));
  EXPECT_EQ("std::inner::Fault&", DemangledTypeName("RNSt5inner5FaultE"));
  // Outside the subset, cut short or with a length beyond the text: the name as it came.
  for (const char* odd : {"", "Z3fooi", "N3foo", "9short", "ii", "4294967300x"}) EXPECT_EQ(odd, DemangledTypeName(odd));
}

}  // namespace
