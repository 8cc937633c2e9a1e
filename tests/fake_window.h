#pragma once

// Window services that remember what a run did to them, in order, and the
// window's run command over them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "window/run_command.h"
#include "window/window_services.h"

namespace brenvo1::testing {

class FakeWindow : public window::ApplicationPointer,
                   public window::ListBox,
                   public window::MessageBox,
                   public window::Desktop {
 public:
  struct Box {
    std::string text;
    std::vector<std::string> details;
    window::MousePointer pointer_while_shown;
  };

  class Input : public window::TextBox {
   public:
    std::string Text() const override { return text; }
    std::string text;
  };

  Input txtPercorso;
  Input txtTesto;

  // The controls a run command takes.
  window::RunControls controls() { return {*this, txtPercorso, txtTesto, *this, *this, *this}; }

  void SetMousePointer(window::MousePointer pointer) override;
  void Clear() override;
  void AddItem(std::string_view item) override;
  void Refresh() override;
  int ListIndex() const override { return list_index; }
  bool Selected(int index) const override { return index == list_index; }
  std::string List(int index) const override { return items.at(static_cast<std::size_t>(index)); }
  void Show(std::string_view text, std::span<const std::string> details) override;
  void Dismiss() override;
  bool showing() const override { return showing_; }
  void AnswerWithoutInput() override;
  void DropPendingInput() override;

  // What the desktop does while a box is shown (the user closes it by
  // returning), and each time the window answers it.
  std::function<void()> while_box_shown;
  std::function<void()> on_answer;

  std::vector<std::string> items;
  int list_index = -1;
  std::vector<Box> boxes;
  int dismissed_boxes = 0;
  window::MousePointer pointer = window::MousePointer::Default;
  std::vector<window::MousePointer> pointer_history;
  // "clear", "add", "refresh", "box", "answer", "drop" in the order they
  // happened.
  std::vector<std::string> events;

 private:
  bool showing_ = false;
};

// The run command a window would have, over window and searching fs, which
// the caller keeps. Its clock moves a frame on at every look, so that every
// repaint is done at once and the desktop is answered at every look.
std::unique_ptr<window::RunCommand> MakeRunCommand(FakeWindow& window, platform::FileSystemService& fs);

}  // namespace brenvo1::testing
