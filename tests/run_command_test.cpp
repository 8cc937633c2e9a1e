// The run command both windows share, over fake window services: what the
// window shows during and after a run, its boxes, its pointer, and a close
// request at any moment of a run.

#include "window/run_command.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "search/unreadable_entries.h"
#include "tests/fake_file_system.h"
#include "tests/fake_window.h"

namespace brenvo1::window {
namespace {

using testing::FakeFileSystem;
using testing::FakeWindow;
using Items = std::vector<std::string>;

class RunCommandTest : public ::testing::Test {
 protected:
  std::optional<search::RunOutcome> Run(const std::string& folder, const std::string& text) {
    window.txtPercorso.text = folder;
    window.txtTesto.text = text;
    return command->Run();
  }
  // The list's own events, without the looks at the desktop.
  Items ListEvents() const {
    Items events;
    std::copy_if(window.events.begin(), window.events.end(), std::back_inserter(events),
                 [](const std::string& e) { return e == "clear" || e == "add" || e == "refresh"; });
    return events;
  }

  FakeFileSystem fs;
  FakeWindow window;
  std::unique_ptr<RunCommand> command = testing::MakeRunCommand(window, fs);
};

TEST_F(RunCommandTest, ListIsEmptiedThenEachHitIsShownAtOnce) {
  fs.AddFile("/w/a.txt", "hit");
  fs.AddFile("/w/b.txt", "miss");
  fs.AddFile("/w/c.txt", "hit");
  Run("/w", "hit");
  EXPECT_EQ(ListEvents(), (Items{"clear", "refresh", "add", "refresh", "add", "refresh"}));
  EXPECT_EQ(window.items, (Items{"/w/a.txt", "/w/c.txt"}));
  EXPECT_EQ(window.events.back(), "drop");  // input given during the run
  EXPECT_TRUE(window.boxes.empty());
}

TEST_F(RunCommandTest, SecondRunReplacesTheFirst) {
  fs.AddFile("/w/a.txt", "abc");
  fs.AddFile("/w/s/b.txt", "ABC");
  Run("/w", "abc");
  const Items first = window.items;
  Run("/w", "abc");
  EXPECT_EQ(window.items, first);
  EXPECT_EQ(window.items.size(), 2u);
}

TEST_F(RunCommandTest, PointerIsBusyDuringTheRunAndResetAfter) {
  fs.AddFile("/w/a.txt", "abc");
  Run("/w", "abc");
  EXPECT_EQ(window.pointer_history, (std::vector<MousePointer>{MousePointer::Hourglass, MousePointer::Default}));
}

TEST_F(RunCommandTest, MissingFolderEmptiesTheListAndSaysSoOnce) {
  fs.AddFile("/w/a.txt", "abc");
  Run("/w", "abc");
  ASSERT_EQ(window.items.size(), 1u);
  EXPECT_EQ(Run("/nowhere", "abc")->status, search::RunStatus::FolderMissing);
  EXPECT_TRUE(window.items.empty());
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, "Impossibile trovare il percorso");
  EXPECT_TRUE(window.boxes[0].details.empty());
  // The busy pointer stays while the box is up and goes after it.
  EXPECT_EQ(window.boxes[0].pointer_while_shown, MousePointer::Hourglass);
  EXPECT_EQ(window.pointer, MousePointer::Default);
}

TEST_F(RunCommandTest, UnreadableEntriesAreCountedInOneBoxWithTheFirstPaths) {
  const std::size_t failing = search::UnreadableEntries::kKeptPaths + 2;
  for (std::size_t i = 0; i < failing; ++i) {
    const std::string path = "/w/f" + std::to_string(100000 + i) + ".txt";
    fs.AddFile(path, "hit");
    fs.FailOpen(path);
  }
  fs.AddFile("/w/ok.txt", "hit");
  Run("/w", "hit");
  EXPECT_EQ(window.items, Items{"/w/ok.txt"});
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, "File o cartelle non leggibili: " + std::to_string(failing));
  const Items& details = window.boxes[0].details;
  ASSERT_EQ(details.size(), search::UnreadableEntries::kKeptPaths + 1);
  EXPECT_EQ(details.front(), "accesso negato: /w/f100000.txt");
  EXPECT_EQ(details.back(), "... e altri 2");
  EXPECT_EQ(window.pointer, MousePointer::Default);
}

// A file system that fails in a way the engine does not expect.
class BrokenFileSystem : public platform::FileSystemService {
 public:
  bool FolderExists(std::string_view) override { throw std::runtime_error("disco guasto"); }
  platform::OpenedFolder GetFolder(std::string_view) override { throw std::runtime_error("disco guasto"); }
};

