#pragma once

// brenvo1-scan FOLDER TEXT: the program's search run with a terminal in
// place of the window. The run is the same on every platform; each
// platform's entry point reads the arguments and sets up the output.
//
// Exit status: 0 the run completed and everything was read; 1 the folder
// was missing; 2 wrong arguments; 3 the run completed but some entries could
// not be read; 4 the run failed, or its hits could not all be written.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/window_services.h"

namespace brenvo1::search {

inline constexpr int kExitCompleted = 0;
inline constexpr int kExitFolderMissing = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitSkipped = 3;
inline constexpr int kExitFailed = 4;

inline constexpr std::string_view kScanUsage = "uso: brenvo1-scan CARTELLA TESTO\n";

// Where a scan writes: hits on standard output, boxes and complaints on
// standard error.
class ScanConsole {
 public:
  virtual ~ScanConsole() = default;
  virtual platform::ListBox& Hits() = 0;
  virtual platform::MessageBox& Boxes() = 0;
  // Delivers the hits still held back; the reason when some could not be
  // written.
  virtual std::optional<std::string> FinishHits() = 0;
  virtual void Print(std::string_view text) = 0;       // standard output
  virtual void PrintError(std::string_view text) = 0;  // standard error
};

// Runs brenvo1-scan on its arguments (without the program's name), as the
// platform's entry point has read them, and returns the exit status.
int ScanMain(std::span<const std::string> arguments, platform::FileSystemService& fileSystem, ScanConsole& console);

}  // namespace brenvo1::search
