#pragma once

// An in-memory folder tree for engine tests. Entries keep the order they
// were added in, and any operation can be made to fail for a chosen path.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace brenvo1::testing {

class FakeFileSystem : public platform::FileSystemService {
 public:
  // Paths are absolute, "/"-separated; parents are created as needed.
  void AddFolder(const std::string& path);
  void AddFile(const std::string& path, std::string content);
  // A subfolder entry that leads to an existing folder (a link).
  void AddFolderLink(const std::string& path, const std::string& target);

  // Operations that fail with EACCES for the given path.
  void FailOpen(const std::string& path) { fail_open_.insert(path); }
  void FailRead(const std::string& path) { fail_read_.insert(path); }
  void FailList(const std::string& path) { fail_list_.insert(path); }
  void FailGetFolder(const std::string& path) { fail_get_folder_.insert(path); }
  // The largest number of bytes one Read hands out.
  void SetReadSize(std::size_t size) { read_size_ = size; }

  // Paths of the files opened so far, in order.
  const std::vector<std::string>& opened() const { return opened_; }
  // The files each folder said it will read, and the openings, in the
  // order they came, as "will PATH" and "open PATH".
  const std::vector<std::string>& plans_and_opens() const { return plans_and_opens_; }
  // How often the walk was asked whether to go on during a listing.
  int listing_questions() const { return listing_questions_; }
  int open_streams() const { return open_streams_; }

  bool FolderExists(std::string_view path) override;
  platform::OpenedFolder GetFolder(std::string_view path) override;

 private:
  struct Node {
    bool is_folder = false;
    std::string content;
    std::string link_target;                 // for folder links
    std::vector<std::string> file_names;      // in insertion order
    std::vector<std::string> folder_names;    // in insertion order
    std::uint64_t inode = 0;
  };
  class FakeFolder;
  class FakeStream;

  Node& Ensure(const std::string& path, bool is_folder);
  const Node* Find(const std::string& path) const;
  std::string Resolve(const std::string& path) const;

  std::map<std::string, Node> nodes_;
  std::set<std::string> fail_open_, fail_read_, fail_list_, fail_get_folder_;
  std::size_t read_size_ = 1 << 20;
  std::vector<std::string> opened_;
  std::vector<std::string> plans_and_opens_;
  int listing_questions_ = 0;
  int open_streams_ = 0;
  std::uint64_t next_inode_ = 1;
};

}  // namespace brenvo1::testing
