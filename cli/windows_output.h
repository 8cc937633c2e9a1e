#pragma once

// brenvo1-scan's output on Windows.
//
// A console is written in UTF-16 with WriteConsoleW, so that accented names
// show whatever the console's code page.
//
// A file or a pipe of a program started from a console is read by the
// console's own tools (type, more, findstr, for /f), which take its bytes in
// the console's output code page (chcp) and lines ending in CRLF: it is
// written so. A hit's path that code page cannot hold exactly is not
// written at all (WriteExact says so), never written with a look-alike or
// "?" in its place; other text (the messages of standard error) shows such
// a character as the code page's default, "?".
//
// Without a console (a program started by a service or a window, with its
// output redirected), no code page is the reader's: the bytes go unchanged
// (UTF-8, or WTF-8 for names that are not valid UTF-16), each line ending in
// "\n" alone, as scripts have always read them.

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
  bool WriteExact(std::string_view bytes) override;
  void Flush() override;
  bool interactive() const override { return console_; }
  std::optional<std::string> failure() const override;

 private:
  bool Put(std::string_view bytes, bool exact);
  void Buffer(std::string_view bytes);
  void Send(std::string_view bytes);
  void Fail();

  void* handle_;
  bool console_ = false;
  // The console's output code page for a file or a pipe; 0 for none.
  unsigned code_page_ = 0;
  bool failed_ = false;
  std::string error_;
  std::string buffer_;
};

}  // namespace brenvo1::cli
