#include "platform/posix/posix_file_system.h"

#include "platform/posix/folder_path_walk.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "tests/recording_sink.h"

// A disk the system cannot say anything about: while on, a read that
// must not wait fails as where RWF_NOWAIT is not supported, every other
// read waits for the disk, and the files asked for ahead are counted.
// These stand in for the C library's functions in this program.
namespace slow_disk {
std::atomic<bool> on{false};
std::atomic<int> nowait_refused{0};
std::atomic<int> fetches_asked{0};
template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}
}  // namespace slow_disk

extern "C" ssize_t preadv2(int fd, const iovec* iov, int count, off_t offset, int flags) {
  if (slow_disk::on && (flags & RWF_NOWAIT)) {
    ++slow_disk::nowait_refused;
    errno = EOPNOTSUPP;
    return -1;
  }
  static const auto real = slow_disk::Real<ssize_t (*)(int, const iovec*, int, off_t, int)>("preadv2");
  return real(fd, iov, count, offset, flags);
}

extern "C" ssize_t read(int fd, void* into, size_t size) {
  if (slow_disk::on) std::this_thread::sleep_for(std::chrono::milliseconds(3));
  static const auto real = slow_disk::Real<ssize_t (*)(int, void*, size_t)>("read");
  return real(fd, into, size);
}

extern "C" int posix_fadvise(int fd, off_t offset, off_t length, int advice) {
  if (slow_disk::on && advice == POSIX_FADV_WILLNEED) ++slow_disk::fetches_asked;
  static const auto real = slow_disk::Real<int (*)(int, off_t, off_t, int)>("posix_fadvise");
  return real(fd, offset, length, advice);
}

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

TEST_F(PosixFileSystemTest, ReadsFilesToTheirEnd) {
  Write("empty.txt", "");
  Write("full.txt", "hello world");
  auto folder = std::move(service.GetFolder(root).folder);
  EXPECT_EQ(ReadAll(*folder, "empty.txt"), "");
  EXPECT_EQ(ReadAll(*folder, "full.txt"), "hello world");
}

TEST_F(PosixFileSystemTest, FileWhoseSizeReadsAsZeroIsReadForReal) {
  auto proc = std::move(service.GetFolder("/proc/self").folder);
  EXPECT_NE(ReadAll(*proc, "status").find("Name:"), std::string::npos);
  // A kernel view with no size and no end in sight is not read through.
  auto endless = proc->OpenTextFile("pagemap");
  std::vector<char> buffer(1 << 20);
  EXPECT_THROW(while (endless->Read(buffer)) {}, FileSystemError);
}

int Entries(const char* folder) { return static_cast<int>(std::distance(fs::directory_iterator(folder), {})); }
int DescriptorsInUse() { return Entries("/proc/self/fd"); }
int Threads() { return Entries("/proc/self/task"); }

// Polls until done holds, for up to 30 s: a state, not a guessed time.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 3000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done();
}

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

// Read ahead, a file is read as it was when it was opened, whatever
// happens to its name after; one that could not be opened ahead fails at
// its turn, as an open then would. At most the pool's depth are held.
TEST_F(PosixFileSystemTest, FilesReadAheadAreReadAsTheyWereWhenOpened) {
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) {
    names.push_back("f" + std::to_string(100 + i) + ".txt");
    Write(names.back(), "content of " + names.back());
  }
  PosixFileSystem ahead(ReadAheadMode::Always);
  auto folder = std::move(ahead.GetFolder(root).folder);
  ASSERT_EQ(folder->Files(), names);
  const int before = DescriptorsInUse();
  std::vector<const std::string*> plan;
  for (const std::string& name : folder->Files()) plan.push_back(&name);
  folder->WillRead(plan);
  ASSERT_TRUE(WaitFor([&] { return DescriptorsInUse() == before + 16; }));
  for (const std::string& name : names) fs::remove(root + "/" + name);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i < 16) {
      EXPECT_EQ(ReadAll(*folder, names[i]), "content of " + names[i]);
    } else {
      EXPECT_THROW(folder->OpenTextFile(names[i]), FileSystemError) << "opened after it went: " << names[i];
    }
  }
  EXPECT_EQ(DescriptorsInUse(), before);
}

