#pragma once

// brenvo1-scan's output on Windows. A console is written in UTF-16 with
// WriteConsoleW, so that accented names show whatever the console's code
// page; a file or a pipe gets the bytes unchanged (UTF-8, or WTF-8 for names
// that are not valid UTF-16), each line ending in "\n" alone.

#include <string>
#include <string_view>

#include "platform/window_services.h"

namespace brenvo1::platform {

class WindowsOutput {
 public:
  // handle: a Windows HANDLE, such as GetStdHandle(STD_OUTPUT_HANDLE).
  explicit WindowsOutput(void* handle);
  ~WindowsOutput() { Flush(); }
  WindowsOutput(const WindowsOutput&) = delete;
  WindowsOutput& operator=(const WindowsOutput&) = delete;

  // Keeps bytes until Flush, or until enough have gathered; a console takes
  // them per whole piece written, so a name is never cut in two.
  void Write(std::string_view bytes);
  void Flush();
  // True once any write has failed: the output is incomplete.
  bool failed() const { return failed_; }
  // The system's reason for the first failed write.
  const std::string& error() const { return error_; }
  bool console() const { return console_; }

 private:
  void Send(std::string_view bytes);
  void Fail();

  void* handle_;
  bool console_ = false;
  bool failed_ = false;
  std::string error_;
  std::string buffer_;
};

// The result list on a WindowsOutput: each item, then "\n", and nothing
// kept, as with ConsoleListBox. A failed write throws std::runtime_error,
// except in FinishRefresh, which leaves it to the caller's last check.
class WindowsConsoleListBox : public ListBox {
 public:
  explicit WindowsConsoleListBox(WindowsOutput& out) : out_(out) {}
  void Clear() override {}
  void AddItem(std::string_view item) override;
  void Refresh() override;
  void FinishRefresh() override { out_.Flush(); }
  int ListIndex() const override { return -1; }
  bool Selected(int) const override { return false; }
  std::string List(int) const override { return {}; }

 private:
  void ThrowIfFailed() const;

  WindowsOutput& out_;
};

// The message, then each detail, one per line.
class WindowsConsoleMessageBox : public MessageBox {
 public:
  explicit WindowsConsoleMessageBox(WindowsOutput& out) : out_(out) {}
  void Show(std::string_view text, std::span<const std::string> details) override;

 private:
  WindowsOutput& out_;
};

}  // namespace brenvo1::platform
