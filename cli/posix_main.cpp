// brenvo1-scan's entry point on POSIX: arguments are taken as raw bytes.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/posix/open_file_limit.h"
#include "platform/posix/posix_file_system.h"
#include "cli/scan_main.h"
#include "cli/stdio_output.h"

int main(int argc, char** argv) {
  using namespace brenvo1;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  platform::posix::OpenFileLimit::Raise();
  // A reader that went away (`brenvo1-scan ... | head -1`) is a failed
  // write, reported and ended with status 4, not a silent death by signal.
  std::signal(SIGPIPE, SIG_IGN);

  // Hits go out in blocks, unless standard output is a terminal.
  static char stdout_buffer[1 << 16];
  std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);

  cli::StdioOutput out(stdout);
  cli::StdioOutput err(stderr);
  platform::posix::PosixFileSystem file_system;
  return cli::ScanMain(arguments, file_system, out, err);
}
