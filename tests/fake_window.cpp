#include "tests/fake_window.h"

namespace brenvo1::testing {

namespace {

// Lends the run command a file system that the test keeps.
class BorrowedFileSystem : public platform::FileSystemService {
 public:
  explicit BorrowedFileSystem(platform::FileSystemService& fs) : fs_(fs) {}
  bool FolderExists(std::string_view path) override { return fs_.FolderExists(path); }
  platform::OpenedFolder GetFolder(std::string_view path) override { return fs_.GetFolder(path); }

 private:
  platform::FileSystemService& fs_;
};

}  // namespace

void FakeWindow::SetMousePointer(window::MousePointer value) {
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

void FakeWindow::Show(std::string_view text, std::span<const std::string> details) {
  boxes.push_back({std::string(text), {details.begin(), details.end()}, pointer});
  events.push_back("box");
  showing_ = true;
  if (while_box_shown) while_box_shown();
  showing_ = false;
}

void FakeWindow::Dismiss() {
  if (showing_) ++dismissed_boxes;
}

void FakeWindow::AnswerWithoutInput() {
  events.push_back("answer");
  if (on_answer) on_answer();
}

void FakeWindow::DropPendingInput() { events.push_back("drop"); }

std::unique_ptr<window::RunCommand> MakeRunCommand(FakeWindow& window, platform::FileSystemService& fs) {
  auto now = std::make_shared<window::FramePacer::Clock::time_point>();
  return std::make_unique<window::RunCommand>(
      window.controls(), [&fs] { return std::make_unique<BorrowedFileSystem>(fs); },
      [now] { return *now += window::FramePacer::kFrame; });
}

}  // namespace brenvo1::testing
