#include "search/search_run.h"

#include <gtest/gtest.h>

#include "search/folder_scan.h"
#include "tests/fake_file_system.h"
#include "tests/fake_window.h"

namespace brenvo1::search {
namespace {

using platform::MousePointer;
using testing::FakeFileSystem;
using testing::FakeWindow;
using Items = std::vector<std::string>;

class SearchRunTest : public ::testing::Test {
 protected:
  RunOutcome Run(const std::string& folder, const std::string& text) {
    window.txtPercorso.text = folder;
    window.txtTesto.text = text;
    return Command1_Click(window.controls(), fs);
  }

  FakeFileSystem fs;
  FakeWindow window;
};

TEST_F(SearchRunTest, ListsFilesBeforeSubfoldersDepthFirstInTheServicesOrder) {
  fs.AddFile("/w/z.txt", "ciao");
  fs.AddFolder("/w/b");
  fs.AddFile("/w/b/deep/x.bas", "CIAO");
  fs.AddFile("/w/b/y.frm", "Ciao");
  fs.AddFolder("/w/a");
  fs.AddFile("/w/a/q.cls", "ciao!");
  fs.AddFile("/w/a.txt", "ciao");
  Run("/w", "ciao");
  EXPECT_EQ(window.items, (Items{"/w/z.txt", "/w/a.txt", "/w/b/y.frm", "/w/b/deep/x.bas", "/w/a/q.cls"}));
  EXPECT_TRUE(window.boxes.empty());
}

TEST_F(SearchRunTest, StartFolderFilesComeBeforeSubfolderFiles) {
  fs.AddFile("/w/sub/b.txt", "testo");
  fs.AddFile("/w/a.txt", "testo");
  Run("/w", "testo");
  EXPECT_EQ(window.items, (Items{"/w/a.txt", "/w/sub/b.txt"}));
}

TEST_F(SearchRunTest, OnlyCandidateFilesAreOpened) {
  fs.AddFile("/w/readme", "ciao");
  fs.AddFile("/w/file.", "ciao");
  fs.AddFile("/w/x.text", "ciao");
  fs.AddFile("/w/Notes.TXT", "ciao");
  fs.AddFile("/w/a.b.Bas", "ciao");
  fs.AddFile("/w/.frm", "ciao");
  Run("/w", "ciao");
  EXPECT_EQ(window.items, (Items{"/w/Notes.TXT", "/w/a.b.Bas", "/w/.frm"}));
  EXPECT_EQ(fs.opened(), (Items{"/w/Notes.TXT", "/w/a.b.Bas", "/w/.frm"}));
}

TEST_F(SearchRunTest, FolderWithNothingToExamineOpensNothing) {
  fs.AddFile("/w/image.png", "ciao");
  const RunOutcome outcome = Run("/w", "ciao");
  EXPECT_TRUE(window.items.empty());
  EXPECT_TRUE(fs.opened().empty());
  EXPECT_TRUE(window.boxes.empty());
  EXPECT_EQ(outcome.status, RunStatus::Completed);
}

TEST_F(SearchRunTest, EmptyFilesAreNeverListedAndEmptyTextListsTheRest) {
  fs.AddFile("/w/empty.txt", "");
  fs.AddFile("/w/full.txt", "x");
  fs.AddFile("/w/sub/also.bas", "\n");
  Run("/w", "");
  EXPECT_EQ(window.items, (Items{"/w/full.txt", "/w/sub/also.bas"}));
  Run("/w", "x");
  EXPECT_EQ(window.items, (Items{"/w/full.txt"}));
  EXPECT_EQ(fs.open_streams(), 0);  // every stream was closed
}

TEST_F(SearchRunTest, EachHitIsShownAtOnce) {
  fs.AddFile("/w/a.txt", "hit");
  fs.AddFile("/w/b.txt", "miss");
  fs.AddFile("/w/c.txt", "hit");
  Run("/w", "hit");
  EXPECT_EQ(window.events, (Items{"clear", "refresh", "add", "refresh", "add", "refresh", "finish"}));
}

TEST_F(SearchRunTest, SecondRunReplacesTheFirst) {
  fs.AddFile("/w/a.txt", "abc");
  fs.AddFile("/w/s/b.txt", "ABC");
  Run("/w", "abc");
  const Items first = window.items;
  Run("/w", "abc");
  EXPECT_EQ(window.items, first);
  EXPECT_EQ(window.items.size(), 2u);
}

TEST_F(SearchRunTest, MissingFolderEmptiesTheListAndSaysSoOnce) {
  fs.AddFile("/w/a.txt", "abc");
  Run("/w", "abc");
  ASSERT_EQ(window.items.size(), 1u);
  const RunOutcome outcome = Run("/nowhere", "abc");
  EXPECT_EQ(outcome.status, RunStatus::FolderMissing);
  EXPECT_TRUE(window.items.empty());
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, "Impossibile trovare il percorso");
  EXPECT_TRUE(window.boxes[0].details.empty());
  // The busy pointer stays while the box is up and goes after it.
  EXPECT_EQ(window.boxes[0].pointer_while_shown, MousePointer::Hourglass);
  EXPECT_EQ(window.pointer, MousePointer::Default);
}

TEST_F(SearchRunTest, PointerIsBusyDuringTheRunAndResetAfter) {
  fs.AddFile("/w/a.txt", "abc");
  Run("/w", "abc");
  EXPECT_EQ(window.pointer_history, (std::vector<MousePointer>{MousePointer::Hourglass, MousePointer::Default}));
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
  EXPECT_EQ(window.items, (Items{"/w/a.txt", "/w/ok/z.txt"}));
  EXPECT_EQ(outcome.status, RunStatus::CompletedWithSkips);
  const Items skipped{"/w/locked.txt", "/w/broken.txt", "/w/closed", "/w/gone"};
  EXPECT_EQ(outcome.skipped, skipped);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, "File o cartelle non leggibili: 4");
  EXPECT_EQ(window.boxes[0].details, skipped);
  EXPECT_EQ(window.pointer, MousePointer::Default);
  EXPECT_EQ(fs.open_streams(), 0);
}

