#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace brenvo1::platform::posix {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brenvo1-fs-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root = pattern;
  }
  // rm copes with trees deeper than one path can name.
  void TearDown() override { ASSERT_EQ(std::system(("rm -rf -- '" + root + "'").c_str()), 0); }

  void Write(const std::string& relative, const std::string& content) {
    fs::create_directories(fs::path(root + "/" + relative).parent_path());
    std::ofstream(root + "/" + relative, std::ios::binary) << content;
  }

  std::string ReadAll(Folder& folder, const std::string& name) {
    auto stream = folder.OpenTextFile(name);
    std::string content;
    char buffer[3];
    while (std::size_t n = stream->Read(buffer)) content.append(buffer, n);
    return content;
  }

  std::string root;
  PosixFileSystem service;
};

TEST_F(PosixFileSystemTest, OrdersNamesCaselesslyThenByBytes) {
  for (const char* name : {"b.txt", "B.txt", "a.txt", "C.txt", "_.txt", "a.TXT"}) Write(name, "x");
  for (const char* name : {"Zeta", "alfa", "Beta"}) fs::create_directory(root + "/" + name);
  auto folder = std::move(service.GetFolder(root).folder);
  // "_" (0x5F) sorts before the lowered letters.
  EXPECT_EQ(folder->Files(), (Names{"_.txt", "a.TXT", "a.txt", "B.txt", "b.txt", "C.txt"}));
  EXPECT_EQ(folder->SubFolders(), (Names{"alfa", "Beta", "Zeta"}));
}

TEST_F(PosixFileSystemTest, SortsEntriesOfEveryKind) {
  Write("file.txt", "x");
  Write("dir.txt/inner.txt", "x");  // a folder named like a candidate file
  fs::create_symlink(root + "/file.txt", root + "/link-to-file.txt");
  fs::create_symlink(root + "/dir.txt", root + "/link-to-dir");
  fs::create_symlink(root + "/nowhere", root + "/dangling.txt");
  fs::create_symlink(root + "/self.txt", root + "/self.txt");  // a link loop
  ASSERT_EQ(::mkfifo((root + "/pipe.txt").c_str(), 0644), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = root + "/socket.txt";
  std::strncpy(address.sun_path, socket_path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  auto folder = std::move(service.GetFolder(root).folder);
  EXPECT_EQ(folder->Files(), (Names{"file.txt", "link-to-file.txt"}));
  EXPECT_EQ(folder->SubFolders(), (Names{"dir.txt", "link-to-dir"}));
  ::close(sock);
}

TEST_F(PosixFileSystemTest, NamesAreKeptAsRawBytes) {
  const std::string odd = "a\nb \xff$(touch x).txt";
  Write(odd, "content");
  auto folder = std::move(service.GetFolder(root).folder);
  ASSERT_EQ(folder->Files(), (Names{odd}));
  EXPECT_EQ(ReadAll(*folder, odd), "content");
}

TEST_F(PosixFileSystemTest, ReadsFilesAndTellsEmptyOnes) {
  Write("empty.txt", "");
  Write("full.txt", "hello world");
  auto folder = std::move(service.GetFolder(root).folder);
  EXPECT_TRUE(folder->OpenTextFile("empty.txt")->AtEndOfStream());
  auto stream = folder->OpenTextFile("full.txt");
  EXPECT_FALSE(stream->AtEndOfStream());
  EXPECT_EQ(ReadAll(*folder, "full.txt"), "hello world");
}

TEST_F(PosixFileSystemTest, FileWhoseSizeReadsAsZeroIsReadForReal) {
  auto proc = std::move(service.GetFolder("/proc/self").folder);
  auto stream = proc->OpenTextFile("status");
  ASSERT_NE(stream, nullptr);
  EXPECT_FALSE(stream->AtEndOfStream());
  EXPECT_NE(ReadAll(*proc, "status").find("Name:"), std::string::npos);
  // A kernel view with no size and no end in sight is not read through.
  auto endless = proc->OpenTextFile("pagemap");
  std::vector<char> buffer(1 << 20);
  EXPECT_THROW(while (endless->Read(buffer)) {}, FileSystemError);
}

int DescriptorsInUse() { return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {})); }

