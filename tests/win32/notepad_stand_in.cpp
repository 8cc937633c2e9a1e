// Stands in for Notepad in the window test's own Wine prefix: writes the
// command line it was started with, as UTF-8, to the file named by
// BRENVO1_NOTEPAD_RECORD, and ends. The test compares it byte for byte.

#include <windows.h>

#include <string>

#include "platform/windows/wide_text.h"

int wmain() {
  wchar_t record[32768];
  const DWORD length = GetEnvironmentVariableW(L"BRENVO1_NOTEPAD_RECORD", record, 32768);
  if (length == 0 || length >= 32768) return 2;
  const std::string line = brenvo1::platform::windows::Wtf8Text(GetCommandLineW());
  // Written whole under another name first: the test never reads half.
  const std::wstring partial = std::wstring(record) + L".partial";
  const HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const bool ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                  written == line.size();
  CloseHandle(file);
  return ok && MoveFileExW(partial.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
