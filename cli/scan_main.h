#pragma once

// brenvo1-scan FOLDER TEXT: the window's search run on a terminal. Hits go
// to standard output, one a line as raw bytes; what the window would say in
// a box goes to standard error, followed by its details.
//
// Exit status: 0 the run completed and everything was read; 1 the folder
// was missing; 2 wrong arguments; 3 the run completed but some entries could
// not be read; 4 the run failed, or its hits could not all be written (a
// failed write ends the run; a path the output cannot carry is named on
// standard error instead, and the run goes on).

#include <span>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "cli/scan_output.h"

namespace brenvo1::cli {

inline constexpr int kExitCompleted = 0;
inline constexpr int kExitFolderMissing = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitSkipped = 3;
inline constexpr int kExitFailed = 4;

// Runs brenvo1-scan on its arguments (without the program's name), as the
// system's entry point has read them, and returns the exit status.
int ScanMain(std::span<const std::string> arguments, platform::FileSystemService& file_system, ScanOutput& out,
             ScanOutput& err);

}  // namespace brenvo1::cli