// Lowers the limit on open files so that only spare more can be opened,
// for as long as it lives.
class DescriptorLimit {
 public:
  explicit DescriptorLimit(int spare) {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    const int lowest_free = ::dup(0);  // the system hands out the lowest free number
    ::close(lowest_free);
    rlimit lowered = saved_;
    lowered.rlim_cur = static_cast<rlim_t>(lowest_free + spare);
    ::setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_{};
};

// A file asked for ahead is opened then, once: at its turn it is read
// through that descriptor, even if its name has gone meanwhile. Sixteen at
// most are held, and a folder let go gives its own back.
TEST_F(PosixFileSystemTest, FileAskedForAheadIsReadThroughTheDescriptorOpenedForIt) {
  rlimit limit;
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_cur < 256) GTEST_SKIP() << "too few descriptors for the whole window";
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) {
    names.push_back("f" + std::to_string(100 + i) + ".txt");
    Write(names.back(), "content of " + names.back());
  }
  PosixFileSystem ahead(LookAhead::Always);
  auto folder = std::move(ahead.GetFolder(root).folder);
  ASSERT_EQ(folder->Files(), names);
  const int before = DescriptorsInUse();
  for (const std::string& name : names) folder->Prefetch(name);
  EXPECT_EQ(DescriptorsInUse(), before + 16);
  for (const std::string& name : names) fs::remove(root + "/" + name);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i < 16) {
      EXPECT_EQ(ReadAll(*folder, names[i]), "content of " + names[i]);
    } else {
      EXPECT_THROW(folder->OpenTextFile(names[i]), FileSystemError) << "held past the window: " << names[i];
    }
  }
  EXPECT_EQ(DescriptorsInUse(), before);

  Write("g.txt", "g");
  auto again = std::move(ahead.GetFolder(root).folder);
  again->Prefetch("g.txt");
  EXPECT_EQ(DescriptorsInUse(), before + 2);
  again.reset();  // a run given up: what it held goes with it
  EXPECT_EQ(DescriptorsInUse(), before);
}

// Held files never cost the walk an open: when descriptors run out, they
// are given back and the open is tried again.
TEST_F(PosixFileSystemTest, FilesHeldAheadGoBackWhenDescriptorsRunShort) {
  for (int i = 0; i < 20; ++i) Write("f" + std::to_string(100 + i) + ".txt", "x" + std::to_string(i));
  fs::create_directory(root + "/sub");
  PosixFileSystem ahead(LookAhead::Always);
  auto folder = std::move(ahead.GetFolder(root).folder);
  const std::vector<std::string> names = folder->Files();
  ASSERT_EQ(folder->SubFolders(), (Names{"sub"}));
  DescriptorLimit limit(2);
  for (const std::string& name : names) folder->Prefetch(name);  // takes both
  EXPECT_EQ(ReadAll(*folder, names[10]), "x10");
  EXPECT_NE(folder->GetSubFolder("sub"), nullptr);
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(ReadAll(*folder, names[i]), "x" + std::to_string(i));
}

// Without a stat per file, an entry put in a file's place since the listing
// is found out by reading it: a FIFO or a folder reads as empty, at once.
TEST_F(PosixFileSystemTest, FifoOrFolderPutInPlaceOfAFileReadsAsEmpty) {
  auto folder = std::move(service.GetFolder(root).folder);
  ASSERT_EQ(::mkfifo((root + "/late.txt").c_str(), 0644), 0);
  fs::create_directory(root + "/dir.txt");
  for (const char* name : {"late.txt", "dir.txt"}) {
    auto stream = folder->OpenTextFile(name);  // returns at once, no writer needed
    ASSERT_NE(stream, nullptr) << name;
    EXPECT_TRUE(stream->AtEndOfStream()) << name;
  }
}

TEST_F(PosixFileSystemTest, FailuresNameTheEntry) {
  auto folder = std::move(service.GetFolder(root).folder);
  try {
    folder->OpenTextFile("missing.txt");
    FAIL() << "opening a missing file succeeded";
  } catch (const FileSystemError& error) {
    EXPECT_EQ(error.path(), "missing.txt");
    EXPECT_NE(std::string(error.what()).find(std::strerror(ENOENT)), std::string::npos);
  }
  EXPECT_THROW(folder->GetSubFolder("missing"), FileSystemError);
  EXPECT_THROW(service.GetFolder(root + "/missing"), FileSystemError);
}

TEST_F(PosixFileSystemTest, FolderExistsOnlyForFolders) {
  Write("file.txt", "x");
  fs::create_symlink(root, root + "/link");
  EXPECT_TRUE(service.FolderExists(root));
  EXPECT_TRUE(service.FolderExists(root + "/link"));
  EXPECT_FALSE(service.FolderExists(root + "/file.txt"));
  EXPECT_FALSE(service.FolderExists(root + "/missing"));
  EXPECT_FALSE(service.FolderExists(""));
  // A NUL would cut the path short and name its parent instead.
  EXPECT_FALSE(service.FolderExists(root + std::string("\0/x", 3)));
  EXPECT_FALSE(service.FolderExists(root + std::string("/\0", 2)));
}

