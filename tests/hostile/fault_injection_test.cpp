// Search runs on a real tree through a file system that fails on demand:
// every call of every kind the engine makes is failed in turn, and real
// entries are removed between two calls. Whatever fails, the hits outside
// the failed entry are listed, the box names exactly the failed entry, the
// pointer is reset, nothing stays open, and the next run is whole again.

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/posix/posix_file_system.h"
#include "search/search_run.h"
#include "tests/fake_window.h"
#include "tests/recording_sink.h"
#include "tests/hostile/fault_injecting_file_system.h"
#include "tests/hostile/temp_tree.h"

namespace brenvo1::testing {
namespace {

using search::RunOutcome;
using window::MousePointer;
using search::RunStatus;
using Items = std::vector<std::string>;

// The paths of a box's details, without the reason in front of each.
Items PathsOf(const Items& details) {
  Items paths;
  for (const std::string& line : details) paths.push_back(line.substr(line.find(": /") + 2));
  return paths;
}

int OpenDescriptorCount() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
  }
  return count;
}

// Remembers, for each listed item, how many file-system calls had begun
// when it was listed.
class StampingWindow : public FakeWindow {
 public:
  explicit StampingWindow(const FaultInjectingFileSystem& fs) : fs_(fs) {}
  void AddItem(std::string_view item) override {
    FakeWindow::AddItem(item);
    stamps.push_back(fs_.total_calls());
  }
  void Clear() override {
    FakeWindow::Clear();
    stamps.clear();
  }
  std::vector<std::size_t> stamps;

 private:
  const FaultInjectingFileSystem& fs_;
};

bool IsWithin(const std::string& path, const std::string& entry) {
  return path == entry || (path.size() > entry.size() && path.compare(0, entry.size(), entry) == 0 &&
                           path[entry.size()] == '/');
}

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string big(600 * 1024, 'x');
    tree.File("a.txt", "prima riga\nTrovami qui\n");
    tree.File("b.bas", "niente da vedere");
    tree.File("empty.txt", "");
    tree.File("notes.md", "trovami, ma non sono un candidato");
    tree.File("big.txt", big + "TROVAMI");  // read in several pieces
    tree.File("sub1/c.frm", "Private Sub trovami()");
    tree.File("sub1/d.cls", std::string("\xFF\xFEt\0r\0o\0v\0a\0m\0i\0", 16));
    tree.File("sub1/deep/e.txt", "... trovami");
    tree.File("sub1/deep/f.txt", "no");
    tree.File("sub2/g.vbp", "trovami");
    tree.File("sub2/h.txt", "no");
    tree.Link("sub2/up", "..");  // back to the start folder: opened, not searched again
    window.txtPercorso.text = tree.root();
    window.txtTesto.text = "trovami";
  }

  RunOutcome Run() {
    std::optional<RunOutcome> outcome = command->Run();
    EXPECT_TRUE(outcome.has_value());
    return outcome ? std::move(*outcome) : RunOutcome{};
  }

  // The run with nothing failing, for reference.
  void RunWhole() {
    fs.Reset();
    const RunOutcome outcome = Run();
    ASSERT_EQ(outcome.status, RunStatus::Completed);
    ASSERT_TRUE(window.boxes.empty());
    whole_items = window.items;
    whole_stamps = window.stamps;
    whole_calls = fs.calls();
  }

  // The run is over and left nothing behind: pointer back, nothing open.
  void ExpectCleanEnd(const std::string& context) {
    EXPECT_EQ(window.pointer, MousePointer::Default) << context;
    ASSERT_FALSE(window.pointer_history.empty()) << context;
    EXPECT_EQ(window.pointer_history.front(), MousePointer::Hourglass) << context;
    EXPECT_EQ(window.pointer_history.back(), MousePointer::Default) << context;
    EXPECT_EQ(fs.live_streams(), 0) << context;
    EXPECT_EQ(fs.live_folders(), 0) << context;
    EXPECT_EQ(OpenDescriptorCount(), descriptors_before) << context;
  }

  // A run after the faulty one, with nothing failing, finds everything.
  void ExpectNextRunWhole(const std::string& context) {
    fs.Reset();
    window.boxes.clear();
    window.pointer_history.clear();
    const RunOutcome outcome = Run();
    EXPECT_EQ(outcome.status, RunStatus::Completed) << context;
    EXPECT_EQ(window.items, whole_items) << context;
    EXPECT_TRUE(window.boxes.empty()) << context;
    ExpectCleanEnd(context + ", next run");
  }

  void ResetWindow() {
    window.boxes.clear();
    window.pointer_history.clear();
  }

  TempTree tree;
  // Files are opened ahead as on a cold disk, so that every failure also
  // meets descriptors held ahead.
  platform::posix::PosixFileSystem posix{platform::ReadAheadMode::Always};
  FaultInjectingFileSystem fs{posix};
  StampingWindow window{fs};
  std::unique_ptr<window::RunCommand> command = MakeRunCommand(window, fs);
  int descriptors_before = OpenDescriptorCount();
  Items whole_items;
  std::vector<std::size_t> whole_stamps;
  std::vector<FaultInjectingFileSystem::CallRecord> whole_calls;
};

