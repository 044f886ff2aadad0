// The error reports' texts: closing period, fatal error report, thrown types' names.
#include "app/ErrorText.h"

#include "base/Cp932Text.h"
#include "base/HexText.h"

namespace {

// The subset of the ABI's type grammar that a thrown object's type uses in practice.
class TTypeNameReader {
 public:
  explicit TTypeNameReader(const std::string& text) : text_(text) {}
  // The whole text read as one type, or nothing when it is outside the subset.
  bool ReadAll(std::string& name) {
    name = Type();
    return ok_ && at_ == text_.size();
  }

 private:
  static const char* Builtin(char code) {
    switch (code) {
      case 'v': return "void";
      case 'b': return "bool";
      case 'c': return "char";
      case 'a': return "signed char";
      case 'h': return "unsigned char";
      case 's': return "short";
      case 't': return "unsigned short";
      case 'i': return "int";
      case 'j': return "unsigned int";
      case 'l': return "long";
      case 'm': return "unsigned long";
      case 'x': return "long long";
      case 'y': return "unsigned long long";
      case 'w': return "wchar_t";
      case 'f': return "float";
      case 'd': return "double";
      case 'e': return "long double";
      default: return nullptr;
    }
  }

  bool Next(const char* code) {
    const std::string::size_type length = std::char_traits<char>::length(code);
    if (text_.compare(at_, length, code) != 0) return false;
    at_ += length;
    return true;
  }

  std::string SourceName() {
    std::size_t length = 0;
    const std::size_t digits_start = at_;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9' && length <= text_.size()) {
      length = length * 10 + static_cast<std::size_t>(text_[at_++] - '0');
    }
    if (at_ == digits_start || length > text_.size() - at_) {
      ok_ = false;
      return {};
    }
    at_ += length;
    return text_.substr(at_ - length, length);
  }

  std::string Type() {
    if (at_ >= text_.size()) {
      ok_ = false;
      return {};
    }
    if (const char* builtin = Builtin(text_[at_])) {
      ++at_;
      return builtin;
    }
    if (Next("P")) return Type() + "*";
    if (Next("R")) return Type() + "&";
    if (Next("K")) return Type() + " const";
    if (Next("St")) return "std::" + SourceName();
    if (!Next("N")) return SourceName();
    std::string name = Next("St") ? "std" : SourceName();
    while (ok_ && !Next("E")) name += "::" + SourceName();
    return name;
  }

  const std::string& text_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

}  // namespace

std::string DemangledTypeName(const std::string& mangled) {
  std::string name;
  return TTypeNameReader(mangled).ReadAll(name) ? name : mangled;
}

std::string WithClosingPeriod(const std::string& message) {
  if (message.empty()) return message;
  const std::string last = message.substr(LastCharacterStart(message));
  // As strings, the last character is greater than "." exactly when its first byte is: a lead
  // byte (0x81 and up) always is, and a one-byte character equal to "." is the whole string ".".
  return static_cast<unsigned char>(last[0]) > '.' ? message + "." : message;
}

std::string ComposeFatalErrorText(const std::string& text_template, const std::string& class_name,
                                  const std::string& module_path, std::uint32_t offset,
                                  const std::string& message) {
  const std::string period = (!message.empty() && message.back() != '.') ? "." : "";
  return CutText(FillTemplate(text_template, {class_name, FileNamePart(module_path), UpperHex(offset, 8), message, period}),
                 kFatalErrorTextLimit);
}
