#pragma once

// Window services on a terminal, for running the program's search without a
// window: hits go to standard output, message boxes to standard error.

#include <cstdio>
#include <string>
#include <vector>

#include "platform/window_services.h"

namespace brenvo1::platform {

class ConsolePointer : public ApplicationPointer {
 public:
  void SetMousePointer(MousePointer pointer) override { pointer_ = pointer; }
  MousePointer pointer() const { return pointer_; }

 private:
  MousePointer pointer_ = MousePointer::Default;
};

class ConsoleTextBox : public TextBox {
 public:
  explicit ConsoleTextBox(std::string text) : text_(std::move(text)) {}
  std::string Text() const override { return text_; }

 private:
  std::string text_;
};

// Writes each appended item to out as raw bytes and a newline. Items written
// cannot be taken back: Clear only forgets them.
class ConsoleListBox : public ListBox {
 public:
  explicit ConsoleListBox(std::FILE* out) : out_(out) {}
  void Clear() override { items_.clear(); }
  void AddItem(std::string_view item) override;
  void Refresh() override { std::fflush(out_); }
  void FinishRefresh() override { std::fflush(out_); }
  int ListIndex() const override { return -1; }
  bool Selected(int) const override { return false; }
  std::string List(int index) const override;
  int ListCount() const { return static_cast<int>(items_.size()); }

 private:
  std::FILE* out_;
  std::vector<std::string> items_;
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
