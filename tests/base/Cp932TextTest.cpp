// Code page 932 text a character at a time: a trail byte is never a letter, a separator or a "%".
#include <gtest/gtest.h>

#include "base/Cp932Text.h"

namespace {

TEST(Cp932Text, FoldsOnlyAsciiLettersThatAreCharacters) {
  EXPECT_EQ("msimn.exe", FoldAsciiCase("MsImN.EXE"));
  // "ア" is 83 41: its trail byte is the code of "A" and stays.
  EXPECT_EQ("\x83\x41" "a", FoldAsciiCase("\x83\x41" "A"));
}

TEST(Cp932Text, FileNamePartFollowsTheLastSeparator) {
  EXPECT_EQ("quellmark.exe", FileNamePart("C:\\Program Files\\Quellmark\\quellmark.exe"));
  EXPECT_EQ("quellmark.exe", FileNamePart("quellmark.exe"));
  EXPECT_EQ("", FileNamePart("C:\\dir\\"));
  // The 5C bytes inside "表" and "ソ" are no separators.
  EXPECT_EQ("ソフト.exe", FileNamePart("C:\\表\\ソフト.exe"));
  EXPECT_EQ("表ソ", FileNamePart("表ソ"));
}

TEST(Cp932Text, FillTemplateReadsNoArgumentAsAFormat) {
  EXPECT_EQ("[one][]", FillTemplate("[%s][%s]", {"one"}));
  EXPECT_EQ("50% of one", FillTemplate("50%% of %s", {"one"}));
  EXPECT_EQ("'%s%n' \x95\x5C", FillTemplate("'%s' \x95\x5C", {"%s%n"}));
}

}  // namespace
