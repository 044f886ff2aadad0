// The C runtime's functions under their C names, for the program alone: the linker takes these
// rather than msvcrt.dll's (CRuntimeFunctions.h says why).
#include <cstddef>

#include "app/CRuntimeFunctions.h"

extern "C" {

void* __cdecl malloc(std::size_t size) { return AllocateBlock(size); }
void __cdecl free(void* block) { FreeBlock(block); }
void* __cdecl realloc(void* block, std::size_t size) { return ResizeBlock(block, size); }
void* __cdecl calloc(std::size_t count, std::size_t size) { return AllocateZeroedBlock(count, size); }

void* __cdecl memmove(void* target, const void* source, std::size_t count) { return MoveBytes(target, source, count); }
int __cdecl memcmp(const void* left, const void* right, std::size_t count) { return CompareBytes(left, right, count); }
void* __cdecl memchr(const void* bytes, int value, std::size_t count) {
  return const_cast<void*>(FindByte(bytes, value, count));
}
int __cdecl strcmp(const char* left, const char* right) { return CompareStrings(left, right); }
std::size_t __cdecl strlen(const char* text) { return StringLength(text); }
char* __cdecl strncpy(char* target, const char* source, std::size_t count) {
  return CopyStringPadded(target, source, count);
}

using OnExitFunction = int(__cdecl*)();
OnExitFunction __cdecl _onexit(OnExitFunction function) {
  return RegisterExitFunction(reinterpret_cast<ExitFunction>(function)) ? function : nullptr;
}
int __cdecl atexit(void(__cdecl* function)()) { return RegisterExitFunction(function) ? 0 : -1; }
[[noreturn]] void __cdecl exit(int code) { EndProgram(code); }
// What the runtime calls when it cannot go on (the unwinder finding its tables broken).
[[noreturn]] void __cdecl abort() { AbortProgram(); }

}  // extern "C"
