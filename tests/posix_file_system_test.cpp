#include "platform/posix_file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace brenvo1::platform {
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

// Files read from the disk make the folder fetch the next ones ahead; a
// hint holds no descriptor, and a file replaced after its hint is read as
// it is when its turn comes.
TEST_F(PosixFileSystemTest, FilesFetchedAheadAreReadAsTheyAreAtTheirTurn) {
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) {
    names.push_back("f" + std::to_string(100 + i) + ".txt");
    Write(names.back(), "old " + names.back());
    const int fd = ::open((root + "/" + names.back()).c_str(), O_RDONLY);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);  // out of memory: the first read goes to the disk
    ::close(fd);
  }
  auto folder = std::move(service.GetFolder(root).folder);
  const auto descriptors = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
  const auto before = descriptors();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i + 8 < names.size()) folder->Prefetch(names[i + 8]);
    EXPECT_EQ(descriptors(), before);
    if (i + 1 < names.size()) Write(names[i + 1], "new " + names[i + 1]);
    EXPECT_EQ(ReadAll(*folder, names[i]), (i == 0 ? "old " : "new ") + names[i]);
  }
  EXPECT_EQ(descriptors(), before);
}

// A subfolder opened ahead while the disk is busy is used only if its name
// still leads to it when its turn comes; one is held at a time.
TEST_F(PosixFileSystemTest, SubfolderOpenedAheadIsTheOneItsNameLeadsToAtItsTurn) {
  bool evicted = true;
  for (const char* name : {"probe.txt", "cold.txt"}) {
    Write(name, "x");
    const int fd = ::open((root + "/" + name).c_str(), O_RDONLY);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    char byte;
    iovec piece{&byte, 1};
    if (std::string(name) == "probe.txt") evicted = ::preadv2(fd, &piece, 1, 0, RWF_NOWAIT) < 0 && errno == EAGAIN;
    ::close(fd);
  }
  if (!evicted) GTEST_SKIP() << "this file system keeps files in memory: the disk is never busy";
  Write("a/one.txt", "1");
  Write("b/two.txt", "2");
  auto folder = std::move(service.GetFolder(root).folder);
  ASSERT_EQ(folder->SubFolders(), (Names{"a", "b"}));
  ReadAll(*folder, "cold.txt");  // from the disk: look-ahead begins
  const auto descriptors = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
  const auto before = descriptors();
  const auto any = +[](std::string_view) { return true; };
  folder->PrefetchSubFolder(0, any, 4);
  EXPECT_EQ(descriptors(), before + 1);
  fs::rename(root + "/a", root + "/a-old");
  Write("a/new.txt", "n");
  EXPECT_EQ(folder->GetSubFolder("a")->Files(), (Names{"new.txt"}));
  EXPECT_EQ(descriptors(), before);
  folder->PrefetchSubFolder(1, any, 4);
  EXPECT_EQ(folder->GetSubFolder("b")->Files(), (Names{"two.txt"}));
  EXPECT_EQ(descriptors(), before);
}

TEST_F(PosixFileSystemTest, FifoPutInPlaceOfAFileIsNotOpened) {
  auto folder = std::move(service.GetFolder(root).folder);
  ASSERT_EQ(::mkfifo((root + "/late.txt").c_str(), 0644), 0);
  EXPECT_EQ(folder->OpenTextFile("late.txt"), nullptr);  // returns at once, no writer needed
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
}  // namespace brenvo1::platform
