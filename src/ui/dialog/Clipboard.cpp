// The clipboard session and the global memory block that carries the text, each owned for one call.
#include "ui/dialog/Clipboard.h"

#include <windows.h>

#include <cstring>

#include "base/Exception.h"
#include "base/Handles.h"
#include "base/ResourceStrings.h"

void PlaceTextOnClipboard(HWND owner, const std::string& text) {
  const UniqueClipboard session(OpenClipboard(owner) != FALSE);
  if (!session) throw Exception(ResourceString(kSClipboardOpenFailed));
  // Until the clipboard takes it, the block is ours to free: destroyed before the session closes.
  UniqueGlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1));
  if (!block) throw Exception(ResourceString(kSClipboardRefused));
  {
    void* data = GlobalLock(block.Get());
    if (data == nullptr) throw Exception(ResourceString(kSClipboardRefused));
    const UniqueGlobalLock lock(block.Get());
    std::memcpy(data, text.c_str(), text.size() + 1);
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, block.Get()) == nullptr) throw Exception(ResourceString(kSClipboardRefused));
  }
  block.Release();  // the system's now
}
