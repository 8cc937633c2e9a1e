// brenvo1-scan's entry point on POSIX: arguments are taken as raw bytes.

#include <cerrno>
#include <cstdio>
#include <cstring>

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
  void Complain(std::string_view message) override {
    std::fprintf(stderr, "brenvo1-scan: %.*s\n", static_cast<int>(message.size()), message.data());
  }

 private:
  platform::ConsoleListBox hits_{stdout};
  platform::ConsoleMessageBox boxes_{stderr};
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs(search::kScanUsage.data(), stderr);
    return search::kExitUsage;
  }
  platform::RaiseOpenFileLimit();

  // Hits are flushed as they are found; a larger buffer keeps that cheap.
  static char stdout_buffer[1 << 16];
  std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);

  PosixScanConsole console;
  platform::PosixFileSystem fileSystem;
  return search::RunScan(argv[1], argv[2], fileSystem, console);
}
