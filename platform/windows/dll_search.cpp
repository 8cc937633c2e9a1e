#include "platform/windows/dll_search.h"

#include <windows.h>

namespace brenvo1::platform::windows {

void LoadDllsFromSystemFolderOnly() {
  // Looked up rather than imported: Windows 7 has it only with update
  // KB2533623, and a program importing it would not start without that.
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto set_default_dll_directories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (set_default_dll_directories) set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Takes the current folder out of the search, which is all that can be
  // done where the call above is missing.
  SetDllDirectoryW(L"");
}

}  // namespace brenvo1::platform::windows
