#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace brenvo1::platform {

// A folder whose entries are read once, when it is listed, and then kept in
// name order (see name_order.h), on every system alike. A listing that
// failed fails the same way each time it is asked for again. Each system
// supplies the reading.
class ListedFolder : public Folder {
 public:
  explicit ListedFolder(FolderIdentity identity) : identity_(identity) {}

  FolderIdentity Identity() const final { return identity_; }
  bool List(const GoOn& go_on) final;
  const std::vector<std::string>& Files() final;
  const std::vector<std::string>& SubFolders() final;

 protected:
  // Hands every entry to AddFile or AddSubFolder, asking go_on between
  // batches of them: false when it said stop. Throws FileSystemError.
  virtual bool ReadEntries(const GoOn& go_on) = 0;
  void AddFile(std::string name) { files_.push_back(std::move(name)); }
  void AddSubFolder(std::string name) { subfolders_.push_back(std::move(name)); }

 private:
  FolderIdentity identity_;
  bool listed_ = false;
  std::optional<FileSystemError> failure_;
  std::vector<std::string> files_;
  std::vector<std::string> subfolders_;
};

// Sorts names in NameOrder, in pieces that each take a small fraction of a
// display frame, asking go_on between them: a folder of a million names
// takes a second to sort. False when go_on said stop, names then in no
// particular order.
bool SortNames(std::vector<std::string>& names, const GoOn& go_on);

}  // namespace brenvo1::platform
