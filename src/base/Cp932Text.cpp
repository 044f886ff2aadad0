// Character-wise folding, splitting, cutting and template filling of code page 932 text.
#include "base/Cp932Text.h"

#include "base/Cp932.h"

namespace {

bool IsLeadByte(char byte) noexcept { return IsCp932LeadByte(static_cast<unsigned char>(byte)); }

}  // namespace

std::string FoldAsciiCase(std::string text) {
  for (std::string::size_type index = 0; index < text.size(); ++index) {
    char& byte = text[index];
    if (IsCp932LeadByte(static_cast<unsigned char>(byte))) {
      ++index;  // the trail byte belongs to the character, whatever letter it looks like
    } else if (byte >= 'A' && byte <= 'Z') {
      byte = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return text;
}

std::string FileNamePart(const std::string& path) {
  std::string::size_type start = 0;
  for (std::string::size_type index = 0; index < path.size(); ++index) {
    if (IsCp932LeadByte(static_cast<unsigned char>(path[index]))) {
      ++index;  // its trail byte may be 0x5C and is no separator
    } else if (path[index] == '\\') {
      start = index + 1;
    }
  }
  return path.substr(start);
}

std::size_t LastCharacterStart(const std::string& text) noexcept {
  // Walking forward is the only safe way: a trail byte can look like any single-byte character.
  std::size_t start = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    start = i;
    if (IsLeadByte(text[i]) && i + 1 < text.size()) ++i;
  }
  return start;
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

std::string FillTemplate(const std::string& text_template, std::initializer_list<std::string> arguments) {
  std::string result;
  auto next = arguments.begin();
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
    if (text_template[++i] == '%') {
      result += '%';
    } else if (next != arguments.end()) {
      result += *next++;
    }
  }
  return result;
}
