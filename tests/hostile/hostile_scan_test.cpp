// brenvo1-scan, the program's search run on a terminal, on trees built to
// break it: link loops, FIFOs and sockets named like candidates, dangling
// links, a very deep chain, names no shell would like, a huge sparse file;
// and on a tree with entries the user may not read. The program must end
// in time and print exactly the expected list.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/hostile/run_program.h"
#include "tests/hostile/temp_tree.h"

namespace brenvo1::testing {
namespace {

using namespace std::chrono_literals;

const std::string kScan = BRENVO1_SCAN;

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string FindSetpriv() {
  for (const char* path : {"/usr/bin/setpriv", "/bin/setpriv"}) {
    if (::access(path, X_OK) == 0) return path;
  }
  return {};
}

TEST(HostileTree, ScanEndsInTimeWithExactlyTheExpectedList) {
  TempTree tree;
  const std::string& r = tree.root();

  tree.File("$(touch pwned).bas", "echo TROVAMI");
  tree.File("-rf.frm", "trovami");
  tree.File("a file.txt", "Trovami");
  tree.Link("alias.txt", "a file.txt");  // a link to a file is a file
  tree.File("caff\xE8.cls", "trovami");   // not UTF-8: Windows-1252
  tree.File("new\nline.txt", "trovami");
  tree.File("UPPER.TXT", "TROVAMI");
  tree.File("empty.txt", "");
  tree.File("not-a-candidate.txt.bak", "trovami");
  // Neither files nor folders: never opened, never reported.
  tree.Fifo("fifo.txt");
  tree.Socket("sock.bas");
  tree.Link("dangling.txt", "nowhere.txt");
  tree.Link("self.txt", "self.txt");
  tree.Link("dangling-folder", "missing/folder");
  // Read to its last bytes: no data on disk but at the very end.
  tree.SparseFile("big.dss", std::uint64_t{2} << 30, "...TROVAMI\n");

  tree.File("-e/hit.txt", "trovami");
  std::string deep = "deep";
  for (int level = 0; level < 300; ++level) deep += "/d";
  tree.Folder(deep);
  tree.File(deep + "/bottom.txt", "in fondo: trovami");
  tree.File(deep + "/empty.frm", "");
  tree.Link(deep + "/up", "../../..");  // an ancestor: not entered again
  tree.Link("loop", ".");
  tree.File("sub/s.txt", "trovami");
  tree.Link("sub/back", "..");
  tree.Fifo("sub/pipe.frm");
  tree.Link("twin", "sub");  // the same tree again: searched once, as sub
  tree.File("x.txt/inside.txt", "trovami");

  const ProgramResult result = RunProgram({kScan, r, "trovami"}, 240s);
  ASSERT_FALSE(result.timed_out) << "brenvo1-scan did not end in time";
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, Lines({
                            r + "/$(touch pwned).bas",
                            r + "/-rf.frm",
                            r + "/a file.txt",
                            r + "/alias.txt",
                            r + "/big.dss",
                            r + "/caff\xE8.cls",
                            r + "/new\nline.txt",
                            r + "/UPPER.TXT",
                            r + "/-e/hit.txt",
                            r + "/" + deep + "/bottom.txt",
                            r + "/sub/s.txt",
                            r + "/x.txt/inside.txt",
                        }));
  EXPECT_FALSE(std::filesystem::exists(r + "/pwned")) << "a name was run as a command";
  EXPECT_FALSE(std::filesystem::exists("pwned")) << "a name was run as a command";
}

// Twenty folders, each with two links to the next: 2^20 paths through the
// links, but twenty folders to search, each once.
TEST(HostileTree, LinkGraphIsSearchedOncePerFolder) {
  TempTree tree;
  const std::string& r = tree.root();
  for (int level = 0; level < 20; ++level) {
    tree.Folder("l" + std::to_string(level));
    const std::string next = "../l" + std::to_string(level + 1);
    tree.Link("l" + std::to_string(level) + "/a", next);
    tree.Link("l" + std::to_string(level) + "/b", next);
  }
  tree.File("l20/x.txt", "trovami");
  const ProgramResult result = RunProgram({kScan, r + "/l0", "trovami"}, 120s);
  ASSERT_FALSE(result.timed_out);
  std::string path = r + "/l0";
  for (int level = 0; level < 20; ++level) path += "/a";
  EXPECT_EQ(result.out, Lines({path + "/x.txt"}));
  EXPECT_EQ(result.exit_status, 0);
}

// Hits that cannot be written are lost: that is a failure, not success.
TEST(HostileTree, OutputThatCannotBeWrittenEndsTheRunAsFailed) {
  TempTree tree;
  tree.File("x.txt", "trovami");
  for (const char* redirect : {"> /dev/full", ">&-"}) {
    const std::string script = std::string("exec \"$0\" \"$@\" ") + redirect;
    const ProgramResult result = RunProgram({"/bin/sh", "-c", script, kScan, tree.root(), "trovami"}, 60s);
    ASSERT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_status, 4) << redirect;
    EXPECT_NE(result.err.find("brenvo1-scan"), std::string::npos) << redirect << ": " << result.err;
  }
  // A pipe whose reader has gone, as after `| head -1`: a failed write too,
  // not a silent death by SIGPIPE (which the starter gets back to its
  // default, as a shell would).
  const char* closed_pipe =
      "import os, signal, sys\n"
      "signal.signal(signal.SIGPIPE, signal.SIG_DFL)\n"
      "read, write = os.pipe()\n"
      "os.close(read)\n"
      "os.dup2(write, 1)\n"
      "os.execv(sys.argv[1], sys.argv[1:])\n";
  const ProgramResult result = RunProgram({"/usr/bin/python3", "-c", closed_pipe, kScan, tree.root(), "trovami"}, 60s);
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_status, 4);
  EXPECT_NE(result.err.find("Broken pipe"), std::string::npos) << result.err;
}

