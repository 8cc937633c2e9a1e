// A harmless DLL that planted_dll_test.sh puts beside brenvo1.exe under
// the name of a system DLL. Loaded, it does one thing: it creates the file
// named by BRENVO1_PLANTED_MARKER, so that the test sees it was loaded.

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[32768];
  const DWORD length = GetEnvironmentVariableW(L"BRENVO1_PLANTED_MARKER", marker, 32768);
  if (length == 0 || length >= 32768) return TRUE;
  const HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return TRUE;
}