TEST_F(RunCommandTest, FailedRunIsShownAndLeavesTheWindowUsable) {
  BrokenFileSystem broken;
  command = testing::MakeRunCommand(window, broken);
  EXPECT_EQ(Run("/w", "x"), std::nullopt);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, "Errore durante la ricerca: disco guasto");
  EXPECT_EQ(window.boxes[0].pointer_while_shown, MousePointer::Default);
  EXPECT_EQ(window.pointer, MousePointer::Default);
  EXPECT_FALSE(command->running());
}

// A close request reaches the window at a look at the desktop: the run
// stops there, reports nothing more, shows no box, and the window may
// close once the run has returned.
TEST_F(RunCommandTest, CloseDuringTheRunStopsItAtItsNextLook) {
  for (const char* name : {"/w/a.txt", "/w/b.txt", "/w/sub/c.txt"}) fs.AddFile(name, "hit");
  fs.FailOpen("/w/sub/c.txt");  // would give a box, if the run got there
  window.on_answer = [this] {
    if (!window.items.empty()) {
      EXPECT_FALSE(command->RequestClose());
    }
  };
  EXPECT_EQ(Run("/w", "hit")->status, search::RunStatus::Abandoned);
  EXPECT_EQ(window.items, Items{"/w/a.txt"});
  EXPECT_EQ(fs.opened(), Items{"/w/a.txt"});
  EXPECT_TRUE(window.boxes.empty());
  EXPECT_TRUE(command->close_requested());
  EXPECT_EQ(window.pointer, MousePointer::Default);
  EXPECT_NE(window.events.back(), "drop");
}

TEST_F(RunCommandTest, CloseWhileABoxIsShownDismissesIt) {
  window.while_box_shown = [this] { EXPECT_FALSE(command->RequestClose()); };
  Run("/nowhere", "x");
  EXPECT_EQ(window.dismissed_boxes, 1);
  EXPECT_TRUE(command->close_requested());
  EXPECT_FALSE(command->running());

  // Outside a run too: a box of the window's own is dismissed first.
  command = testing::MakeRunCommand(window, fs);
  bool may_close = true;
  window.while_box_shown = [&] { may_close = command->RequestClose(); };
  window.Show("Impossibile avviare l'editor di testo", {});
  EXPECT_FALSE(may_close);
  EXPECT_EQ(window.dismissed_boxes, 2);
}

TEST_F(RunCommandTest, CloseBetweenRunsIsAtOnce) {
  EXPECT_TRUE(command->RequestClose());
  EXPECT_EQ(window.dismissed_boxes, 0);
}

// A "press" that reaches the window during a run starts nothing.
TEST_F(RunCommandTest, NoSecondRunWhileOneRuns) {
  fs.AddFile("/w/a.txt", "hit");
  fs.AddFile("/w/b.txt", "hit");
  int presses = 0;
  window.on_answer = [&] {
    if (presses++ == 0) {
      EXPECT_EQ(command->Run(), std::nullopt);
    }
  };
  EXPECT_EQ(Run("/w", "hit")->status, search::RunStatus::Completed);
  EXPECT_EQ(window.items, (Items{"/w/a.txt", "/w/b.txt"}));
  EXPECT_EQ(fs.opened(), (Items{"/w/a.txt", "/w/b.txt"}));
}

// The pacing itself, on a clock the test moves.
class CountingList : public FakeWindow {
 public:
  void Refresh() override { ++paints; }
  void AnswerWithoutInput() override { ++answers; }
  int paints = 0;
  int answers = 0;
};

TEST(FramePacer, RepaintsAtOnceAtMostOncePerFrameAndAnswersOncePerFrame) {
  using namespace std::chrono_literals;
  CountingList list;
  FramePacer::Clock::time_point now{1h};
  FramePacer pacer(list, list, [&now] { return now; });

  pacer.Refresh();
  EXPECT_EQ(list.paints, 1);
  now += 5ms;
  pacer.Refresh();
  EXPECT_EQ(list.paints, 1);
  EXPECT_TRUE(pacer.repaint_owed());
  now += 10ms;
  pacer.Tick();
  EXPECT_EQ(list.paints, 1);
  EXPECT_EQ(list.answers, 1);
  now += 1ms;
  pacer.Tick();
  EXPECT_EQ(list.paints, 2);
  EXPECT_FALSE(pacer.repaint_owed());
  EXPECT_EQ(list.answers, 1);  // answered less than a frame ago

  now += 1ms;
  pacer.Refresh();
  pacer.Finish();
  EXPECT_EQ(list.paints, 3);
  pacer.Finish();
  EXPECT_EQ(list.paints, 3);
  now += 16ms;
  pacer.Tick();
  EXPECT_EQ(list.answers, 2);
}

}  // namespace
}  // namespace brenvo1::window
