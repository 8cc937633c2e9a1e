#include "platform/windows/windows_file_system.h"

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_stream.h"
#include "platform/windows/folder_path_forms.h"
#include "platform/windows/wide_text.h"
#include "cli/windows_arguments.h"
#include "search/search_run.h"
#include "tests/recording_sink.h"

namespace brenvo1::platform::windows {
namespace {

using Names = std::vector<std::string>;

// A fresh folder under the temporary folder, removed with everything in it
// afterwards. Every path is made in its "\\?\" form, so that names Windows
// treats specially can be created.
class TempTree {
 public:
  TempTree() {
    std::wstring base(MAX_PATH + 1, L'\0');
    base.resize(GetTempPathW(static_cast<DWORD>(base.size()), base.data()));
    root_ = base + L"brenvo1-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter_++);
    EXPECT_TRUE(CreateDirectoryW(Extended(L"").c_str(), nullptr)) << GetLastError();
  }
  ~TempTree() { Remove(Extended(L"")); }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The root's full path, as a user would type it.
  const std::wstring& root() const { return root_; }
  std::string root_wtf8() const { return Wtf8Text(root_); }
  std::wstring Extended(const std::wstring& relative) const {
    return ExtendedLengthPath(relative.empty() ? root_ : root_ + L"\\" + relative);
  }