// 3,000 levels of 200-byte names: a 600 KB path at the bottom. Memory must
// follow that one path, not the path of every level above it.
TEST(HostileTree, DeepLongNamedChainNeedsMemoryForOnePath) {
  TempTree tree;
  const std::string name(200, 'n');
  // Made level by level from each folder's descriptor: no path names it whole.
  int folder = ::open(tree.root().c_str(), O_RDONLY | O_DIRECTORY);
  for (int level = 0; level < 3000; ++level) {
    ASSERT_EQ(::mkdirat(folder, name.c_str(), 0755), 0);
    const int inner = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(folder);
    folder = inner;
  }
  const int file = ::openat(folder, "x.txt", O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(::write(file, "trovami", 7), 7);
  ::close(file);
  ::close(folder);
  std::vector<std::string> argv = {kScan, tree.root(), "trovami"};
  // Sanitized programs reserve far more address space than they use.
  if (std::getenv("BRENVO1_SANITIZED") == nullptr) argv.insert(argv.begin(), {"/usr/bin/prlimit", "--as=268435456"});
  const ProgramResult result = RunProgram(argv, 120s);
  RunProgram({"rm", "-rf", "--", tree.root()}, 120s);  // deeper than one path can name
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_status, 0) << result.err.substr(0, 200);
  EXPECT_EQ(result.out.size(), tree.root().size() + 3000 * (name.size() + 1) + std::string("/x.txt\n").size());
}

