// brenvo1-scan's entry point on POSIX: arguments are taken as raw bytes.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/console_window.h"
#include "platform/posix_file_system.h"
#include "search/scan_main.h"

namespace {

using namespace brenvo1;

class PosixScanConsole : public search::ScanConsole {
 public:
  platform::ListBox& Hits() override { return hits_; }
  platform::MessageBox& Boxes() override { return boxes_; }
  std::optional<std::string> FinishHits() override {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return std::string(std::strerror(errno));
    return std::nullopt;
  }
  void Print(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
  void PrintError(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stderr); }

 private:
  platform::ConsoleListBox hits_{stdout};
  platform::ConsoleMessageBox boxes_{stderr};
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  platform::RaiseOpenFileLimit();

  // Hits go out in blocks, unless standard output is a terminal.
  static char stdout_buffer[1 << 16];
  std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);

  PosixScanConsole console;
  platform::PosixFileSystem fileSystem;
  return search::ScanMain(arguments, fileSystem, console);
}
