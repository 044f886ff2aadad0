// The C runtime's functions that the program and the runtime members linked into it use, as the
// program's own: the string and memory functions here, and on Windows the heap and the exit list
// (CRuntimeHeap.cpp). CRuntime.cpp gives them their C names in the program alone, so that no
// msvcrt.dll is imported: a DLL of that name beside the program (a download folder) would be loaded
// before its first line runs, and Windows 95 has none until Internet Explorer brings one. The names
// here are the program's, so that the tests can hold each against the library's own.
#pragma once

#include <cstddef>

// memmove: count bytes from source to target, which may overlap.
void* MoveBytes(void* target, const void* source, std::size_t count) noexcept;
// memcmp: the sign of the first differing byte pair, as unsigned char.
int CompareBytes(const void* left, const void* right, std::size_t count) noexcept;
// memchr: the first of count bytes that equals value as unsigned char, or null.
const void* FindByte(const void* bytes, int value, std::size_t count) noexcept;
// strcmp: the sign of the first differing character pair, as unsigned char.
int CompareStrings(const char* left, const char* right) noexcept;
// strlen.
std::size_t StringLength(const char* text) noexcept;
// strncpy: at most count characters of source, the rest of count filled with NULs; no NUL when
// source is count characters or longer.
char* CopyStringPadded(char* target, const char* source, std::size_t count) noexcept;

#ifdef _WIN32
// malloc, free, realloc and calloc over the process heap. Zero bytes give a block of their own;
// realloc to zero bytes frees and gives null; calloc's product is checked before it sizes a block.
void* AllocateBlock(std::size_t size) noexcept;
void FreeBlock(void* block) noexcept;
void* ResizeBlock(void* block, std::size_t size) noexcept;
void* AllocateZeroedBlock(std::size_t count, std::size_t size) noexcept;

using ExitFunction = void(__cdecl*)();
// _onexit: function joins the list that EndProgram runs, last registered first; false when no
// memory is left to grow the list.
bool RegisterExitFunction(ExitFunction function) noexcept;
// exit: the list, then the process ends with code.
[[noreturn]] void EndProgram(int code) noexcept;
// abort: the process ends at once with msvcrt's exit code for it, 3, nothing on the list run (the
// state that made the runtime give up may be what they would touch). A failure the program knows
// of has had its report already (std::terminate's handler, src/app/Application.h).
[[noreturn]] void AbortProgram() noexcept;
#endif
