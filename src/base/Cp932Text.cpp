// Character-wise folding and splitting of code page 932 text.
#include "base/Cp932Text.h"

#include "base/Cp932.h"

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

bool HasNonAscii(const std::string& text) {
  for (const char byte : text) {
    if (static_cast<unsigned char>(byte) >= 0x80) return true;
  }
  return false;
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
