#include "platform/console_window.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace brenvo1::platform {

ConsoleListBox::ConsoleListBox(std::FILE* out) : out_(out), interactive_(::isatty(::fileno(out)) != 0) {}

void ConsoleListBox::AddItem(std::string_view item) {
  if (std::fwrite(item.data(), 1, item.size(), out_) != item.size() || std::fputc('\n', out_) == EOF) Fail();
}

void ConsoleListBox::Refresh() {
  if (interactive_ && std::fflush(out_) != 0) Fail();
}

void ConsoleListBox::Fail() const {
  throw std::runtime_error(std::string("scrittura dei risultati: ") + std::strerror(errno));
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