TEST_F(FaultInjectionTest, WholeRunReachesEveryKindOfCall) {
  RunWhole();
  const std::string& r = tree.root();
  EXPECT_EQ(whole_items, (Items{r + "/a.txt", r + "/big.txt", r + "/sub1/c.frm", r + "/sub1/d.cls",
                                r + "/sub1/deep/e.txt", r + "/sub2/g.vbp"}));
  for (const FsCall kind : kAllFsCalls) EXPECT_GT(fs.count(kind), 0u) << NameOf(kind);
  EXPECT_GT(fs.count(FsCall::Read), fs.count(FsCall::OpenTextFile)) << "big.txt takes several reads";
  ExpectCleanEnd("whole run");
  fs.Reset();
  window.txtTesto.text = "";  // every file that is not empty is a hit
  Run();
  // One read tells whether a file is empty.
  EXPECT_EQ(fs.count(FsCall::Read), fs.count(FsCall::OpenTextFile));

  ExpectCleanEnd("whole run, empty text");
}

// Fails each call of each kind in turn. What the failed entry hides is what
// the whole run listed inside that entry after the call had begun.
TEST_F(FaultInjectionTest, EveryFailedCallSkipsExactlyItsEntry) {
  RunWhole();
  const std::vector<FaultInjectingFileSystem::CallRecord> calls = whole_calls;
  ASSERT_GT(calls.size(), 20u);
  std::size_t nth[kAllFsCalls.size()] = {};
  for (const auto& call : calls) {
    const std::size_t n = ++nth[static_cast<std::size_t>(call.kind)];
    const std::string context = std::string(NameOf(call.kind)) + " #" + std::to_string(n) + " on " + call.entry;
    SCOPED_TRACE(context);

    fs.Reset();
    fs.FailNth(call.kind, n);
    ResetWindow();
    const RunOutcome outcome = Run();

    if (call.kind == FsCall::FolderExists) {
      EXPECT_EQ(outcome.status, RunStatus::FolderMissing);
      EXPECT_TRUE(window.items.empty());
      ASSERT_EQ(window.boxes.size(), 1u);
      EXPECT_EQ(window.boxes[0].text, "Impossibile trovare il percorso");
      EXPECT_TRUE(window.boxes[0].details.empty());
    } else {
      Items expected;
      for (std::size_t i = 0; i < whole_items.size(); ++i) {
        const bool hidden = IsWithin(whole_items[i], call.entry) && whole_stamps[i] >= call.sequence;
        if (!hidden) expected.push_back(whole_items[i]);
      }
      EXPECT_EQ(window.items, expected);
      EXPECT_EQ(outcome.status, RunStatus::CompletedWithSkips);
      EXPECT_EQ(outcome.unreadable.paths(), Items{call.entry});
      ASSERT_EQ(window.boxes.size(), 1u);
      EXPECT_EQ(window.boxes[0].text, "File o cartelle non leggibili: 1");
      EXPECT_EQ(PathsOf(window.boxes[0].details), Items{call.entry});
    }
    ExpectCleanEnd(context);
    ExpectNextRunWhole(context);
  }
}

