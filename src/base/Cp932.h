// Code page 932 (Shift-JIS) byte classes, for walking text a character at a time.
#pragma once

// Lead bytes of a double-byte character; the byte after one belongs to it, even a 0x5C ("\") or
// an ASCII letter.
inline bool IsCp932LeadByte(unsigned char byte) noexcept {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
