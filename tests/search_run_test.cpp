// The search run alone: what it reports to its sink, in which order, what
// it opens, and what it counts as unreadable.

#include "search/search_run.h"

#include <gtest/gtest.h>

#include "search/folder_scan.h"
#include "tests/fake_file_system.h"
#include "tests/recording_sink.h"

namespace brenvo1::search {
namespace {

using testing::FakeFileSystem;
using testing::RecordingSink;
using Items = std::vector<std::string>;

class SearchRunTest : public ::testing::Test {
 protected:
  RunOutcome Run(const std::string& folder, const std::string& text) {
    sink = RecordingSink();
    return RunSearch(folder, text, fs, sink);
  }
  const Items& hits() const { return sink.hits; }

  FakeFileSystem fs;
  RecordingSink sink;
};

TEST_F(SearchRunTest, ListsFilesBeforeSubfoldersDepthFirstInTheServicesOrder) {
  fs.AddFile("/w/z.txt", "ciao");
  fs.AddFolder("/w/b");
  fs.AddFile("/w/b/deep/x.bas", "CIAO");
  fs.AddFile("/w/b/y.frm", "Ciao");
  fs.AddFolder("/w/a");
  fs.AddFile("/w/a/q.cls", "ciao!");
  fs.AddFile("/w/a.txt", "ciao");
  EXPECT_EQ(Run("/w", "ciao").status, RunStatus::Completed);
  EXPECT_EQ(hits(), (Items{"/w/z.txt", "/w/a.txt", "/w/b/y.frm", "/w/b/deep/x.bas", "/w/a/q.cls"}));
}

TEST_F(SearchRunTest, StartFolderFilesComeBeforeSubfolderFiles) {
  fs.AddFile("/w/sub/b.txt", "testo");
  fs.AddFile("/w/a.txt", "testo");
  Run("/w", "testo");
  EXPECT_EQ(hits(), (Items{"/w/a.txt", "/w/sub/b.txt"}));
}

TEST_F(SearchRunTest, OnlyCandidateFilesAreOpened) {
  fs.AddFile("/w/readme", "ciao");
  fs.AddFile("/w/file.", "ciao");
  fs.AddFile("/w/x.text", "ciao");
  fs.AddFile("/w/Notes.TXT", "ciao");
  fs.AddFile("/w/a.b.Bas", "ciao");
  fs.AddFile("/w/.frm", "ciao");
  Run("/w", "ciao");
  EXPECT_EQ(hits(), (Items{"/w/Notes.TXT", "/w/a.b.Bas", "/w/.frm"}));
  EXPECT_EQ(fs.opened(), (Items{"/w/Notes.TXT", "/w/a.b.Bas", "/w/.frm"}));
}

TEST_F(SearchRunTest, FolderWithNothingToExamineOpensNothing) {
  fs.AddFile("/w/image.png", "ciao");
  const RunOutcome outcome = Run("/w", "ciao");
  EXPECT_TRUE(hits().empty());
  EXPECT_TRUE(fs.opened().empty());
  EXPECT_EQ(outcome.status, RunStatus::Completed);
}

TEST_F(SearchRunTest, EmptyFilesAreNeverListedAndEmptyTextListsTheRest) {
  fs.AddFile("/w/empty.txt", "");
  fs.AddFile("/w/full.txt", "x");
  fs.AddFile("/w/sub/also.bas", "\n");
  Run("/w", "");
  EXPECT_EQ(hits(), (Items{"/w/full.txt", "/w/sub/also.bas"}));
  Run("/w", "x");
  EXPECT_EQ(hits(), (Items{"/w/full.txt"}));
  EXPECT_EQ(fs.open_streams(), 0);  // every stream was closed
}

TEST_F(SearchRunTest, MissingFolderReadsNothing) {
  fs.AddFile("/w/a.txt", "abc");
  const RunOutcome outcome = Run("/nowhere", "abc");
  EXPECT_EQ(outcome.status, RunStatus::FolderMissing);
  EXPECT_TRUE(hits().empty());
  EXPECT_TRUE(outcome.unreadable.empty());
  EXPECT_TRUE(fs.opened().empty());
}

TEST_F(SearchRunTest, UnreadableEntriesAreSkippedAndReportedOnce) {
  fs.AddFile("/w/a.txt", "hit");
  fs.AddFile("/w/locked.txt", "hit");
  fs.AddFile("/w/broken.txt", "hit");
  fs.AddFile("/w/closed/x.txt", "hit");
  fs.AddFile("/w/gone/y.txt", "hit");
  fs.AddFile("/w/ok/z.txt", "hit");
  fs.FailOpen("/w/locked.txt");
  fs.FailRead("/w/broken.txt");
  fs.FailList("/w/closed");
  fs.FailGetFolder("/w/gone");
  const RunOutcome outcome = Run("/w", "hit");
  EXPECT_EQ(hits(), (Items{"/w/a.txt", "/w/ok/z.txt"}));
  EXPECT_EQ(outcome.status, RunStatus::CompletedWithSkips);
  EXPECT_EQ(outcome.unreadable.paths(), (Items{"/w/locked.txt", "/w/broken.txt", "/w/closed", "/w/gone"}));
  EXPECT_EQ(outcome.unreadable.count(), 4u);
  EXPECT_EQ(fs.open_streams(), 0);
}

TEST_F(SearchRunTest, StartFolderThatCannotBeOpenedIsReported) {
  fs.AddFile("/w/a.txt", "hit");
  fs.FailGetFolder("/w");
  const RunOutcome outcome = Run("/w", "hit");
  EXPECT_EQ(outcome.status, RunStatus::CompletedWithSkips);
  EXPECT_EQ(outcome.unreadable.paths(), (Items{"/w"}));
}

// A folder tells the service once which of its files will be read, in
// the order they are then opened, before the first is; other files it
// never hears of.
TEST_F(SearchRunTest, EachFolderTellsWhichFilesItWillReadBeforeOpeningThem) {
  fs.AddFile("/w/b.txt", "x");
  fs.AddFile("/w/n.md", "x");
  fs.AddFile("/w/a.frm", "x");
  fs.AddFile("/w/sub/last.bas", "x");
  Run("/w", "y");
  EXPECT_EQ(fs.plans_and_opens(), (Items{"will /w/b.txt", "will /w/a.frm", "open /w/b.txt", "open /w/a.frm",
                                         "will /w/sub/last.bas", "open /w/sub/last.bas"}));
}

TEST_F(SearchRunTest, EveryFolderIsSearchedOnce) {
  fs.AddFile("/w/a.txt", "hit");
  fs.AddFolder("/w/alias");
  fs.AddFile("/w/sub/b.txt", "hit");
  fs.AddFolderLink("/w/sub/up", "/w");
  fs.AddFolderLink("/w/twin", "/w/sub");
  fs.AddFile("/w/zeta/c.txt", "hit");
  fs.AddFolderLink("/w/alias/z", "/w/zeta");  // reached first through the link
  Run("/w", "hit");
  EXPECT_EQ(hits(), (Items{"/w/a.txt", "/w/alias/z/c.txt", "/w/sub/b.txt"}));
}

TEST_F(SearchRunTest, SearchTextIsMatchedCaselessly) {
  fs.AddFile("/w/a.txt", "xxABCxx");
  fs.AddFile("/w/b.txt", "CITT\xc0");  // Windows-1252
  Run("/w", "abc");
  EXPECT_EQ(hits(), (Items{"/w/a.txt"}));
  Run("/w", "citt\xc3\xa0");
  EXPECT_EQ(hits(), (Items{"/w/b.txt"}));
}

TEST_F(SearchRunTest, SmallReadsFindTheSameHits) {
  fs.SetReadSize(1);
  fs.AddFile("/w/a.txt", std::string(300000, '.') + "CITT\xc3\x80" + std::string(10, '.'));
  Run("/w", "citt\xc3\xa0");
  EXPECT_EQ(hits(), (Items{"/w/a.txt"}));
}

// The sink's "go on?" comes after every file and between the chunks of a
// large one; a "no" ends the run there, with nothing more read or reported.
TEST_F(SearchRunTest, SinkStopsTheRunBetweenFilesAndWithinALargeFile) {
  fs.AddFile("/w/a.txt", "hit");
  fs.AddFile("/w/b.txt", std::string(3 * ContentMatcher::kDefaultChunkSize, '.') + "hit");
  fs.AddFile("/w/c.txt", "hit");
  fs.AddFile("/w/sub/d.txt", "hit");
  sink.stop_when = [this] { return fs.opened().size() == 1; };  // after a.txt
  RunOutcome outcome = RunSearch("/w", "hit", fs, sink);
  EXPECT_EQ(outcome.status, RunStatus::Abandoned);
  EXPECT_EQ(sink.hits, Items{"/w/a.txt"});
  EXPECT_EQ(fs.opened(), Items{"/w/a.txt"});

  sink = RecordingSink();
  sink.stop_when = [this] { return fs.opened().back() == "/w/b.txt"; };  // within b.txt
  outcome = RunSearch("/w", "hit", fs, sink);
  EXPECT_EQ(outcome.status, RunStatus::Abandoned);
  EXPECT_EQ(sink.hits, Items{"/w/a.txt"});
  EXPECT_EQ(fs.opened(), (Items{"/w/a.txt", "/w/a.txt", "/w/b.txt"}));
  EXPECT_EQ(fs.open_streams(), 0);
}

// Also where there is no file to look after: between folders, and while a
// folder of many entries is listed. The first "no" is the last look.
TEST_F(SearchRunTest, SinkIsAskedThroughEmptyFoldersAndHugeListings) {
  for (int i = 0; i < 300; ++i) fs.AddFolder("/w/e" + std::to_string(i) + "/f");
  for (int i = 0; i < 5000; ++i) fs.AddFile("/w/huge/n" + std::to_string(i) + ".md", "");
  EXPECT_EQ(Run("/w", "x").status, RunStatus::Completed);
  EXPECT_GE(sink.looks, 600u + 5000u);
  for (const std::size_t stop : {5u, 400u, 3000u}) {
    sink = RecordingSink();
    sink.stop_after_looks = stop;
    EXPECT_EQ(RunSearch("/w", "x", fs, sink).status, RunStatus::Abandoned) << stop;
    EXPECT_EQ(sink.looks, stop + 1) << stop;
  }
}

// However many entries fail, each is counted and only the first few
// thousand paths are kept.
TEST_F(SearchRunTest, UnreadableEntriesAreAllCountedButBoundedInMemory) {
  const std::size_t failing = UnreadableEntries::kKeptPaths + 3;
  for (std::size_t i = 0; i < failing; ++i) {
    const std::string path = "/w/f" + std::to_string(100000 + i) + ".txt";
    fs.AddFile(path, "hit");
    fs.FailOpen(path);
  }
  const RunOutcome outcome = Run("/w", "hit");
  EXPECT_EQ(outcome.status, RunStatus::CompletedWithSkips);
  EXPECT_EQ(outcome.unreadable.count(), failing);
  ASSERT_EQ(outcome.unreadable.paths().size(), UnreadableEntries::kKeptPaths);
  EXPECT_EQ(outcome.unreadable.paths().front(), "/w/f100000.txt");
  EXPECT_EQ(outcome.unreadable.not_kept(), 3u);
}

}  // namespace
}  // namespace brenvo1::search
