#pragma once

// brenvo1-scan's output on Windows. A console is written in UTF-16 with
// WriteConsoleW, so that accented names show whatever the console's code
// page; a file or a pipe gets the bytes unchanged (UTF-8, or WTF-8 for names
// that are not valid UTF-16), each line ending in "\n" alone.

#include <string>
#include <string_view>

#include "cli/scan_output.h"

namespace brenvo1::cli {

class WindowsOutput : public ScanOutput {
 public:
  // handle: a Windows HANDLE, such as GetStdHandle(STD_OUTPUT_HANDLE).
  explicit WindowsOutput(void* handle);
  ~WindowsOutput() override { Flush(); }
  WindowsOutput(const WindowsOutput&) = delete;
  WindowsOutput& operator=(const WindowsOutput&) = delete;

  // A console takes bytes per whole piece written, so a name is never cut
  // in two.
  void Write(std::string_view bytes) override;
  void Flush() override;
  bool interactive() const override { return console_; }
  std::optional<std::string> failure() const override;

 private:
  void Send(std::string_view bytes);
  void Fail();

  void* handle_;
  bool console_ = false;
  bool failed_ = false;
  std::string error_;
  std::string buffer_;
};

}  // namespace brenvo1::cli
