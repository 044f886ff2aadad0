// The Win32 handle kinds of the program, each owned by the one UniqueHandle template.
#pragma once

#include <windows.h>

#include "base/UniqueHandle.h"

struct WindowTraits : NullIsInvalid<HWND> {
  static void Close(HWND window) noexcept { DestroyWindow(window); }
};
struct GdiObjectTraits : NullIsInvalid<HFONT> {
  static void Close(HFONT object) noexcept { DeleteObject(object); }
};
struct MemoryDcTraits : NullIsInvalid<HDC> {
  static void Close(HDC dc) noexcept { DeleteDC(dc); }
};
struct GlobalMemoryTraits : NullIsInvalid<HGLOBAL> {
  static void Close(HGLOBAL memory) noexcept { GlobalFree(memory); }
};
// A locked movable block: unlocked again, not freed.
struct GlobalLockTraits : NullIsInvalid<HGLOBAL> {
  static void Close(HGLOBAL memory) noexcept { GlobalUnlock(memory); }
};
struct KernelObjectTraits : NullIsInvalid<HANDLE> {
  static void Close(HANDLE object) noexcept { CloseHandle(object); }
};
// A mutex this thread owns: released, not closed (the handle's own owner closes it afterwards).
struct MutexOwnershipTraits : NullIsInvalid<HANDLE> {
  static void Close(HANDLE mutex) noexcept { ReleaseMutex(mutex); }
};
// The clipboard opened by this thread; "true" while it is open.
struct ClipboardTraits {
  using Handle = bool;
  static constexpr bool Invalid() noexcept { return false; }
  static void Close(bool) noexcept { CloseClipboard(); }
};

using UniqueHwnd = UniqueHandle<WindowTraits>;
using UniqueFont = UniqueHandle<GdiObjectTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueGlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using UniqueGlobalLock = UniqueHandle<GlobalLockTraits>;
using UniqueKernelObject = UniqueHandle<KernelObjectTraits>;
using UniqueMutexOwnership = UniqueHandle<MutexOwnershipTraits>;
using UniqueClipboard = UniqueHandle<ClipboardTraits>;
