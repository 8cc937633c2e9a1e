#include "tests/fake_window.h"

namespace brenvo1::testing {

void FakeWindow::SetMousePointer(platform::MousePointer value) {
  pointer = value;
  pointer_history.push_back(value);
}

void FakeWindow::Clear() {
  items.clear();
  list_index = -1;
  events.push_back("clear");
}

void FakeWindow::AddItem(std::string_view item) {
  items.emplace_back(item);
  events.push_back("add");
}

void FakeWindow::Refresh() { events.push_back("refresh"); }

void FakeWindow::FinishRefresh() { events.push_back("finish"); }

void FakeWindow::Show(std::string_view text, std::span<const std::string> details) {
  boxes.push_back({std::string(text), {details.begin(), details.end()}, pointer});
  events.push_back("box");
}

}  // namespace brenvo1::testing
