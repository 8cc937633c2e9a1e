#pragma once

// The file-system service the search engine walks and reads through. The
// POSIX implementation serves the real program; tests plug in fakes that
// fail on demand.

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brenvo1::platform {

// A failed file-system operation. path names the entry concerned.
class FileSystemError : public std::runtime_error {
 public:
  FileSystemError(std::string path, int error_number, const std::string& what)
      : std::runtime_error(what), path_(std::move(path)), error_number_(error_number) {}
  const std::string& path() const { return path_; }
  int error_number() const { return error_number_; }

 private:
  std::string path_;
  int error_number_;
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

// Identity of a folder on disk, used to notice a link that leads back to a
// folder being walked.
struct FolderIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

class Folder {
 public:
  virtual ~Folder() = default;
  // Full path of the folder, as it prefixes the paths of its entries.
  virtual const std::string& Path() const = 0;
  virtual FolderIdentity Identity() const = 0;
  // Names of the regular files directly in the folder, in the service's
  // order. Throws FileSystemError when the folder cannot be listed.
  virtual const std::vector<std::string>& Files() = 0;
  // Names of the direct subfolders, in the service's order. Throws
  // FileSystemError when the folder cannot be listed.
  virtual const std::vector<std::string>& SubFolders() = 0;
  // Opens a subfolder named by SubFolders. Throws FileSystemError.
  virtual std::unique_ptr<Folder> GetSubFolder(const std::string& name) = 0;
  // Opens a file named by Files for reading. Returns nullptr when the entry
  // has turned out not to be a regular file (a FIFO or device put in its
  // place); such an entry is neither read nor reported. Throws
  // FileSystemError when the file cannot be opened.
  virtual std::unique_ptr<TextStream> OpenTextFile(const std::string& name) = 0;
};

class FileSystemService {
 public:
  virtual ~FileSystemService() = default;
  // True exactly when path names an existing folder.
  virtual bool FolderExists(std::string_view path) = 0;
  // The folder that path names. Throws FileSystemError.
  virtual std::unique_ptr<Folder> GetFolder(std::string_view path) = 0;
};

// Joins a folder path and an entry name with the "/" separator, without
// doubling it after the root folder.
inline std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path.append(folder);
  if (path.empty() || path.back() != '/') path.push_back('/');
  path.append(name);
  return path;
}

}  // namespace brenvo1::platform
