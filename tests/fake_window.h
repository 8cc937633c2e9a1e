#pragma once

// Window services that remember what a search run did to them, in order.

#include <string>
#include <vector>

#include "platform/window_services.h"
#include "search/search_run.h"

namespace brenvo1::testing {

class FakeWindow : public platform::ApplicationPointer, public platform::ListBox, public platform::MessageBox {
 public:
  struct Box {
    std::string text;
    std::vector<std::string> details;
    platform::MousePointer pointer_while_shown;
  };

  class Input : public platform::TextBox {
   public:
    std::string Text() const override { return text; }
    std::string text;
  };

  Input txtPercorso;
  Input txtTesto;

  // The controls a search run takes.
  search::SearchControls controls() { return {*this, txtPercorso, txtTesto, *this, *this}; }

  void SetMousePointer(platform::MousePointer pointer) override;
  void Clear() override;
  void AddItem(std::string_view item) override;
  void Refresh() override;
  void FinishRefresh() override;
  int ListIndex() const override { return list_index; }
  bool Selected(int index) const override { return index == list_index; }
  std::string List(int index) const override { return items.at(static_cast<std::size_t>(index)); }
  void Show(std::string_view text, std::span<const std::string> details) override;

  std::vector<std::string> items;
  int list_index = -1;
  std::vector<Box> boxes;
  platform::MousePointer pointer = platform::MousePointer::Default;
  std::vector<platform::MousePointer> pointer_history;
  // "clear", "add", "refresh", "finish", "box" in the order they happened.
  std::vector<std::string> events;
};

}  // namespace brenvo1::testing
