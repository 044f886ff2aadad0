// Registry names as Windows compares and keeps them: code page 932 bytes decoded to UTF-16,
// upper-cased one UTF-16 unit at a time, compared ordinally; stored in the code the conversion back
// to code page 932 gives.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/Cp932.h"

// The UTF-16 form of a code page 932 name, as the system's conversion gives it. Bytes that do not
// decode become private-use units (U+F700 + byte; 0x80, 0xA0 and 0xFD..0xFF as Windows maps them),
// so such names still compare and sort deterministically and never merge with a decodable name.
std::u16string DecodeCp932(const std::string& bytes);

// The registry's simple upper-case mapping of one UTF-16 unit: ASCII, Latin-1, Greek, Cyrillic,
// fullwidth Latin and the small Roman numerals. No width or kana folding; surrogates unchanged.
char16_t UpcaseUnit(char16_t unit);

// The name as lookups and the subkey order see it: decoded and upper-cased. Its length is the
// name's length in UTF-16 units, which the registry's name limits count.
std::u16string FoldedName(const std::string& bytes);
// The same for a name given in UTF-16, as a Unicode program passes it.
std::u16string FoldedName(std::u16string units);

// UTF-16 as the system's conversion to code page 932 gives it, with "?" for each unit the code page
// has no code for (and no best fit); *exact tells whether there was none, so that decoding the
// result gives the units back.
std::string EncodeCp932(const std::u16string& units, bool* exact);

// Rewrites in place every character that code page 932 has two codes for into the one the
// conversion back from UTF-16 gives, as the registry does by keeping names and strings in UTF-16:
// NEC row 13 against JIS X 0208 and the IBM extensions (FA 4A, the IBM Roman numeral one, becomes
// NEC's 87 54), the NEC-selected IBM extensions against the IBM ones (ED 40 becomes FA 5C). The length
// never changes; bytes that are no character stay as they are.
void CanonicalCp932(unsigned char* bytes, std::size_t size);
std::string CanonicalCp932(std::string bytes);

// The length in UTF-16 units of the system's conversion of the bytes: one unit per character, a
// double-byte one included. The registry's path limit counts these.
std::size_t Cp932Utf16Length(const std::string& bytes);