TEST_F(FaultInjectionTest, EveryFileFailingToOpenIsNamedInWalkOrder) {
  RunWhole();
  Items opened;
  for (const auto& call : whole_calls) {
    if (call.kind == FsCall::OpenTextFile) opened.push_back(call.entry);
  }
  fs.Reset();
  fs.FailEvery(FsCall::OpenTextFile);
  ResetWindow();
  const RunOutcome outcome = Run();
  EXPECT_TRUE(window.items.empty());
  EXPECT_EQ(outcome.unreadable.paths(), opened);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, "File o cartelle non leggibili: " + std::to_string(opened.size()));
  EXPECT_EQ(PathsOf(window.boxes[0].details), opened);
  ExpectCleanEnd("every open fails");
  ExpectNextRunWhole("every open fails");
}

TEST_F(FaultInjectionTest, StartFolderVanishingAfterTheCheck) {
  RunWhole();
  const std::string root = tree.root();
  const std::string moved = root + ".gone";
  fs.Reset();
  fs.AfterCall([&](const FaultInjectingFileSystem::CallRecord& call) {
    if (call.kind == FsCall::FolderExists) std::rename(root.c_str(), moved.c_str());
  });
  ResetWindow();
  const RunOutcome outcome = Run();
  std::rename(moved.c_str(), root.c_str());
  EXPECT_EQ(fs.count(FsCall::FolderExists), 1u);
  EXPECT_TRUE(window.items.empty());
  EXPECT_EQ(outcome.status, RunStatus::CompletedWithSkips);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, "File o cartelle non leggibili: 1");
  EXPECT_EQ(window.boxes[0].details, Items{"non più presente: " + root});
  ExpectCleanEnd("start folder vanished");
  ExpectNextRunWhole("start folder vanished");
}

