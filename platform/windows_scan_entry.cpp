// brenvo1-scan's entry point on Windows: arguments come as UTF-16 and are
// taken as WTF-8, like every name; output as in windows_console.h.

#include <windows.h>

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
  void Complain(std::string_view message) override {
    err_.Write("brenvo1-scan: ");
    err_.Write(message);
    err_.Write("\n");
    err_.Flush();
  }
  void Usage() {
    err_.Write(search::kScanUsage);
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
  WindowsScanConsole console;
  if (argc != 3) {
    console.Usage();
    return search::kExitUsage;
  }
  platform::WindowsFileSystem fileSystem;
  return search::RunScan(platform::Wtf8FromWide(argv[1]), platform::Wtf8FromWide(argv[2]), fileSystem, console);
}