  void Folder(const std::wstring& relative) {
    ASSERT_TRUE(CreateDirectoryW(Extended(relative).c_str(), nullptr)) << GetLastError();
  }
  void File(const std::wstring& relative, std::string_view content) {
    const HANDLE file =
        CreateFileW(Extended(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, content.size());
  }

 private:
  static void Remove(const std::wstring& extended) {
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      WIN32_FIND_DATAW found;
      const HANDLE search = FindFirstFileW((extended + L"\\*").c_str(), &found);
      if (search != INVALID_HANDLE_VALUE) {
        do {
          const std::wstring name = found.cFileName;
          if (name != L"." && name != L"..") Remove(extended + L"\\" + name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
      }
      RemoveDirectoryW(extended.c_str());
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveDirectoryW(extended.c_str());  // a junction: the link, never its target
    } else {
      SetFileAttributesW(extended.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(extended.c_str());
    }
  }

  static inline int counter_ = 0;
  std::wstring root_;
};

std::string ReadAll(TextStream& stream) {
  std::string content;
  char buffer[7];  // small, so that a file takes several reads
  for (std::size_t got; (got = stream.Read(buffer)) > 0;) content.append(buffer, got);
  return content;
}

std::string Utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// One search run through the Windows service, as brenvo1-scan makes it.
testing::SearchResult Search(const std::string& folder, const std::string& text) {
  WindowsFileSystem service;
  return testing::Search(service, folder, text);
}

TEST(WindowsPaths, FullPathsAsTheSystemMakesThem) {
  EXPECT_EQ(FullFolderPath(L"C:\\"), L"C:\\");
  EXPECT_EQ(FullFolderPath(L"C:\\\\"), L"C:\\");
  EXPECT_EQ(FullFolderPath(L"C:\\a\\b\\"), L"C:\\a\\b");
  EXPECT_EQ(FullFolderPath(L"C:/a/./c/../b//"), L"C:\\a\\b");
  EXPECT_EQ(FullFolderPath(L"\\\\server\\share\\x\\..\\y\\"), L"\\\\server\\share\\y");
  EXPECT_EQ(FullFolderPath(L""), std::nullopt);
  // One pair of quotes around the whole path, as Explorer copies a path.
  EXPECT_EQ(FullFolderPath(L"\"C:\\Lavori d'ufficio & C\\\""), L"C:\\Lavori d'ufficio & C");
  EXPECT_EQ(FullFolderPath(L"\"\""), std::nullopt);
  // A last part named like a device is the folder of that name, trimmed of
  // trailing dots and spaces as the system trims any other name.
  EXPECT_EQ(FullFolderPath(L"C:\\a\\con"), L"C:\\a\\con");
  EXPECT_EQ(FullFolderPath(L"C:/a/NUL.txt"), L"C:\\a\\NUL.txt");
  EXPECT_EQ(FullFolderPath(L"C:\\a\\AUX "), L"C:\\a\\AUX");
  EXPECT_EQ(FullFolderPath(L"C:\\a\\AUX."), L"C:\\a\\AUX");
  EXPECT_EQ(FullFolderPath(L"C:\\a\\com1 . ."), L"C:\\a\\com1");
  // A drive's root in device form keeps its separator: without it the path
  // names the volume, not its root folder.
  EXPECT_EQ(FullFolderPath(L"\\\\?\\C:\\"), L"\\\\?\\C:\\");
  EXPECT_EQ(FullFolderPath(L"\\\\.\\C:\\"), L"\\\\.\\C:\\");
  EXPECT_EQ(FullFolderPath(L"\\\\.\\C:\\a\\.."), L"\\\\.\\C:\\");
  // A "\\?\" path is taken as typed: only "." and ".." parts are resolved,
  // and no name is trimmed or read as a device.
  EXPECT_EQ(FullFolderPath(L"\\\\?\\C:\\sub\\.."), L"\\\\?\\C:\\");
  EXPECT_EQ(FullFolderPath(L"\\\\?\\C:\\..\\.."), L"\\\\?\\C:\\");
  EXPECT_EQ(FullFolderPath(L"\\\\?\\C:\\a\\dir."), L"\\\\?\\C:\\a\\dir.");
  EXPECT_EQ(FullFolderPath(L"\\\\?\\C:\\a\\AUX \\"), L"\\\\?\\C:\\a\\AUX ");
  EXPECT_EQ(FullFolderPath(L"\\\\?\\C:\\a\\.\\b\\..\\c\\\\d"), L"\\\\?\\C:\\a\\c\\d");
  EXPECT_EQ(FullFolderPath(L"\\\\?\\UNC\\server\\share\\..\\x"), L"\\\\?\\UNC\\server\\share\\x");

  std::wstring current(MAX_PATH * 4, L'\0');
  current.resize(GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data()));
  if (current.size() > 3 && current.back() == L'\\') current.pop_back();
  EXPECT_EQ(FullFolderPath(L"."), current);
  EXPECT_EQ(FullFolderPath(L"sub\\.."), current);
  // Drive-relative: the root of the current folder's drive.
  EXPECT_EQ(FullFolderPath(L"\\"), current.substr(0, 3));
}

TEST(WindowsPaths, ExtendedLengthForms) {
  EXPECT_EQ(ExtendedLengthPath(L"C:\\a"), L"\\\\?\\C:\\a");
  EXPECT_EQ(ExtendedLengthPath(L"\\\\server\\share\\x"), L"\\\\?\\UNC\\server\\share\\x");
  EXPECT_EQ(ExtendedLengthPath(L"\\\\?\\C:\\a"), L"\\\\?\\C:\\a");
  EXPECT_EQ(ExtendedLengthPath(L"\\\\.\\C:\\a"), L"\\\\?\\C:\\a");
}

// A drive's root typed in device form is the same folder as "C:\".
TEST(WindowsFileSystem, DriveRootInDeviceForm) {
  WindowsFileSystem service;
  const OpenedFolder plain = service.GetFolder("C:\\");
  for (const std::string typed : {"\\\\?\\C:\\", "\\\\.\\C:\\", "\\\\?\\C:\\windows\\..", "\\\\.\\c:\\windows\\.."}) {
    ASSERT_TRUE(service.FolderExists(typed)) << typed;
    const OpenedFolder opened = service.GetFolder(typed);
    EXPECT_EQ(opened.folder->Identity(), plain.folder->Identity()) << typed;
  }
  EXPECT_FALSE(service.FolderExists("\\\\?\\C:"));  // the volume, not a folder
}

TEST(WindowsFileSystem, StartFolderListedByItsFullPathWithBackslashes) {
  TempTree tree;
  tree.Folder(L"sub");
  tree.File(L"sub\\a.txt", "ostile");
  tree.File(L"b.txt", "ostile");
  std::string typed = tree.root_wtf8() + "\\sub\\..\\";
  for (char& c : typed) c = c == '\\' ? '/' : c;
  const testing::SearchResult run = Search(typed, "OSTILE");
  EXPECT_EQ(run.outcome.status, search::RunStatus::Completed);
  EXPECT_EQ(run.hits, (Names{tree.root_wtf8() + "\\b.txt", tree.root_wtf8() + "\\sub\\a.txt"}));

  WindowsFileSystem service;
  EXPECT_TRUE(service.FolderExists(tree.root_wtf8()));
  EXPECT_FALSE(service.FolderExists(tree.root_wtf8() + "\\b.txt"));
  EXPECT_FALSE(service.FolderExists(tree.root_wtf8() + "\\nessuna"));
  EXPECT_FALSE(service.FolderExists(tree.root_wtf8() + std::string("\0x", 2)));
  EXPECT_FALSE(service.FolderExists("caf\xe9"));  // no UTF-16 name has these bytes
}

// CON, NUL, AUX, PRN, COMn and LPTn name devices only in paths the system
// parses; in a folder they are plain files and folders.
TEST(WindowsFileSystem, DeviceNamesAreTheFilesTheyAre) {
  TempTree tree;
  const std::vector<std::wstring> files = {L"NUL.bas", L"con.txt", L"COM1.txt", L"lpt9.cls", L"Aux.frm", L"PRN"};
  for (const std::wstring& name : files) tree.File(name, "ostile " + Wtf8Text(name));
  tree.Folder(L"con");
  tree.File(L"con\\nul.txt", "ostile dentro");

  WindowsFileSystem service;
  OpenedFolder start = service.GetFolder(tree.root_wtf8());
  EXPECT_EQ(start.folder->Files(), (Names{"Aux.frm", "COM1.txt", "con.txt", "lpt9.cls", "NUL.bas", "PRN"}));
  EXPECT_EQ(start.folder->SubFolders(), Names{"con"});
  for (const std::wstring& name : files) {
    const std::unique_ptr<TextStream> stream = start.folder->OpenTextFile(Wtf8Text(name));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(ReadAll(*stream), "ostile " + Wtf8Text(name));
  }

  const testing::SearchResult run = Search(tree.root_wtf8(), "ostile");
  const std::string root = tree.root_wtf8();
  EXPECT_EQ(run.hits, (Names{root + "\\Aux.frm", root + "\\COM1.txt", root + "\\con.txt", root + "\\lpt9.cls",
                             root + "\\NUL.bas", root + "\\con\\nul.txt"}));
  EXPECT_EQ(run.outcome.status, search::RunStatus::Completed);

  // Typed as the start folder with the trailing space or dot that the
  // system trims from any name.
  for (const std::string typed : {"\\con ", "\\con.", "\\con . ", "\\con\\"}) {
    const testing::SearchResult in_con = Search(root + typed, "ostile");
    EXPECT_EQ(in_con.hits, Names{root + "\\con\\nul.txt"}) << typed;
  }
}

// A "\\?\" path names exactly what it spells: "dir." is not "dir".
TEST(WindowsFileSystem, ExtendedLengthPathIsTakenAsTyped) {
  TempTree tree;
  tree.Folder(L"dir.");
  tree.File(L"dir.\\punto.txt", "ostile");
  tree.Folder(L"dir");
  tree.File(L"dir\\senza.txt", "ostile");
  const std::string extended = Wtf8Text(tree.Extended(L""));
  EXPECT_EQ(Search(extended + "\\dir.", "ostile").hits, Names{extended + "\\dir.\\punto.txt"});
  EXPECT_EQ(Search(tree.root_wtf8() + "\\dir.", "ostile").hits, Names{tree.root_wtf8() + "\\dir\\senza.txt"});
}

TEST(WindowsFileSystem, PathsLongerThanMaxPath) {
  TempTree tree;
  std::wstring relative;
  for (int level = 0; level < 6; ++level) {
    relative += (relative.empty() ? L"" : L"\\") + std::wstring(50, static_cast<wchar_t>(L'a' + level));
    tree.Folder(relative);
  }
  tree.File(relative + L"\\in_fondo.txt", "ostile");
  const std::string deep_folder = tree.root_wtf8() + "\\" + Wtf8Text(relative);
  ASSERT_GT(deep_folder.size(), 300u);

  const testing::SearchResult from_root = Search(tree.root_wtf8(), "ostile");
  EXPECT_EQ(from_root.hits, Names{deep_folder + "\\in_fondo.txt"});
  EXPECT_EQ(from_root.outcome.status, search::RunStatus::Completed);
  // The long path typed as the start folder.
  const testing::SearchResult from_deep = Search(deep_folder, "OSTILE");
  EXPECT_EQ(from_deep.hits, Names{deep_folder + "\\in_fondo.txt"});
}

TEST(WindowsFileSystem, NamesAreWtf8InTheSameOrderAsOnPosix) {
  TempTree tree;
  // U+1F600 and U+10400 lie beyond the Basic Multilingual Plane: surrogate
  // pairs in UTF-16, four bytes in UTF-8.
  for (const std::u8string_view name : {u8"b.txt", u8"B.TXT.bas", u8"a.TXT", u8"\u00e0.txt", u8"\U0001F600.txt",
                                        u8"_x.txt", u8"Z.txt", u8"\U00010400 deseret.bas", u8"citt\u00e0.cls"}) {
    tree.File(*WideName(Utf8(name)), "ostile");
  }
  tree.Folder(*WideName(Utf8(u8"\U0001F600 cartella")));
  tree.File(*WideName(Utf8(u8"\U0001F600 cartella\\\u00c0.txt")), "ostile");

  WindowsFileSystem service;
  OpenedFolder start = service.GetFolder(tree.root_wtf8());
  // Bytewise with ASCII letters lowered: "_" (0x5F) before every letter, a
  // name before its own extensions, every non-ASCII byte after ASCII.
  EXPECT_EQ(start.folder->Files(),
            (Names{"_x.txt", "a.TXT", "b.txt", "B.TXT.bas", Utf8(u8"citt\u00e0.cls"), "Z.txt", Utf8(u8"\u00e0.txt"),
                   Utf8(u8"\U00010400 deseret.bas"), Utf8(u8"\U0001F600.txt")}));
  const std::unique_ptr<TextStream> stream = start.folder->OpenTextFile(Utf8(u8"\U0001F600.txt"));
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(ReadAll(*stream), "ostile");
  const testing::SearchResult run = Search(tree.root_wtf8() + "\\" + Utf8(u8"\U0001F600 cartella"), "OSTILE");
  EXPECT_EQ(run.hits, Names{tree.root_wtf8() + "\\" + Utf8(u8"\U0001F600 cartella\\\u00c0.txt")});
}

// Not every file system takes such names (Wine's does not); where one does,
// the name is listed as WTF-8 and opened again from it.
TEST(WindowsFileSystem, LoneSurrogatesInNames) {
  TempTree tree;
  const std::wstring name = std::wstring(L"a") + wchar_t(0xD800) + L"b.txt";
  const HANDLE file = CreateFileW(tree.Extended(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) GTEST_SKIP() << "this file system refuses unpaired surrogates in names";
  DWORD written = 0;
  WriteFile(file, "ostile", 6, &written, nullptr);
  CloseHandle(file);
  const std::string wtf8 = "a\xed\xa0\x80" "b.txt";
  WindowsFileSystem service;
  OpenedFolder start = service.GetFolder(tree.root_wtf8());
  EXPECT_EQ(start.folder->Files(), Names{wtf8});
  const std::unique_ptr<TextStream> stream = start.folder->OpenTextFile(wtf8);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(ReadAll(*stream), "ostile");
  EXPECT_EQ(Search(tree.root_wtf8(), "ostile").hits, Names{tree.root_wtf8() + "\\" + wtf8});
}

// A file another program holds without sharing reading cannot be read: it
// is reported, and the run goes on. One held open with sharing is read.
TEST(WindowsFileSystem, FileLockedByAnotherHandleIsReportedUnreadable) {
  TempTree tree;
  tree.File(L"a_locked.txt", "ostile");
  tree.File(L"b_open_elsewhere.txt", "ostile");
  tree.File(L"c_free.txt", "ostile");
  const HANDLE locker = CreateFileW(tree.Extended(L"a_locked.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locker, INVALID_HANDLE_VALUE);
  const HANDLE writer = CreateFileW(tree.Extended(L"b_open_elsewhere.txt").c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);

  const testing::SearchResult run = Search(tree.root_wtf8(), "ostile");
  CloseHandle(locker);
  CloseHandle(writer);
  const std::string root = tree.root_wtf8();
  EXPECT_EQ(run.hits, (Names{root + "\\b_open_elsewhere.txt", root + "\\c_free.txt"}));
  EXPECT_EQ(run.outcome.status, search::RunStatus::CompletedWithSkips);
  EXPECT_EQ(run.outcome.unreadable.paths(), Names{root + "\\a_locked.txt"});
}

// Makes link a junction to target (a full path); false where the file
// system does not take reparse points.
bool MakeJunction(const std::wstring& link, const std::wstring& target) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
  const HANDLE handle = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const std::wstring substitute = L"\\??\\" + target;
  // REPARSE_DATA_BUFFER's mount-point form: the substitute name, then an
  // empty print name, each ending in a NUL.
  const std::size_t names = (substitute.size() + 2) * sizeof(wchar_t);
  std::vector<unsigned char> buffer(8 + 8 + names);
  auto put16 = [&buffer](std::size_t at, std::size_t value) {
    buffer[at] = static_cast<unsigned char>(value);
    buffer[at + 1] = static_cast<unsigned char>(value >> 8);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(buffer.data(), &tag, 4);
  put16(4, 8 + names);
  put16(8, 0);
  put16(10, substitute.size() * sizeof(wchar_t));
  put16(12, (substitute.size() + 1) * sizeof(wchar_t));
  put16(14, 0);
  std::memcpy(buffer.data() + 16, substitute.c_str(), substitute.size() * sizeof(wchar_t));
  DWORD returned = 0;
  const bool made = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()),
                                    nullptr, 0, &returned, nullptr);
  CloseHandle(handle);
  if (!made) RemoveDirectoryW(link.c_str());
  return made;
}

// Junctions up the tree and two links to one folder: every folder is walked
// once and the walk ends. Where junctions cannot be made here (Wine), the
// same tree comes from the test's set-up as POSIX links, which Wine shows
// as directory reparse points.
TEST(WindowsFileSystem, JunctionLoopsEndAndNoFolderIsWalkedTwice) {
  TempTree tree;
  std::string root = tree.root_wtf8();
  tree.Folder(L"a");
  tree.Folder(L"a\\b");
  tree.Folder(L"elsewhere");
  tree.File(L"a\\b\\x.txt", "ostile");
  tree.File(L"elsewhere\\e.txt", "ostile");
  const bool junctions = MakeJunction(tree.Extended(L"a\\b\\up"), tree.root() + L"\\a") &&
                         MakeJunction(tree.Extended(L"a\\sib1"), tree.root() + L"\\elsewhere") &&
                         MakeJunction(tree.Extended(L"a\\sib2"), tree.root() + L"\\elsewhere");
  if (!junctions) {
    const char* prepared = std::getenv("BRENVO1_LINK_TREE");
    ASSERT_NE(prepared, nullptr) << "no junctions here, and no prepared link tree";
    root = prepared;
  }
  const testing::SearchResult run = Search(root + "\\a", "ostile");
  EXPECT_EQ(run.hits, (Names{root + "\\a\\b\\x.txt", root + "\\a\\sib1\\e.txt"}));
  EXPECT_EQ(run.outcome.status, search::RunStatus::Completed);

  WindowsFileSystem service;
  OpenedFolder a = service.GetFolder(root + "\\a");
  EXPECT_EQ(a.folder->SubFolders(), (Names{"b", "sib1", "sib2"}));
  const std::unique_ptr<Folder> b = a.folder->GetSubFolder("b");
  const std::unique_ptr<Folder> up = b->GetSubFolder("up");
  EXPECT_EQ(up->Identity(), a.folder->Identity());
  EXPECT_EQ(a.folder->GetSubFolder("sib1")->Identity(), a.folder->GetSubFolder("sib2")->Identity());
  EXPECT_NE(b->Identity(), a.folder->Identity());
}

TEST(WindowsFileSystem, ReadsInBoundedChunksUpToTheEnd) {
  TempTree tree;
  std::string big(300000, '-');
  big.replace(big.size() - 6, 6, "ostile");
  tree.File(L"big.txt", big);
  tree.File(L"empty.txt", "");
  WindowsFileSystem service;
  OpenedFolder start = service.GetFolder(tree.root_wtf8());
  const std::unique_ptr<TextStream> empty = start.folder->OpenTextFile("empty.txt");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(ReadAll(*empty), "");
  const std::unique_ptr<TextStream> stream = start.folder->OpenTextFile("big.txt");
  ASSERT_NE(stream, nullptr);
  std::vector<char> chunk(1 << 16);
  std::string read;
  for (std::size_t got; (got = stream->Read(chunk)) > 0;) {
    EXPECT_LE(got, chunk.size());
    read.append(chunk.data(), got);
  }
  EXPECT_EQ(read, big);
  // A name that has gone since the listing is an error, not an empty file.
  EXPECT_THROW(start.folder->OpenTextFile("gone.txt"), FileSystemError);
  EXPECT_THROW(start.folder->GetSubFolder("gone"), FileSystemError);
}

// A plain file is read with no size asked for; past the limit for files of
// no size, its size is asked once and it is read on to its end.
TEST(WindowsFileSystem, FileLongerThanTheLimitForUnsizedFilesIsReadToItsEnd) {
  TempTree tree;
  std::string big(FileStream::kUnsizedLimit + 4096, '-');
  big.replace(big.size() - 6, 6, "ostile");
  tree.File(L"big.txt", big);
  WindowsFileSystem service;
  OpenedFolder start = service.GetFolder(tree.root_wtf8());
  const std::unique_ptr<TextStream> stream = start.folder->OpenTextFile("big.txt");
  ASSERT_NE(stream, nullptr);
  std::vector<char> chunk(1 << 20);
  std::uint64_t total = 0;
  std::string tail;
  for (std::size_t got; (got = stream->Read(chunk)) > 0;) {
    total += got;
    tail.assign(chunk.data(), got);
  }
  EXPECT_EQ(total, big.size());
  EXPECT_TRUE(tail.ends_with("ostile"));
  big.clear();
  EXPECT_EQ(Search(tree.root_wtf8(), "OSTILE").hits, (Names{tree.root_wtf8() + "\\big.txt"}));
}

// brenvo1-scan's command line: a quoted folder ending in a backslash, as
// typed at a prompt, is the folder meant; every other line means what the
// C runtime reads in it.
using Arguments = std::vector<std::wstring>;

TEST(ScanCommandLine, QuotedFolderEndingInABackslashIsTheFolder) {
  EXPECT_EQ(cli::SplitCommandLineTakingFolderAsTyped(LR"(brenvo1-scan "C:\Prove\" alfa)"),
            (Arguments{LR"(C:\Prove\)", L"alfa"}));
  EXPECT_EQ(cli::SplitCommandLineTakingFolderAsTyped(LR"("C:\Program Files\x.exe"  "C:\Prove\" "due parole")"),
            (Arguments{LR"(C:\Prove\)", L"due parole"}));
  EXPECT_EQ(cli::SplitCommandLineTakingFolderAsTyped(LR"(x "C:\Prove\\" alfa)"), (Arguments{LR"(C:\Prove\)", L"alfa"}));
  EXPECT_EQ(cli::SplitCommandLineTakingFolderAsTyped(LR"(x "\\server\share\" alfa)"),
            (Arguments{LR"(\\server\share\)", L"alfa"}));
  EXPECT_EQ(cli::SplitCommandLineTakingFolderAsTyped(LR"(x "C:\Prove\")"), (Arguments{LR"(C:\Prove\)"}));
}

TEST(ScanCommandLine, TextAfterTheFolderIsReadAsTheRuntimeReadsIt) {
  EXPECT_EQ(cli::SplitCommandLineTakingFolderAsTyped(LR"(x "C:\a\" "di \"lui\"" a\\b "x""y" c\\\"d)"),
            (Arguments{LR"(C:\a\)", LR"(di "lui")", LR"(a\\b)", LR"(x"y)", LR"(c\"d)"}));
  EXPECT_EQ(cli::SplitCommandLineTakingFolderAsTyped(L"x\t\"C:\\a\\\"\t\"\""), (Arguments{LR"(C:\a\)", L""}));
}

TEST(ScanCommandLine, RuntimeArgumentsStandUnlessTheFolderHoldsAQuote) {
  const Arguments given{LR"(C:\Prove\)", LR"(fine")"};
  EXPECT_EQ(cli::ScanArguments(LR"(x C:\Prove\ "fine\"")", given), given);
  EXPECT_EQ(cli::ScanArguments(LR"(x "C:\Prove\" alfa)", Arguments{LR"(C:\Prove" alfa)"}),
            (Arguments{LR"(C:\Prove\)", L"alfa"}));
  EXPECT_EQ(cli::ScanArguments(L"x", Arguments{}), Arguments{});
}

}  // namespace
}  // namespace brenvo1::platform::windows