TEST_F(PosixFileSystemTest, LinksShareTheIdentityOfTheirTarget) {
  fs::create_directory(root + "/sub");
  fs::create_symlink(root, root + "/sub/up");
  auto top = std::move(service.GetFolder(root).folder);
  auto sub = top->GetSubFolder("sub");
  auto up = sub->GetSubFolder("up");
  EXPECT_EQ(up->Identity(), top->Identity());
  EXPECT_FALSE(sub->Identity() == top->Identity());
}

TEST_F(PosixFileSystemTest, ListedPathIsAbsoluteAndClean) {
  fs::create_directories(root + "/a/b");
  fs::create_directories(root + "/a/c");
  EXPECT_EQ(ListedFolderPath("/"), "/");
  EXPECT_EQ(ListedFolderPath("/../.."), "/");
  EXPECT_EQ(ListedFolderPath("/" + root + "//a//b/"), root + "/a/b");
  EXPECT_EQ(ListedFolderPath(root + "/a/./b/../c"), root + "/a/c");
  const std::string cwd = fs::current_path().string();
  EXPECT_EQ(ListedFolderPath("."), cwd == "/" ? "/" : cwd);
  EXPECT_EQ(ListedFolderPath(""), cwd == "/" ? "/" : cwd);  // names nothing, shown as the current folder
  fs::current_path(root);
  EXPECT_EQ(ListedFolderPath("a/b/.."), root + "/a");
  fs::current_path(cwd);
  // ".." is never taken from the text of a part that leads to no folder:
  // the system cannot open such a path, and it is shown as typed.
  EXPECT_EQ(ListedFolderPath(root + "/a/./nessuna/../c/"), root + "/a/nessuna/../c");
  EXPECT_EQ(ListedFolderPath("/a b/ c "), "/a b/ c ");
}

// ".." after a link leaves the link's target, as the system goes; the folder
// listed is the one searched, and links before it stay as typed.
TEST_F(PosixFileSystemTest, DotDotAfterALinkLeavesItsTarget) {
  fs::create_directories(root + "/real/deep");
  Write("real/sib/x.txt", "needle");
  fs::create_directory(root + "/sib");  // what a textual ".." would reach
  fs::create_symlink("real/deep", root + "/lnk");
  fs::create_symlink("real", root + "/via");
  const std::string typed = root + "/lnk/../sib";
  ASSERT_TRUE(service.FolderExists(typed));
  OpenedFolder opened = service.GetFolder(typed);
  EXPECT_EQ(opened.path, root + "/real/sib");
  EXPECT_EQ(opened.folder->Files(), (Names{"x.txt"}));
  EXPECT_EQ(service.GetFolder(root + "/via/sib/../deep").path, root + "/via/deep");
}

// A folder deeper than the system takes in one path is still found and
// opened, piece by piece.
TEST_F(PosixFileSystemTest, PathLongerThanTheSystemLimitIsOpened) {
  std::string path = root;
  const std::string name(200, 'd');
  int folder = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
  while (path.size() < 2 * PATH_MAX) {
    path += "/" + name;
    ASSERT_EQ(::mkdirat(folder, name.c_str(), 0755), 0);
    const int inner = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(folder);
    folder = inner;
  }
  const int file = ::openat(folder, "x.txt", O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(::write(file, "x", 1), 1);
  ::close(file);
  Write("elsewhere/inner/deeper.txt", "x");
  Write("elsewhere/y.txt", "x");
  ASSERT_EQ(::symlinkat((root + "/elsewhere/inner").c_str(), folder, "lnk"), 0);
  ::close(folder);
  ASSERT_TRUE(service.FolderExists(path));
  OpenedFolder opened = service.GetFolder(path + "/.");
  EXPECT_EQ(opened.path, path);
  EXPECT_EQ(opened.folder->Files(), (Names{"x.txt"}));
  EXPECT_FALSE(service.FolderExists(path + "/missing"));
  // ".." after a link at the end of such a path leaves the link's target,
  // however long the path to the link.
  ASSERT_TRUE(service.FolderExists(path + "/lnk/.."));
  opened = service.GetFolder(path + "/lnk/..");
  EXPECT_EQ(opened.path, root + "/elsewhere");
  EXPECT_EQ(opened.folder->Files(), (Names{"y.txt"}));
  EXPECT_EQ(ListedFolderPath(path + "/lnk/../inner"), root + "/elsewhere/inner");
}

TEST(JoinPath, NeverDoublesTheSeparator) {
  EXPECT_EQ(JoinPath("/a", "b.txt"), "/a/b.txt");
  EXPECT_EQ(JoinPath("/", "b.txt"), "/b.txt");
}

}  // namespace
}  // namespace brenvo1::platform::posix
