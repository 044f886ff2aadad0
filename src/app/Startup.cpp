// The program's start-up: the entry point that Windows calls and everything between it and the
// program's entry.
// It is linked in place of mingw-w64's crt2.o (cmake/FloorRuntime.cmake), whose prebuilt code, like
// the pesect and pseudo-reloc members it pulls in, is compiled for the Pentium Pro and holds CMOV.
//
// What this program needs of a start-up, and nothing more:
//  - the entry point, WinMainCRTStartup, which the linker takes for a windowed program;
//  - the thread-local storage directory, whose callback lets the runtime's thread keys (emulated
//    thread_local, the unwinder's per-thread state) run their destructors when a thread ends. On
//    the NT family only: 95, 98 and Me never call an executable's TLS callbacks, and the runtime,
//    never made ready, then registers no key destructors at all. Nothing depends on them here: the
//    program runs on one thread, which ends with the process;
//  - the C initialisers (.CRT$XI), then the C++ constructors (.CRT$XC and the .ctors list, with
//    the registration of the program's frame tables for the unwinder among them), and the
//    destructors (.dtors) registered to run at exit;
//  - the program's entry, ProgramEntry (src/app/Main.cpp, in place of a WinMain), called with
//    nothing: the program takes no command line, finds its module with GetModuleHandleA where it
//    needs it, and its message loop reads the show command from the start-up information. Its
//    result is the exit code, through exit(), which runs what atexit registered (the program's
//    own C runtime, CRuntime.cpp).
// Left out, because nothing here needs them: the command line, argc/argv and the environment,
// wildcard expansion, the x87 control word reset (the program does no floating-point arithmetic),
// the signal translation of structured exceptions, the stack cookie of Microsoft's compiler, and
// pseudo-relocations: the link refuses auto-imported data (-Wl,--disable-auto-import), so a
// program that would need them fails to link instead of starting with unrelocated references.
#include <windows.h>

#include <cstddef>
#include <cstdlib>

// The program's entry (src/app/Main.cpp). A WinMain would have to take the four parameters that
// <windows.h> declares, none of which it uses.
int ProgramEntry();

namespace {

using Initializer = int(__cdecl*)();
using Constructor = void(__cdecl*)();

}  // namespace

extern "C" {

// The linker script brackets the .ctors and .dtors lists: a first word of -1 (or the count), the
// entries, and a terminating 0.
extern Constructor __CTOR_LIST__[];
extern Constructor __DTOR_LIST__[];
// The runtime's thread-key bookkeeping (mingw-w64's libmingw32, tlsthrd.o): made ready on process
// attach, runs the keys' destructors on thread detach, frees itself on process detach. Where it is
// never called (95, 98 and Me) it stays unready and takes no destructors.
BOOL __cdecl __mingw_TLScallback(HANDLE module, DWORD reason, LPVOID reserved);

// The sections .CRT$X?A and .CRT$X?Z sort around every entry of their group, whoever put it there.
__attribute__((section(".CRT$XIA"), used)) Initializer quellmark_c_initializers_begin = nullptr;
__attribute__((section(".CRT$XIZ"), used)) Initializer quellmark_c_initializers_end = nullptr;
__attribute__((section(".CRT$XCA"), used)) Constructor quellmark_cpp_initializers_begin = nullptr;
__attribute__((section(".CRT$XCZ"), used)) Constructor quellmark_cpp_initializers_end = nullptr;

// Thread-local storage: the loader reads this directory (the linker finds it by the name _tls_used)
// and calls the callbacks listed between .CRT$XLA and .CRT$XLZ. The program has no static TLS
// data of its own (GCC emulates thread_local), so the template is just the two markers.
ULONG _tls_index = 0;
__attribute__((section(".tls$AAA"))) char quellmark_tls_start = 0;
__attribute__((section(".tls$ZZZ"))) char quellmark_tls_end = 0;
__attribute__((section(".CRT$XLA"), used)) PIMAGE_TLS_CALLBACK quellmark_tls_callbacks_begin = nullptr;
__attribute__((section(".CRT$XLZ"), used)) PIMAGE_TLS_CALLBACK quellmark_tls_callbacks_end = nullptr;

// IMAGE_TLS_DIRECTORY32 with its addresses as pointers, so that it is constant data the loader
// can read before any code has run.
struct TlsDirectory {
  void* raw_data_start;
  void* raw_data_end;
  ULONG* index;
  PIMAGE_TLS_CALLBACK* callbacks;
  DWORD zero_fill_size;
  DWORD characteristics;
};
static_assert(sizeof(TlsDirectory) == sizeof(IMAGE_TLS_DIRECTORY32), "the loader's layout");
__attribute__((section(".tls"), used)) extern const TlsDirectory _tls_used = {
    &quellmark_tls_start, &quellmark_tls_end, &_tls_index, &quellmark_tls_callbacks_begin + 1, 0, 0};

void NTAPI quellmark_forward_tls_event(PVOID module, DWORD reason, PVOID reserved) {
  __mingw_TLScallback(module, reason, reserved);
}
__attribute__((section(".CRT$XLC"), used)) PIMAGE_TLS_CALLBACK quellmark_tls_callback = quellmark_forward_tls_event;

}  // extern "C"

namespace {

// The first failing C initialiser's result, or 0.
int RunCInitializers() {
  for (Initializer* entry = &quellmark_c_initializers_begin + 1; entry < &quellmark_c_initializers_end; ++entry) {
    if (*entry == nullptr) continue;
    if (const int failure = (*entry)()) return failure;
  }
  return 0;
}

void __cdecl RunDestructors() {
  for (Constructor* entry = __DTOR_LIST__ + 1; *entry != nullptr; ++entry) (*entry)();
}

// The .ctors list runs from its last entry to its first (the frame tables' registration is last,
// so it runs before any constructor that might throw), then the destructors are registered.
void RunCppInitializers() {
  for (Constructor* entry = &quellmark_cpp_initializers_begin + 1; entry < &quellmark_cpp_initializers_end; ++entry) {
    if (*entry != nullptr) (*entry)();
  }
  std::size_t count = reinterpret_cast<std::size_t>(__CTOR_LIST__[0]);
  if (count == static_cast<std::size_t>(-1)) {
    for (count = 0; __CTOR_LIST__[count + 1] != nullptr; ++count) {
    }
  }
  for (std::size_t index = count; index >= 1; --index) __CTOR_LIST__[index]();
  std::atexit(RunDestructors);
}

}  // namespace

// The entry point. Windows starts it with a stack aligned to 4 bytes; the code after it assumes 16.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup() {
  if (const int failure = RunCInitializers()) std::exit(failure);
  RunCppInitializers();
  std::exit(ProgramEntry());
}

