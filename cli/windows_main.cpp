// brenvo1-scan's entry point on Windows: arguments come as UTF-16 and are
// taken as WTF-8, like every name; output as in windows_output.h.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/windows/dll_search.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_file_system.h"
#include "cli/scan_main.h"
#include "cli/windows_arguments.h"
#include "cli/windows_output.h"
#include "messages/texts.h"

int wmain(int argc, wchar_t** argv) {
  using namespace brenvo1;
  platform::windows::LoadDllsFromSystemFolderOnly();
  const std::vector<std::wstring> wide =
      cli::ScanArguments(GetCommandLineW(), std::vector<std::wstring>(argv + 1, argv + argc));
  cli::WindowsOutput out(GetStdHandle(STD_OUTPUT_HANDLE));
  cli::WindowsOutput err(GetStdHandle(STD_ERROR_HANDLE));
  // Windows programs answer /? with their usage; no folder can be named
  // so, ? being no name's character.
  if (wide.size() == 1 && wide[0] == L"/?") {
    out.Write(messages::kScanUsage);
    out.Flush();
    return out.failure() ? cli::kExitFailed : cli::kExitCompleted;
  }
  std::vector<std::string> arguments;
  for (const std::wstring& argument : wide) arguments.push_back(platform::windows::Wtf8Text(argument));
  platform::windows::WindowsFileSystem file_system;
  return cli::ScanMain(arguments, file_system, out, err);
}
