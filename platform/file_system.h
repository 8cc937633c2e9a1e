#pragma once

// The file-system service the search engine walks and reads through. The
// POSIX implementation serves the real program; tests plug in fakes that
// fail on demand.

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

// A failed file-system operation. path names the entry concerned when the
// service knows it; the walk knows the paths of the entries it asks for.
class FileSystemError : public std::runtime_error {
 public:
  FileSystemError(std::string path, const std::string& what) : std::runtime_error(what), path_(std::move(path)) {}
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// An open file, read front to back in chunks.
class TextStream {
 public:
  virtual ~TextStream() = default;
  // True when nothing is left to read; on a fresh stream, exactly when the
  // file is empty.
  virtual bool AtEndOfStream() = 0;
  // Reads the next bytes of the file into destination; returns how many,
  // 0 only at the end of the file. Throws FileSystemError.
  virtual std::size_t Read(std::span<char> destination) = 0;
  virtual void Close() = 0;
};

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
  // Names of the regular files directly in the folder, in the service's
  // order, as the folder holds them when first asked for: a folder is never
  // listed ahead of its turn. Throws FileSystemError when the folder cannot
  // be listed.
  virtual const std::vector<std::string>& Files() = 0;
  // Names of the direct subfolders, in the service's order. Throws
  // FileSystemError when the folder cannot be listed.
  virtual const std::vector<std::string>& SubFolders() = 0;
  // Opens a subfolder named by SubFolders. Throws FileSystemError.
  virtual std::unique_ptr<Folder> GetSubFolder(const std::string& name) = 0;
  // Opens a file named by Files for reading. Returns nullptr when the entry
  // has turned out not to be a regular file (a FIFO or device put in its
  // place); such an entry is neither read nor reported. A service that
  // cannot tell without asking the system once more may instead hand out a
  // stream that reads as empty: a folder or a FIFO with nothing written to
  // it. Throws FileSystemError when the file cannot be opened.
  virtual std::unique_ptr<TextStream> OpenTextFile(const std::string& name) = 0;
  // A hint that the file named by Files will be opened soon, files being
  // opened in the order of their hints. The service may open it now and
  // have the system start fetching its content; the stream OpenTextFile
  // then hands out reads that same open file, whatever happened to the name
  // in between. A service holds only a bounded number of files so, and
  // gives them back before the walk would run short of them.
  virtual void Prefetch(const std::string& name) { (void)name; }
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
  // True exactly when path names an existing folder.
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