// Entries taken away or swapped after their folder was listed, on the real
// file system: the engine meets the genuine errors, not injected ones.
TEST_F(FaultInjectionTest, EntriesChangingAfterTheListing) {
  RunWhole();
  const std::string& r = tree.root();
  struct Case {
    const char* name;
    FsCall after;  // the change comes after the first call of this kind on this entry
    std::string entry;
    std::function<void()> change;
    std::function<void()> undo;
    Items skipped;
    Items lost;
  };
  const std::vector<Case> cases = {
      {"file removed", FsCall::List, r, [&] { tree.Remove("a.txt"); }, [&] { tree.File("a.txt", "Trovami qui"); },
       {r + "/a.txt"}, {r + "/a.txt"}},
      {"folder removed", FsCall::List, r, [&] { tree.Rename("sub2", "sub2.away"); }, [&] { tree.Rename("sub2.away", "sub2"); },
       {r + "/sub2"}, {r + "/sub2/g.vbp"}},
      // Opened without blocking and found not to be a regular file: neither
      // read nor reported.
      {"file swapped for a FIFO", FsCall::List, r,
       [&] {
         tree.Remove("a.txt");
         tree.Fifo("a.txt");
       },
       [&] {
         tree.Remove("a.txt");
         tree.File("a.txt", "Trovami qui");
       },
       {}, {r + "/a.txt"}},
      {"file swapped for a folder", FsCall::List, r,
       [&] {
         tree.Remove("a.txt");
         tree.Folder("a.txt");
       },
       [&] {
         tree.Remove("a.txt");
         tree.File("a.txt", "Trovami qui");
       },
       {}, {r + "/a.txt"}},
      // Cut short between its opening and its reading: the file simply ends
      // sooner, before the hit that was at its end.
      {"file truncated while open", FsCall::OpenTextFile, r + "/big.txt",
       [&] { std::filesystem::resize_file(tree.Path("big.txt"), 1000); },
       [&] { tree.File("big.txt", std::string(600 * 1024, 'x') + "TROVAMI"); }, {}, {r + "/big.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs.Reset();
    bool changed = false;
    fs.AfterCall([&](const FaultInjectingFileSystem::CallRecord& call) {
      if (!changed && call.kind == c.after && call.entry == c.entry) {
        changed = true;
        c.change();
      }
    });
    ResetWindow();
    const RunOutcome outcome = Run();
    c.undo();
    ASSERT_TRUE(changed);
    Items expected;
    std::copy_if(whole_items.begin(), whole_items.end(), std::back_inserter(expected), [&](const std::string& item) {
      return std::find(c.lost.begin(), c.lost.end(), item) == c.lost.end();
    });
    EXPECT_EQ(window.items, expected);
    EXPECT_EQ(outcome.unreadable.paths(), c.skipped);
    if (c.skipped.empty()) {
      EXPECT_TRUE(window.boxes.empty());
    } else {
      ASSERT_EQ(window.boxes.size(), 1u);
      EXPECT_EQ(window.boxes[0].text, "File o cartelle non leggibili: " + std::to_string(c.skipped.size()));
      EXPECT_EQ(PathsOf(window.boxes[0].details), c.skipped);
    }
    ExpectCleanEnd(c.name);
    ExpectNextRunWhole(c.name);
  }
}

// A folder is listed when its turn comes, never ahead: what changed in it
// while the walk was still above is what the search sees.
TEST_F(FaultInjectionTest, SubfolderChangedBeforeItsTurnIsSearchedAsItIsThen) {
  RunWhole();
  const std::string& r = tree.root();
  fs.Reset();
  bool changed = false;
  fs.AfterCall([&](const FaultInjectingFileSystem::CallRecord& call) {
    if (!changed && call.kind == FsCall::OpenTextFile) {
      changed = true;
      tree.File("sub1/deep/new.txt", "trovami anche qui");
      tree.Rename("sub2/g.vbp", "sub2/g.vbp.away");
    }
  });
  ResetWindow();
  const RunOutcome outcome = Run();
  tree.Remove("sub1/deep/new.txt");
  tree.Rename("sub2/g.vbp.away", "sub2/g.vbp");
  ASSERT_TRUE(changed);
  EXPECT_EQ(window.items, (Items{r + "/a.txt", r + "/big.txt", r + "/sub1/c.frm", r + "/sub1/d.cls",
                                 r + "/sub1/deep/e.txt", r + "/sub1/deep/new.txt"}));
  EXPECT_EQ(outcome.status, RunStatus::Completed);
  EXPECT_TRUE(window.boxes.empty());
  ExpectCleanEnd("changed before its turn");
}

// With few descriptors to spare, the result does not depend on the
// look-ahead: what it holds goes back before the walk runs short. The
// limit is the lowest at which the run without look-ahead misses nothing,
// on a chain ten folders deep with files at each level and many at its
// bottom.
TEST(LookAheadUnderADescriptorLimit, FindsWhatTheRunWithoutLookAheadFinds) {
  TempTree tree;
  std::string chain = "t";
  for (int level = 0; level < 10; ++level) {
    chain += "/a";
    tree.File(chain + "/f.txt", "trovami");
  }
  for (int i = 0; i < 30; ++i) {
    tree.File(chain + "/g" + std::to_string(100 + i) + ".txt", "trovami");
    tree.File("t/b/h" + std::to_string(100 + i) + ".txt", "trovami");
  }
  const std::size_t expected_hits = 10 + 30 + 30;

  auto run = [&](platform::ReadAheadMode look_ahead, int spare) {
    rlimit saved;
    ::getrlimit(RLIMIT_NOFILE, &saved);
    const int lowest_free = ::dup(0);
    ::close(lowest_free);
    rlimit lowered = saved;
    lowered.rlim_cur = static_cast<rlim_t>(lowest_free + spare);
    ::setrlimit(RLIMIT_NOFILE, &lowered);
    platform::posix::PosixFileSystem posix(look_ahead);
    SearchResult result;
    try {
      result = Search(posix, tree.Path("t"), "trovami");
    } catch (const platform::FileSystemError&) {
      result.outcome.status = RunStatus::Abandoned;  // too few to look for the folder at all
    }
    ::setrlimit(RLIMIT_NOFILE, &saved);
    return std::make_pair(std::move(result.outcome), std::move(result.hits));
  };

  int spare = 1;
  while (spare < 64 && run(platform::ReadAheadMode::Never, spare).first.status != RunStatus::Completed) ++spare;
  ASSERT_LT(spare, 64) << "no limit lets the run without look-ahead finish";
  const auto [plain_outcome, plain_items] = run(platform::ReadAheadMode::Never, spare);
  ASSERT_EQ(plain_items.size(), expected_hits);
  const auto [ahead_outcome, ahead_items] = run(platform::ReadAheadMode::Always, spare);
  EXPECT_EQ(ahead_outcome.status, RunStatus::Completed) << "with " << spare << " descriptors to spare";
  EXPECT_EQ(ahead_outcome.unreadable.paths(), Items{});
  EXPECT_EQ(ahead_items, plain_items);
}

}  // namespace
}  // namespace brenvo1::testing
