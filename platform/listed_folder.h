#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace brenvo1::platform {

// A folder whose entries are read once, on first use, and then kept in name
// order (see name_order.h). A listing that failed fails the same way each
// time it is asked for again. Each system supplies the reading.
class ListedFolder : public Folder {
 public:
  explicit ListedFolder(FolderIdentity identity) : identity_(identity) {}

  FolderIdentity Identity() const final { return identity_; }
  const std::vector<std::string>& Files() final;
  const std::vector<std::string>& SubFolders() final;

 protected:
  // Hands every entry to AddFile or AddSubFolder, or throws FileSystemError.
  virtual void ReadEntries() = 0;
  void AddFile(std::string name) { files_.push_back(std::move(name)); }
  void AddSubFolder(std::string name) { subfolders_.push_back(std::move(name)); }
  bool listed() const { return listed_; }

 private:
  void List();

  FolderIdentity identity_;
  bool listed_ = false;
  std::optional<FileSystemError> failure_;
  std::vector<std::string> files_;
  std::vector<std::string> subfolders_;
};

}  // namespace brenvo1::platform
