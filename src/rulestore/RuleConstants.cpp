// The two junk-mail rules' names and the criteria lists that Outlook Express matches senders against.
#include <array>

#include "rulestore/RuleFunc.h"

namespace {

// "00" to "99", each with its NUL, then two more NULs.
constexpr std::array<unsigned char, 302> MakeTwoDigitCriteria() {
  std::array<unsigned char, 302> blob{};
  for (int n = 0; n < 100; ++n) {
    blob[n * 3] = static_cast<unsigned char>('0' + n / 10);
    blob[n * 3 + 1] = static_cast<unsigned char>('0' + n % 10);
  }
  return blob;
}

// "0@" to "9@", each with its NUL, then two more NULs.
constexpr std::array<unsigned char, 32> MakeDigitAtCriteria() {
  std::array<unsigned char, 32> blob{};
  for (int digit = 0; digit < 10; ++digit) {
    blob[digit * 3] = static_cast<unsigned char>('0' + digit);
    blob[digit * 3 + 1] = '@';
  }
  return blob;
}

constexpr std::array<unsigned char, 302> kTwoDigitCriteria = MakeTwoDigitCriteria();
constexpr std::array<unsigned char, 32> kDigitAtCriteria = MakeDigitAtCriteria();
constexpr unsigned char kJpDomainCriteria[6] = {'.', 'j', 'p', 0, 0, 0};

}  // namespace

const std::string TwoDigitRuleName = "非jp含数字二桁";
const std::string DigitAtRuleName = "非jp含数字@";

const CriteriaBlob TwoDigitCriteria = {kTwoDigitCriteria.data(), kTwoDigitCriteria.size()};
const CriteriaBlob DigitAtCriteria = {kDigitAtCriteria.data(), kDigitAtCriteria.size()};
const CriteriaBlob JpDomainCriteria = {kJpDomainCriteria, sizeof kJpDomainCriteria};
