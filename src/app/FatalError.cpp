// The fatal error report: module and offset of the fault, the text 65513, the task-modal box.
#include "app/FatalError.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <typeinfo>

#include "app/ErrorText.h"
#include "app/LeanRuntime.h"
#include "base/Exception.h"
#include "base/ResourceStrings.h"

#include <cxxabi.h>

namespace {

constexpr std::size_t kCaptionLimit = 63;

std::string ModuleFileName(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  return (length > 0 && length < MAX_PATH) ? std::string(path, length) : std::string();
}

}  // namespace

__attribute__((noinline)) const void* CallerAddress() noexcept { return __builtin_return_address(0); }

void ShowFatalError(std::exception_ptr object, const void* address) noexcept {
  try {
    std::string module_path;
    std::uint32_t offset = 0;
    MEMORY_BASIC_INFORMATION region{};
    if (address != nullptr && VirtualQuery(address, &region, sizeof region) == sizeof region &&
        region.State == MEM_COMMIT) {
      module_path = ModuleFileName(static_cast<HMODULE>(region.AllocationBase));
      if (!module_path.empty()) {
        offset = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address) -
                                            reinterpret_cast<std::uintptr_t>(region.AllocationBase));
      }
    }
    if (module_path.empty()) {
      module_path = ModuleFileName(nullptr);
      offset = address != nullptr ? static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address) - 0x1000) : 0;
    }

    std::string class_name;
    std::string message;
    try {
      std::rethrow_exception(object);
    } catch (const Exception& exception) {
      class_name = exception.ClassName();
      message = exception.Message();
    } catch (const EStandardFailure& failure) {
      // Not an Exception: named, with no message, like any other object.
      class_name = failure.ClassName();
    } catch (...) {
      // Not one of ours: its type as the compiler names it, made readable by our own small reader
      // (the runtime's demangler costs 77 KB).
      const std::type_info* type = abi::__cxa_current_exception_type();
      class_name = type != nullptr ? DemangledTypeName(type->name()) : "?";
    }

    const std::string text =
        ComposeFatalErrorText(ResourceString(kSFatalErrorText), class_name, module_path, offset, message);
    const std::string caption = CutText(ResourceString(kSFatalErrorCaption), kCaptionLimit);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_TASKMODAL | MB_ICONSTOP);
  } catch (...) {
    // Out of memory for the text: the box cannot be shown, the caller goes on as after it.
  }
}

