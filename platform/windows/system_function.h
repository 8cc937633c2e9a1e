#pragma once

#include "platform/windows/windows_api.h"

namespace brenvo1::platform::windows {

// A function of a system library that older Windows versions lack, or
// nullptr there. The library must already be loaded (the program imports
// something else from it).
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) {
  const HMODULE module = GetModuleHandleW(library);
  if (!module) return nullptr;
  // Through void(*)(), the one function type GCC lets stand for any other.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace brenvo1::platform::windows
