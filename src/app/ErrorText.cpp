// The error reports' texts: closing period, module file name, fatal error report.
#include "app/ErrorText.h"

namespace {

// A lead byte of a double-byte character in code page 932: the byte after it belongs to it.
bool IsLeadByte(char byte) noexcept {
  const auto value = static_cast<unsigned char>(byte);
  return (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
}

}  // namespace

std::size_t LastCharacterStart(const std::string& text) noexcept {
  // Walking forward is the only safe way: a trail byte can look like any single-byte character.
  std::size_t start = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    start = i;
    if (IsLeadByte(text[i]) && i + 1 < text.size()) ++i;
  }
  return start;
}

std::string WithClosingPeriod(const std::string& message) {
  if (message.empty()) return message;
  const std::string last = message.substr(LastCharacterStart(message));
  // As strings, the last character is greater than "." exactly when its first byte is: a lead
  // byte (0x81 and up) always is, and a one-byte character equal to "." is the whole string ".".
  return static_cast<unsigned char>(last[0]) > '.' ? message + "." : message;
}

std::string FileNameOfPath(const std::string& path) {
  // 0x5C can be the trail byte of a double-byte character, so walk by characters.
  std::size_t name_start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(path[i]) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\') {
      name_start = i + 1;
    }
  }
  return path.substr(name_start);
}

std::string HexDigits8(std::uint32_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i) {
    text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return text;
}

std::string FillTemplate(const std::string& text_template, const std::string* arguments, std::size_t count) {
  std::string result;
  std::size_t next = 0;
  for (std::size_t i = 0; i < text_template.size(); ++i) {
    const char c = text_template[i];
    if (IsLeadByte(c) && i + 1 < text_template.size()) {
      result += c;
      result += text_template[++i];
      continue;
    }
    if (c != '%' || i + 1 == text_template.size()) {
      result += c;
      continue;
    }
    const char kind = text_template[++i];
    if (kind == '%') {
      result += '%';
    } else {
      if (next < count) result += arguments[next];
      ++next;
    }
  }
  return result;
}

std::string CutText(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = 0;
  for (std::size_t i = 0; i < limit;) {
    const std::size_t width = IsLeadByte(text[i]) ? 2 : 1;
    if (i + width > limit) break;
    i += width;
    end = i;
  }
  return text.substr(0, end);
}

std::string ComposeFatalErrorText(const std::string& text_template, const std::string& class_name,
                                  const std::string& module_path, std::uint32_t offset,
                                  const std::string& message) {
  const std::string period = (!message.empty() && message.back() != '.') ? "." : "";
  const std::string arguments[] = {class_name, FileNameOfPath(module_path), HexDigits8(offset), message, period};
  return CutText(FillTemplate(text_template, arguments, 5), kFatalErrorTextLimit);
}
