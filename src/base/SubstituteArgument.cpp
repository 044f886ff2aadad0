// Template filling without printf: outside text never becomes a format string.
#include "base/ResourceStrings.h"

std::string SubstituteArgument(const std::string& text_template, const std::string& argument) {
  // '%' (0x25) is never the trail byte of a double-byte character, so a byte search is safe.
  const std::string::size_type at = text_template.find("%s");
  if (at == std::string::npos) return text_template;
  std::string result = text_template.substr(0, at);
  result += argument;
  result += text_template.substr(at + 2);
  return result;
}
