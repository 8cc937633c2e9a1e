#pragma once

#include <memory>
#include <string>

#include "platform/listed_folder.h"
#include "platform/read_ahead.h"
#include "platform/posix/posix_run.h"

namespace brenvo1::platform::posix {

// A folder of a run on POSIX, walked through its descriptor (openat): a
// full path is built only where one is needed. A file is an entry that is
// a regular file after following links; a directory or a link to one is a
// subfolder; anything else is neither.
class PosixFolder : public ListedFolder {
 public:
  explicit PosixFolder(std::shared_ptr<FolderNode> node);
  ~PosixFolder() override;
  PosixFolder(const PosixFolder&) = delete;
  PosixFolder& operator=(const PosixFolder&) = delete;

  void WillRead(std::vector<const std::string*> names) override;
  std::unique_ptr<Folder> GetSubFolder(const std::string& name) override;
  std::unique_ptr<TextStream> OpenTextFile(const std::string& name) override;

 private:
  bool ReadEntries(const GoOn& go_on) override;
  // Has the files after those opened so far read ahead, when that pays.
  void ReadAheadIfItPays();

  // No path: the walk keeps the one path of the folder it is in, and a
  // deep tree costs its longest path, not depth times path. Errors name
  // the entry concerned.
  std::shared_ptr<FolderNode> node_;
  ReadPlan will_read_;
};

}  // namespace brenvo1::platform::posix
