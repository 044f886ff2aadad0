// The bytes that the mail client reads: rule names, criteria lists, rule key names and messages.
#include <gtest/gtest.h>

#include "base/Cp932Text.h"
#include "base/ResourceStrings.h"
#include "rulestore/RuleFunc.h"

namespace {

std::string Bytes(const CriteriaBlob& blob) { return std::string(reinterpret_cast<const char*>(blob.data), blob.size); }

TEST(RuleConstants, RuleNamesAreShiftJis) {
  EXPECT_EQ(TwoDigitRuleName, "\x94\xF1\x6A\x70\x8A\xDC\x90\x94\x8E\x9A\x93\xF1\x8C\x85");
  EXPECT_EQ(DigitAtRuleName, "\x94\xF1\x6A\x70\x8A\xDC\x90\x94\x8E\x9A\x40");
}

TEST(RuleConstants, CriteriaListsEndInThreeNuls) {
  const std::string two_digit = Bytes(TwoDigitCriteria);
  ASSERT_EQ(two_digit.size(), 302u);
  EXPECT_EQ(two_digit.substr(0, 6), std::string("00\0" "01\0", 6));
  EXPECT_EQ(two_digit.substr(27, 6), std::string("09\0" "10\0", 6));
  EXPECT_EQ(two_digit.substr(297), std::string("99\0\0\0", 5));

  const std::string digit_at = Bytes(DigitAtCriteria);
  ASSERT_EQ(digit_at.size(), 32u);
  EXPECT_EQ(digit_at.substr(0, 3), std::string("0@\0", 3));
  EXPECT_EQ(digit_at.substr(27), std::string("9@\0\0\0", 5));

  EXPECT_EQ(Bytes(JpDomainCriteria), std::string(".jp\0\0\0", 6));
}

TEST(RuleConstants, RuleKeyNamesAreUpperCaseHexOfAtLeastThreeDigits) {
  EXPECT_EQ(RuleKeyNameOf(0), "000");
  EXPECT_EQ(RuleKeyNameOf(10), "00A");
  EXPECT_EQ(RuleKeyNameOf(255), "0FF");
  EXPECT_EQ(RuleKeyNameOf(4095), "FFF");
  EXPECT_EQ(RuleKeyNameOf(4096), "1000");
  EXPECT_EQ(RuleKeyNameOf(0x7FFFFFFF), "7FFFFFFF");
}

TEST(RuleConstants, RegistryMessagesNameTheValueVerbatim) {
  // "'%s' のデータ型が不正です" with a value name that itself looks like a format.
  EXPECT_EQ(FillTemplate(ResourceString(kSInvalidValueType), {"%s%n"}),
            "'%s%n' \x82\xCC\x83\x66\x81\x5B\x83\x5E\x8C\x5E\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7");
  EXPECT_EQ(ResourceString(kSReadValueFailed), "'%s' \x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD");
  EXPECT_EQ(ResourceString(kSWriteValueFailed), "'%s' \x82\xCC\x90\xDD\x92\xE8\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD");
}

}  // namespace
