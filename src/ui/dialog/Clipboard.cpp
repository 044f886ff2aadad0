// The clipboard session and the global memory blocks that carry the text and its language, each owned
// for one call.
#include "ui/dialog/Clipboard.h"

#include <windows.h>

#include <cstring>

#include "base/Exception.h"
#include "base/Handles.h"
#include "base/ResourceStrings.h"

namespace {

// Japanese (Japan): the language whose code page (932) the text is in.
constexpr DWORD kJapaneseLocale = 0x0411;

// A movable, shareable block holding a copy of size bytes at data, unlocked again as the clipboard
// takes it; raises Exception when memory cannot be had.
UniqueGlobalMemory CopyToBlock(const void* data, std::size_t size) {
  UniqueGlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size));
  void* target = block ? GlobalLock(block.Get()) : nullptr;
  if (target == nullptr) throw Exception(ResourceString(kSClipboardRefused));
  const UniqueGlobalLock lock(block.Get());
  std::memcpy(target, data, size);
  return block;
}

}  // namespace

void PlaceTextOnClipboard(HWND owner, const std::string& text) {
  const UniqueClipboard session(OpenClipboard(owner) != FALSE);
  if (!session) throw Exception(ResourceString(kSClipboardOpenFailed));
  // Until the clipboard takes them, the blocks are ours to free: destroyed before the session closes.
  UniqueGlobalMemory text_block = CopyToBlock(text.c_str(), text.size() + 1);
  UniqueGlobalMemory locale_block = CopyToBlock(&kJapaneseLocale, sizeof kJapaneseLocale);
  EmptyClipboard();
  if (SetClipboardData(CF_TEXT, text_block.Get()) == nullptr) throw Exception(ResourceString(kSClipboardRefused));
  text_block.Release();  // the system's now
  // Without it, the system would make the Unicode text for other programs with the code page of the
  // keyboard layout active at this moment: with an English one, the Japanese text as garbage. Text
  // without its language is not left behind.
  if (SetClipboardData(CF_LOCALE, locale_block.Get()) == nullptr) {
    EmptyClipboard();
    throw Exception(ResourceString(kSClipboardRefused));
  }
  locale_block.Release();
}
