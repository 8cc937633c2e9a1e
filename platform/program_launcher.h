#pragma once

#include <string_view>

namespace brenvo1::platform {

// Starts the plain-text editor on one file and returns at once.
class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  // path is the raw bytes of the file's full path. Returns false when no
  // editor could be started.
  virtual bool OpenInTextEditor(std::string_view path) = 0;
};

}  // namespace brenvo1::platform
