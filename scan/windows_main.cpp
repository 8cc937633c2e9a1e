// brenvo1-scan's entry point on Windows: arguments come as UTF-16 and are
// taken as WTF-8, like every name; output as in windows_output.h.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/dll_search.h"
#include "platform/windows_file_system.h"
#include "scan/scan_main.h"
#include "scan/windows_output.h"

int wmain(int argc, wchar_t** argv) {
  using namespace brenvo1;
  platform::LoadDllsFromSystemFolderOnly();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(platform::Wtf8FromWide(argv[i]));
  scan::WindowsOutput out(GetStdHandle(STD_OUTPUT_HANDLE));
  scan::WindowsOutput err(GetStdHandle(STD_ERROR_HANDLE));
  platform::WindowsFileSystem file_system;
  return scan::ScanMain(arguments, file_system, out, err);
}