// A run stopped with files in flight ends at once, and its threads and
// descriptors go with it.
TEST_F(PosixFileSystemTest, RunStoppedWithFilesInFlightLeavesNoThreadOrDescriptor) {
  for (int i = 0; i < 200; ++i) Write("f" + std::to_string(i) + ".txt", "x");
  const int threads = Threads();
  const int descriptors = DescriptorsInUse();
  PosixFileSystem ahead(ReadAheadMode::Always);
  testing::RecordingSink sink;
  sink.stop_after_looks = 20;
  EXPECT_EQ(search::RunSearch(root, "y", ahead, sink).status, search::RunStatus::Abandoned);
  EXPECT_EQ(Threads(), threads);
  EXPECT_EQ(DescriptorsInUse(), descriptors);
}

// Where the system cannot say whether a read would wait, the time of the
// first read tells: after a slow one, the next files are fetched ahead.
TEST_F(PosixFileSystemTest, SlowReadsTurnTheReadAheadOnWhereTheSystemCannotSay) {
  for (int i = 0; i < 20; ++i) Write("f" + std::to_string(i) + ".txt", "ciao");
  slow_disk::on = true;
  const testing::SearchResult result = testing::Search(service, root, "ciao");
  slow_disk::on = false;
  EXPECT_EQ(result.hits.size(), 20u);
  EXPECT_GT(slow_disk::nowait_refused, 0);
  EXPECT_GT(slow_disk::fetches_asked, 0);
}

// A folder of many entries is listed in pieces, with a look at the run
// between them, and a "no" stops the listing.
TEST_F(PosixFileSystemTest, ListingOfAHugeFolderAsksWhetherToGoOn) {
  for (int i = 0; i < 5000; ++i) std::ofstream(root + "/f" + std::to_string(i) + ".txt");
  int asked = 0;
  EXPECT_TRUE(service.GetFolder(root).folder->List([&] { return ++asked > 0; }));
  EXPECT_GT(asked, 4);
  asked = 0;
  EXPECT_FALSE(service.GetFolder(root).folder->List([&] { return ++asked < 3; }));
  EXPECT_EQ(asked, 3);
}

// However deep the tree, a walk holds a bounded number of folders open:
// under any limit that leaves room for two, it finds what it finds without
// one.
TEST_F(PosixFileSystemTest, DeepChainUnderADescriptorLimitIsWalkedWhole) {
  std::string chain;
  for (int i = 0; i < 40; ++i) chain += "/d" + std::to_string(i);
  Write(chain.substr(1) + "/hit.txt", "ciao");
  Write("d0/d1/d2/side/hit.bas", "ciao");
  const testing::SearchResult whole = testing::Search(service, root, "ciao");
  ASSERT_EQ(whole.hits.size(), 2u);
  for (const int spare : {2, 3, 8}) {
    DescriptorLimit limit(spare);
    const testing::SearchResult limited = testing::Search(service, root, "ciao");
    EXPECT_EQ(limited.outcome.status, search::RunStatus::Completed) << spare;
    EXPECT_EQ(limited.hits, whole.hits) << spare;
  }
}

// An entry put in a file's place since the listing is found out from the
// descriptor opened, at once, and passed over: a FIFO, a folder, a device.
TEST_F(PosixFileSystemTest, FifoFolderOrDevicePutInPlaceOfAFileIsPassedOver) {
  auto folder = std::move(service.GetFolder(root).folder);
  ASSERT_EQ(::mkfifo((root + "/late.txt").c_str(), 0644), 0);
  fs::create_directory(root + "/dir.txt");
  fs::create_symlink("/dev/zero", root + "/zero.txt");
  for (const char* name : {"late.txt", "dir.txt", "zero.txt"}) {
    EXPECT_EQ(folder->OpenTextFile(name), nullptr) << name;  // returns at once, no writer needed
  }
}

TEST_F(PosixFileSystemTest, FailuresNameTheEntry) {
  auto folder = std::move(service.GetFolder(root).folder);
  try {
    folder->OpenTextFile("missing.txt");
    FAIL() << "opening a missing file succeeded";
  } catch (const FileSystemError& error) {
    EXPECT_EQ(error.path(), "missing.txt");
    EXPECT_EQ(error.reason(), platform::FailureReason::Gone);
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

// ".." after a link leaves the link's target, as the system goes, also
// when the link is further up ("via/sib/.." is "real"): the folder listed
// is the one searched, and links with no ".." after them stay as typed.
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
  EXPECT_EQ(service.GetFolder(root + "/via/sib/../deep").path, root + "/real/deep");
  EXPECT_EQ(service.GetFolder(root + "/via/sib").path, root + "/via/sib");
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