// A search text of 100,001 characters on a 2 MB file of its first
// character: candidates everywhere, each one failing only at its end.
TEST(HostileTree, LongSearchTextIsMatchedInLinearTime) {
  TempTree tree;
  tree.File("q.txt", std::string(2'000'000, 'q'));
  tree.File("qa.txt", std::string(150'000, 'Q') + "A");
  const ProgramResult result = RunProgram({kScan, tree.root(), std::string(100'000, 'q') + "a"}, 60s);
  ASSERT_FALSE(result.timed_out) << "matching is not linear";
  EXPECT_EQ(result.out, Lines({tree.root() + "/qa.txt"}));
}

// A chain deeper than the limit on open files is walked whole: the walk
// keeps a bounded number of folders open and opens again those it let go.
TEST(HostileTree, ChainDeeperThanTheDescriptorLimitIsWalkedWhole) {
  const std::string prlimit = "/usr/bin/prlimit";
  if (::access(prlimit.c_str(), X_OK) != 0) GTEST_SKIP() << "prlimit is missing: cannot lower the limit";
  TempTree tree;
  const std::string& r = tree.root();
  std::string deep = "deep";
  for (int level = 1; level <= 400; ++level) {
    deep += "/d";
    if (level % 100 == 0) tree.File(deep + "/hit" + std::to_string(level) + ".txt", "trovami");
  }
  tree.File("deep/side/side.txt", "trovami");
  tree.File("top.txt", "trovami");

  const ProgramResult whole = RunProgram({kScan, r, "trovami"}, 120s);
  const ProgramResult limited = RunProgram({prlimit, "--nofile=64:64", kScan, r, "trovami"}, 120s);
  ASSERT_FALSE(limited.timed_out);
  EXPECT_EQ(limited.exit_status, 0) << limited.err;
  EXPECT_EQ(limited.out, whole.out);
  EXPECT_EQ(std::count(whole.out.begin(), whole.out.end(), '\n'), 6);
}

// Entries the user may not read, denied by the system itself: as root a
// chmod denies nothing, so the scan then runs as nobody.
class RealDenial : public ::testing::Test {
 protected:
  void SetUp() override {
    as_root_ = ::geteuid() == 0;
    setpriv_ = FindSetpriv();
    if (as_root_ && setpriv_.empty()) GTEST_SKIP() << "setpriv is missing: cannot drop privileges";
    // A copy of the program that the unprivileged user can surely run.
    scan_ = bin_.Path("brenvo1-scan");
    std::filesystem::copy_file(kScan, scan_);
    ::chmod(scan_.c_str(), 0755);
  }

  ProgramResult ScanUnprivileged(const std::string& folder, const std::string& text) {
    std::vector<std::string> argv;
    if (as_root_) argv = {setpriv_, "--reuid=65534", "--regid=65534", "--clear-groups"};
    argv.insert(argv.end(), {scan_, folder, text});
    return RunProgram(argv, 120s);
  }

  TempTree bin_;
  TempTree tree;
  bool as_root_ = false;
  std::string setpriv_;
  std::string scan_;
};

TEST_F(RealDenial, UnreadableFileAndFolderAreListedAndTheRestIsFound) {
  const std::string& r = tree.root();
  tree.File("ok.txt", "trovami");
  tree.File("locked.txt", "trovami");
  tree.Chmod("locked.txt", 0);
  tree.File("closed/inner.txt", "trovami");
  tree.Chmod("closed", 0);
  tree.File("closed-but-listed/inner.txt", "trovami");  // searchable, not listable
  tree.Chmod("closed-but-listed", 0311);
  tree.File("open/visible.txt", "trovami");
  tree.File("open/locked-too.bas", "trovami");
  tree.Chmod("open/locked-too.bas", 0200);
  tree.File("open/locked-but-no-candidate.md", "trovami");
  tree.Chmod("open/locked-but-no-candidate.md", 0);

  const ProgramResult result = ScanUnprivileged(r, "trovami");
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.out, Lines({r + "/ok.txt", r + "/open/visible.txt"}));
  const std::string denied = "accesso negato: ";
  EXPECT_EQ(result.err, Lines({"File o cartelle non leggibili: 4", denied + r + "/locked.txt", denied + r + "/closed",
                               denied + r + "/closed-but-listed", denied + r + "/open/locked-too.bas"}));
  EXPECT_EQ(result.exit_status, 3);
}

// A folder that may be read but not searched (r without x) can be listed;
// what cannot be read is each candidate file in it, and that is what is
// named, not the folder. Listing such a folder by opening "." relative to
// its descriptor fails, as that needs search permission.
TEST_F(RealDenial, FolderReadableButNotSearchableNamesEachFileInIt) {
  const std::string& r = tree.root();
  tree.File("noexec/n.txt", "trovami");
  tree.File("noexec/other.txt", "nothing");
  tree.File("noexec/skipped-anyway.md", "trovami");
  tree.File("noexec/inner/x.txt", "trovami");
  tree.Chmod("noexec", 0755 & ~0111);
  tree.File("z.txt", "trovami");

  const ProgramResult result = ScanUnprivileged(r, "trovami");
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.out, Lines({r + "/z.txt"}));
  EXPECT_EQ(result.err,
            Lines({"File o cartelle non leggibili: 3", "accesso negato: " + r + "/noexec/n.txt",
                   "accesso negato: " + r + "/noexec/other.txt", "accesso negato: " + r + "/noexec/inner"}));
  EXPECT_EQ(result.exit_status, 3);
}

}  // namespace
}  // namespace brenvo1::testing