TEST_F(SearchRunTest, StartFolderThatCannotBeOpenedIsReported) {
  fs.AddFile("/w/a.txt", "hit");
  fs.FailGetFolder("/w");
  const RunOutcome outcome = Run("/w", "hit");
  EXPECT_EQ(outcome.skipped, (Items{"/w"}));
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, "File o cartelle non leggibili: 1");
  EXPECT_EQ(window.pointer, MousePointer::Default);
}

// The service hears of every candidate file before it is opened, in the
// order of opening and never more than a bounded number ahead; other files
// it never hears of.
TEST_F(SearchRunTest, CandidateFilesAreAnnouncedAheadInOrder) {
  const std::size_t count = 3 * FolderScan::kFilesAnnouncedAhead;
  for (std::size_t i = 0; i < count; ++i) {
    fs.AddFile("/w/f" + std::to_string(100 + i) + ".txt", "x");
    fs.AddFile("/w/n" + std::to_string(i) + ".md", "x");
  }
  fs.AddFile("/w/sub/last.bas", "x");
  Run("/w", "y");
  std::vector<std::string> hinted, opened;
  for (const std::string& event : fs.hints_and_opens()) {
    ASSERT_EQ(event.find(".md"), std::string::npos) << event;
    if (event.rfind("hint ", 0) == 0) {
      hinted.push_back(event.substr(5));
    } else {
      opened.push_back(event.substr(5));
      ASSERT_LE(hinted.size(), opened.size() + FolderScan::kFilesAnnouncedAhead);
    }
  }
  EXPECT_EQ(hinted, fs.opened());
  EXPECT_EQ(opened.size(), count + 1);
}

// However many links lead to a folder, it is searched once, under the first
// path that reaches it in walk order; links back up the tree end there.
TEST_F(SearchRunTest, EveryFolderIsSearchedOnce) {
  fs.AddFile("/w/a.txt", "hit");
  fs.AddFolder("/w/alias");
  fs.AddFile("/w/sub/b.txt", "hit");
  fs.AddFolderLink("/w/sub/up", "/w");
  fs.AddFolderLink("/w/twin", "/w/sub");
  fs.AddFile("/w/zeta/c.txt", "hit");
  fs.AddFolderLink("/w/alias/z", "/w/zeta");  // reached first through the link
  Run("/w", "hit");
  EXPECT_EQ(window.items, (Items{"/w/a.txt", "/w/alias/z/c.txt", "/w/sub/b.txt"}));
}

TEST_F(SearchRunTest, SearchTextIsMatchedCaselessly) {
  fs.AddFile("/w/a.txt", "xxABCxx");
  fs.AddFile("/w/b.txt", "CITT\xc0");  // Windows-1252
  Run("/w", "abc");
  EXPECT_EQ(window.items, (Items{"/w/a.txt"}));
  Run("/w", "citt\xc3\xa0");
  EXPECT_EQ(window.items, (Items{"/w/b.txt"}));
}

TEST_F(SearchRunTest, SmallReadsFindTheSameHits) {
  fs.SetReadSize(1);
  fs.AddFile("/w/a.txt", std::string(300000, '.') + "CITT\xc3\x80" + std::string(10, '.'));
  Run("/w", "citt\xc3\xa0");
  EXPECT_EQ(window.items, (Items{"/w/a.txt"}));
}

TEST(UnreadableEntriesMessage, NamesTheCount) {
  EXPECT_EQ(UnreadableEntriesMessage(3), "File o cartelle non leggibili: 3");
}

}  // namespace
}  // namespace brenvo1::search
