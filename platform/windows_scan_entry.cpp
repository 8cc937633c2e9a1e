// brenvo1-scan's entry point on Windows: arguments come as UTF-16 and are
// taken as WTF-8, like every name; output as in windows_console.h.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/dll_search.h"
#include "platform/windows_console.h"
#include "platform/windows_file_system.h"
#include "search/scan_main.h"

namespace {

using namespace brenvo1;

class WindowsScanConsole : public search::ScanConsole {
 public:
  platform::ListBox& Hits() override { return hits_; }
  platform::MessageBox& Boxes() override { return boxes_; }
  std::optional<std::string> FinishHits() override {
    out_.Flush();
    if (out_.failed()) return out_.error();
    return std::nullopt;
  }
  void Print(std::string_view text) override {
    out_.Write(text);
    out_.Flush();
  }
  void PrintError(std::string_view text) override {
    err_.Write(text);
    err_.Flush();
  }

 private:
  platform::WindowsOutput out_{GetStdHandle(STD_OUTPUT_HANDLE)};
  platform::WindowsOutput err_{GetStdHandle(STD_ERROR_HANDLE)};
  platform::WindowsConsoleListBox hits_{out_};
  platform::WindowsConsoleMessageBox boxes_{err_};
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  platform::LoadDllsFromSystemFolderOnly();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(platform::Wtf8FromWide(argv[i]));
  WindowsScanConsole console;
  platform::WindowsFileSystem fileSystem;
  return search::ScanMain(arguments, fileSystem, console);
}
