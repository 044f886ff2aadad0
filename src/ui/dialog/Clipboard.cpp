// The clipboard session and the global memory block that carries the text, each owned for one call.
#include "ui/dialog/Clipboard.h"

#include <windows.h>

#include <cstring>

#include "base/Exception.h"
#include "base/ResourceStrings.h"
#include "ui/widgets/Handles.h"

namespace {

const char kClipboardRefused[] = "クリップボードにテキストを置くことができません";

// The clipboard, opened for this thread; closed again whatever happens while it is open.
class ClipboardSession {
 public:
  ClipboardSession() {
    if (!OpenClipboard(nullptr)) throw Exception(ResourceString(kSClipboardOpenFailed));
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession() { CloseClipboard(); }
};

// A movable block locked for one scope.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {
    if (data_ == nullptr) throw Exception(kClipboardRefused);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  ~GlobalLockScope() { GlobalUnlock(block_); }
  void* Data() const noexcept { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

}  // namespace

void PlaceTextOnClipboard(const std::string& text) {
  const ClipboardSession session;
  // Until the clipboard takes it, the block is ours to free: destroyed before the session closes.
  UniqueGlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1));
  if (!block) throw Exception(kClipboardRefused);
  {
    const GlobalLockScope lock(block.Get());
    std::memcpy(lock.Data(), text.c_str(), text.size() + 1);
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, block.Get()) == nullptr) throw Exception(kClipboardRefused);
  }
  block.Release();  // the system's now
}
