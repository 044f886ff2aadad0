// The C runtime's heap and exit list over kernel32, which every Windows has (95 and NT 4.0 included).
#include <windows.h>

#include <cstdint>

#include "app/CRuntimeFunctions.h"

namespace {

// The program's destructors' runner, and the destructor of every function-local static object the
// compiler registers as it is first made: grown as needed, as msvcrt's table is.
ExitFunction* g_exit_functions = nullptr;
std::size_t g_exit_function_count = 0;
std::size_t g_exit_function_capacity = 0;

}  // namespace

void* AllocateBlock(std::size_t size) noexcept { return HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1); }

void FreeBlock(void* block) noexcept {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

void* ResizeBlock(void* block, std::size_t size) noexcept {
  if (block == nullptr) return AllocateBlock(size);
  if (size == 0) {
    FreeBlock(block);
    return nullptr;
  }
  // Null when it cannot grow: the block stays as it was, the caller's to free.
  return HeapReAlloc(GetProcessHeap(), 0, block, size);
}

void* AllocateZeroedBlock(std::size_t count, std::size_t size) noexcept {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  const std::size_t bytes = count * size;
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes != 0 ? bytes : 1);
}

bool RegisterExitFunction(ExitFunction function) noexcept {
  if (function == nullptr) return false;
  if (g_exit_function_count == g_exit_function_capacity) {
    const std::size_t capacity = g_exit_function_capacity == 0 ? 32 : 2 * g_exit_function_capacity;
    void* grown = ResizeBlock(g_exit_functions, capacity * sizeof(ExitFunction));
    if (grown == nullptr) return false;
    g_exit_functions = static_cast<ExitFunction*>(grown);
    g_exit_function_capacity = capacity;
  }
  g_exit_functions[g_exit_function_count++] = function;
  return true;
}

void EndProgram(int code) noexcept {
  // Taken off the list before it runs: one that ends the program itself does not run twice.
  while (g_exit_function_count > 0) g_exit_functions[--g_exit_function_count]();
  ExitProcess(static_cast<UINT>(code));
}

void AbortProgram() noexcept { ExitProcess(3); }
