#pragma once

#include <string_view>

namespace brenvo1::platform {

// Starts the plain-text editor on one file and returns at once.
class TextEditor {
 public:
  virtual ~TextEditor() = default;
  // path is the raw bytes of the file's full path. Returns false when no
  // editor could be started.
  virtual bool Open(std::string_view path) = 0;
};

}  // namespace brenvo1::platform
