#pragma once

// The file-system service the search engine walks and reads through: what
// it promises, whichever system implements it (platform/posix,
// platform/windows) or whichever test fakes it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brenvo1::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Why an entry could not be read, as far as the user can act on it.
enum class FailureReason {
  InUse,         // another program holds it
  AccessDenied,  // the user may not read it
  Gone,          // no longer there since it was listed
  Other,         // the system's own words say what
};

// A failed file-system operation. path names the entry concerned when the
// service knows it; the walk knows the paths of the entries it asks for.
// what() is the system's own account of it, with the operation and the
// path; system_text the system's words alone, when the service has them.
class FileSystemError : public std::runtime_error {
 public:
  FileSystemError(std::string path, const std::string& what, FailureReason reason = FailureReason::Other,
                  std::string system_text = {})
      : std::runtime_error(what), path_(std::move(path)), reason_(reason), system_text_(std::move(system_text)) {}
  const std::string& path() const { return path_; }
  FailureReason reason() const { return reason_; }
  // What the system said ("Permission denied"), or what() when the service
  // did not say it apart.
  std::string system_text() const { return system_text_.empty() ? what() : system_text_; }

 private:
  std::string path_;
  FailureReason reason_;
  std::string system_text_;
};

// An open file, read front to back; closed when destroyed.
class TextStream {
 public:
  virtual ~TextStream() = default;
  // Reads the next bytes of the file into destination; returns how many,
  // 0 only at the end of the file. Throws FileSystemError.
  virtual std::size_t Read(std::span<char> destination) = 0;
};

// Asked during long work (the listing of a huge folder): false stops it.
using GoOn = std::function<bool()>;

// Identity of a folder on disk, whatever path reaches it: the walk enters
// each folder once, however many links lead to it.
struct FolderIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

struct FolderIdentityHash {
  std::size_t operator()(const FolderIdentity& identity) const {
    return std::hash<std::uint64_t>{}(identity.inode * 0x9E3779B97F4A7C15ull ^ identity.device);
  }
};

// An open folder. It knows its entries by name only: the walk keeps the one
// path of the folder it is in, so a deep tree does not hold a full path per
// level.
class Folder {
 public:
  virtual ~Folder() = default;
  virtual FolderIdentity Identity() const = 0;
  // Reads the folder's entries, once, as the folder holds them at that
  // moment: a folder is never listed ahead of its turn. go_on is asked
  // throughout, so that a folder of a million entries does not hold up the
  // run: false when it said stop first. Throws FileSystemError when the
  // folder cannot be listed, and again at every later call.
  virtual bool List(const GoOn& go_on) = 0;
  // Names of the regular files directly in the folder, in the service's
  // order; lists the folder first if List has not. Throws as List does.
  virtual const std::vector<std::string>& Files() = 0;
  // Names of the direct subfolders, in the service's order; lists the
  // folder first if List has not. Throws as List does.
  virtual const std::vector<std::string>& SubFolders() = 0;
  // Tells, once, which of Files will be opened, in the order they will be
  // opened (each name an element of Files). The service may then open and
  // read some of them ahead of their turn; when and how far is its own
  // affair, within bounds it sets.
  virtual void WillRead(std::vector<const std::string*> names) { (void)names; }
  // Opens a subfolder named by SubFolders. nullptr when the entry turns out
  // to be no folder to walk (a link that leads nowhere or round in a circle
  // of links): passed over, neither walked nor reported. Throws
  // FileSystemError when it is a folder that cannot be opened.
  virtual std::unique_ptr<Folder> GetSubFolder(const std::string& name) = 0;
  // Opens a file named by Files for reading, as it is at its turn, or as
  // it was when it was opened ahead. nullptr when the entry has turned out
  // not to be a regular file (a FIFO, socket or device put in its place):
  // neither read nor reported. Throws FileSystemError when the file cannot
  // be opened.
  virtual std::unique_ptr<TextStream> OpenTextFile(const std::string& name) = 0;
};

// The start folder of a search and its full path, as listed before the
// names of the entries below it.
struct OpenedFolder {
  std::string path;
  std::unique_ptr<Folder> folder;
};

class FileSystemService {
 public:
  virtual ~FileSystemService() = default;
  // True exactly when path names an existing folder. Throws FileSystemError
  // when the system cannot tell (no descriptor left to look), which is no
  // answer about the folder.
  virtual bool FolderExists(std::string_view path) = 0;
  // The folder that path names, as the system opens it. Throws
  // FileSystemError.
  virtual OpenedFolder GetFolder(std::string_view path) = 0;
};

// Appends the separator and name to path, without doubling the separator
// after a root folder.
inline void AppendName(std::string& path, std::string_view name) {
  if (path.empty() || path.back() != kPathSeparator) path.push_back(kPathSeparator);
  path.append(name);
}

inline std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path.append(folder);
  AppendName(path, name);
  return path;
}

}  // namespace brenvo1::platform
