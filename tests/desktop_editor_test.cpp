// Finding the text editor on PATH and starting it detached, without a
// shell, with the path's exact bytes.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/posix/desktop_editor.h"
#include "platform/posix/open_file_limit.h"

namespace fs = std::filesystem;
using brenvo1::platform::posix::DesktopEditor;
using brenvo1::platform::posix::FindOnPath;
using brenvo1::platform::posix::FindTextEditor;
using brenvo1::platform::posix::StartDetached;

namespace {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "brenvo1-launcher-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void WriteExecutable(const fs::path& path, const std::string& content, bool executable = true) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
  fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool WaitForFile(const fs::path& path) {
  for (int i = 0; i < 1000; ++i) {
    if (fs::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// A program that saves its soft limit on open files, its arguments (each
// ended by NUL) and its parent's process id, then stays alive until the test
// releases it.
std::string RecordingProgram(const fs::path& folder) {
  const std::string dir = folder.string();
  return "#!/bin/sh\n"
         "ulimit -Sn > '" + dir + "/open-files'\n"
         "printf '%s\\0' \"$@\" > '" + dir + "/args.new' && /bin/mv '" + dir + "/args.new' '" + dir + "/args'\n"
         "echo $PPID > '" + dir + "/parent'\n"
         "i=0\n"
         "while [ ! -e '" + dir + "/release' ] && [ $i -lt 300 ]; do /bin/sleep 0.1; i=$((i+1)); done\n"
         "[ -e '" + dir + "/release' ] && echo released > '" + dir + "/done.new' && /bin/mv '" + dir + "/done.new' '" + dir +
         "/done'\n";
}

}  // namespace

TEST(FindOnPath, TakesTheFirstExecutableFileInPathOrder) {
  TempFolder temp;
  const fs::path first = temp.path() / "first";
  const fs::path second = temp.path() / "second";
  const fs::path third = temp.path() / "third";
  WriteExecutable(first / "gedit", "#!/bin/sh\n", false);  // not executable
  fs::create_directories(second / "gedit");                 // a folder
  WriteExecutable(third / "gedit", "#!/bin/sh\n");
  const std::string path = first.string() + ":" + second.string() + ":" + third.string();
  EXPECT_EQ(FindOnPath("gedit", path), (third / "gedit").string());
  EXPECT_EQ(FindOnPath("kate", path), std::nullopt);
  EXPECT_EQ(FindOnPath("gedit", ""), std::nullopt);
}

TEST(FindOnPath, EmptyEntryIsTheCurrentFolder) {
  TempFolder temp;
  WriteExecutable(temp.path() / "mousepad", "#!/bin/sh\n");
  const fs::path previous = fs::current_path();
  fs::current_path(temp.path());
  EXPECT_EQ(FindOnPath("mousepad", "/nonexistent::/also-nonexistent"), std::optional<std::string>("./mousepad"));
  EXPECT_EQ(FindOnPath("mousepad", "/nonexistent:"), std::optional<std::string>("./mousepad"));
  fs::current_path(previous);
}

TEST(FindTextEditor, EditorOrderComesBeforePathOrder) {
  TempFolder temp;
  const fs::path early = temp.path() / "early";
  const fs::path late = temp.path() / "late";
  WriteExecutable(early / "xdg-open", "#!/bin/sh\n");
  WriteExecutable(early / "leafpad", "#!/bin/sh\n");
  WriteExecutable(late / "kwrite", "#!/bin/sh\n");
  const std::string path = early.string() + ":" + late.string();
  EXPECT_EQ(FindTextEditor(path), (late / "kwrite").string());
  fs::remove(late / "kwrite");
  EXPECT_EQ(FindTextEditor(path), (early / "leafpad").string());
  fs::remove(early / "leafpad");
  EXPECT_EQ(FindTextEditor(path), (early / "xdg-open").string());
  fs::remove(early / "xdg-open");
  EXPECT_EQ(FindTextEditor(path), std::nullopt);
}

TEST(StartDetached, PassesTheExactBytesAsOneArgumentWithoutAShellAndDoesNotWait) {
  TempFolder temp;
  const fs::path program = temp.path() / "bin" / "editor";
  WriteExecutable(program, RecordingProgram(temp.path()));
  const fs::path work = temp.path() / "work";
  fs::create_directories(work);
  const std::string path = "/dati/a b 'c' \"d\" $(touch pwned) `touch pwned2`; touch pwned3 \xe9\xff\n.txt";

  const fs::path previous = fs::current_path();
  fs::current_path(work);
  ASSERT_TRUE(StartDetached(program.string(), path, {}));
  fs::current_path(previous);

  ASSERT_TRUE(WaitForFile(temp.path() / "args"));
  EXPECT_EQ(ReadAll(temp.path() / "args"), path + '\0');
  // The start returned while the program still waits to be released.
  std::ofstream(temp.path() / "release") << "";
  ASSERT_TRUE(WaitForFile(temp.path() / "done"));
  EXPECT_EQ(ReadAll(temp.path() / "done"), "released\n");

  EXPECT_TRUE(fs::is_empty(work));
  // Not our child: nothing is left for us to reap, and no zombie remains.
  EXPECT_NE(std::stol(ReadAll(temp.path() / "parent")), static_cast<long>(::getpid()));
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

// The program raises its own limit on open files for deep trees; the editor
// gets the limit the program started with.
TEST(StartDetached, TheProgramGetsTheOpenFileLimitTheUserGave) {
  struct rlimit limit;
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= 256) GTEST_SKIP() << "no room to raise the limit";
  limit.rlim_cur = 256;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
  const auto raised = brenvo1::platform::posix::OpenFileLimit::Raise();
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  ASSERT_EQ(limit.rlim_cur, limit.rlim_max);

  TempFolder temp;
  const fs::path program = temp.path() / "editor";
  WriteExecutable(program, RecordingProgram(temp.path()));
  std::ofstream(temp.path() / "release") << "";
  ASSERT_TRUE(StartDetached(program.string(), "/dati/a.txt", raised));
  ASSERT_TRUE(WaitForFile(temp.path() / "args"));
  EXPECT_EQ(ReadAll(temp.path() / "open-files"), "256\n");
  // The program itself keeps its raised limit.
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  EXPECT_EQ(limit.rlim_cur, limit.rlim_max);
}

TEST(StartDetached, ReportsAProgramThatCannotBeExecuted) {
  TempFolder temp;
  EXPECT_FALSE(StartDetached((temp.path() / "missing").string(), "/dati/a.txt", {}));
  const fs::path notExecutable = temp.path() / "plain";
  WriteExecutable(notExecutable, "#!/bin/sh\n", false);
  EXPECT_FALSE(StartDetached(notExecutable.string(), "/dati/a.txt", {}));
  // Executable but neither a binary nor a script with "#!": only a shell
  // would run it, and no shell is involved.
  const fs::path noInterpreter = temp.path() / "bare";
  WriteExecutable(noInterpreter, "touch '" + (temp.path() / "ran").string() + "'\n");
  EXPECT_FALSE(StartDetached(noInterpreter.string(), "/dati/a.txt", {}));
  EXPECT_FALSE(fs::exists(temp.path() / "ran"));
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(DesktopEditor, StartsTheEditorFoundOnTheCurrentPath) {
  TempFolder temp;
  WriteExecutable(temp.path() / "bin" / "pluma", RecordingProgram(temp.path()));
  std::ofstream(temp.path() / "release") << "";
  const std::string savedPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  ::setenv("PATH", (temp.path() / "bin").c_str(), 1);
  DesktopEditor launcher({});
  const bool started = launcher.Open("/dati/x y.txt");
  ::setenv("PATH", (temp.path() / "nothing-here").c_str(), 1);
  const bool startedWithoutEditor = launcher.Open("/dati/x y.txt");
  ::setenv("PATH", savedPath.c_str(), 1);

  EXPECT_TRUE(started);
  ASSERT_TRUE(WaitForFile(temp.path() / "args"));
  EXPECT_EQ(ReadAll(temp.path() / "args"), std::string("/dati/x y.txt") + '\0');
  EXPECT_FALSE(startedWithoutEditor);
}
