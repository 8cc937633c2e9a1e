// brenvo1-scan's entry point on Windows: arguments come as UTF-16 and are
// taken as WTF-8, like every name; output as in windows_output.h.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/dll_search.h"
#include "platform/windows_file_system.h"
#include "scan/scan_main.h"
#include "scan/windows_arguments.h"
#include "scan/windows_output.h"

int wmain(int argc, wchar_t** argv) {
  using namespace brenvo1;
  platform::LoadDllsFromSystemFolderOnly();
  const std::vector<std::wstring> wide =
      scan::ScanArguments(GetCommandLineW(), std::vector<std::wstring>(argv + 1, argv + argc));
  scan::WindowsOutput out(GetStdHandle(STD_OUTPUT_HANDLE));
  scan::WindowsOutput err(GetStdHandle(STD_ERROR_HANDLE));
  // Windows programs answer /? with their usage; no folder can be named
  // so, ? being no name's character.
  if (wide.size() == 1 && wide[0] == L"/?") {
    out.Write(scan::kScanUsage);
    out.Flush();
    return out.failure() ? scan::kExitFailed : scan::kExitCompleted;
  }
  std::vector<std::string> arguments;
  for (const std::wstring& argument : wide) arguments.push_back(platform::Wtf8FromWide(argument));
  platform::WindowsFileSystem file_system;
  return scan::ScanMain(arguments, file_system, out, err);
}
