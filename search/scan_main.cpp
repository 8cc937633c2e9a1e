// brenvo1-scan FOLDER TEXT: runs the program's search run with a terminal in
// place of the window. Hits go to standard output, one per line as raw
// bytes; message boxes go to standard error.
//
// Exit status: 0 the run completed and everything was read; 1 the folder
// was missing; 2 wrong arguments; 3 the run completed but some entries could
// not be read; 4 the run failed, or its hits could not all be written.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include "platform/console_window.h"
#include "platform/posix_file_system.h"
#include "search/search_run.h"

int main(int argc, char** argv) {
  using namespace brenvo1;
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("brenvo1-scan " BRENVO1_VERSION);
    return 0;
  }
  if (argc != 3) {
    std::fputs("uso: brenvo1-scan CARTELLA TESTO\n", stderr);
    return 2;
  }
  platform::RaiseOpenFileLimit();

  // Hits go out in blocks, unless standard output is a terminal.
  static char stdout_buffer[1 << 16];
  std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);

  platform::ConsolePointer screen;
  const platform::ConsoleTextBox txtPercorso(argv[1]);
  const platform::ConsoleTextBox txtTesto(argv[2]);
  platform::ConsoleListBox lstFile(stdout);
  platform::ConsoleMessageBox messageBox(stderr);
  platform::PosixFileSystem fileSystem;

  try {
    const search::RunOutcome outcome =
        search::Command1_Click({screen, txtPercorso, txtTesto, lstFile, messageBox}, fileSystem);
    // A hit lost on the way out is a failed run, never a success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      std::fprintf(stderr, "brenvo1-scan: scrittura dei risultati: %s\n", std::strerror(errno));
      return 4;
    }
    switch (outcome.status) {
      case search::RunStatus::Completed:
        return 0;
      case search::RunStatus::FolderMissing:
        return 1;
      case search::RunStatus::CompletedWithSkips:
        return 3;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "brenvo1-scan: %s\n", error.what());
  }
  return 4;
}
