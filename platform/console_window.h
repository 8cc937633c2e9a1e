#pragma once

// Window services on a terminal, for running the program's search without a
// window: hits go to standard output, message boxes to standard error.

#include <cstdio>
#include <string>

#include "platform/window_services.h"

namespace brenvo1::platform {

// A terminal has no pointer to show.
class ConsolePointer : public ApplicationPointer {
 public:
  void SetMousePointer(MousePointer) override {}
};

class ConsoleTextBox : public TextBox {
 public:
  explicit ConsoleTextBox(std::string text) : text_(std::move(text)) {}
  std::string Text() const override { return text_; }

 private:
  std::string text_;
};

// Writes each appended item to out as raw bytes and a newline, and keeps
// nothing: a terminal has no current item to open. Items written cannot be
// taken back, so Clear does nothing. Output to a terminal shows each hit at
// once; to a file or a pipe it is written in blocks. A failed write throws
// std::runtime_error, as hits that cannot be delivered end the run; only
// FinishRefresh, called as a run ends, leaves the failure for the caller's
// last check of the stream.
class ConsoleListBox : public ListBox {
 public:
  explicit ConsoleListBox(std::FILE* out);
  void Clear() override {}
  void AddItem(std::string_view item) override;
  void Refresh() override;
  void FinishRefresh() override { std::fflush(out_); }
  int ListIndex() const override { return -1; }
  bool Selected(int) const override { return false; }
  std::string List(int) const override { return {}; }

 private:
  [[noreturn]] void Fail() const;

  std::FILE* out_;
  bool interactive_;
};

// Writes the message, then each detail, one per line.
class ConsoleMessageBox : public MessageBox {
 public:
  explicit ConsoleMessageBox(std::FILE* out) : out_(out) {}
  void Show(std::string_view text, std::span<const std::string> details) override;

 private:
  std::FILE* out_;
};

}  // namespace brenvo1::platform
