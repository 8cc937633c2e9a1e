#include "platform/console_window.h"

namespace brenvo1::platform {

void ConsoleListBox::AddItem(std::string_view item) {
  items_.emplace_back(item);
  std::fwrite(item.data(), 1, item.size(), out_);
  std::fputc('\n', out_);
}

std::string ConsoleListBox::List(int index) const {
  if (index < 0 || index >= ListCount()) return {};
  return items_[static_cast<std::size_t>(index)];
}

void ConsoleMessageBox::Show(std::string_view text, std::span<const std::string> details) {
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fputc('\n', out_);
  for (const std::string& detail : details) {
    std::fwrite(detail.data(), 1, detail.size(), out_);
    std::fputc('\n', out_);
  }
  std::fflush(out_);
}

}  // namespace brenvo1::platform
