#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <list>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/file_descriptor.h"
#include "platform/read_ahead.h"

namespace brenvo1::platform::posix {

class PosixRun;

// One folder of a run's walk: how to open it again from the folder above
// it, and what it was when first opened.
struct FolderNode {
  std::shared_ptr<PosixRun> run;
  std::shared_ptr<FolderNode> parent;  // none for the start folder
  std::string name;                    // within parent
  FolderIdentity identity;
  // On a network file system, where every question to the system is a
  // request to a server.
  bool network = false;
  FileDescriptor fd;  // none while let go of
  std::list<FolderNode*>::iterator place;  // in the run's open folders, while fd is open
  ~FolderNode();
};

// What the folders of one run share: their descriptors, of which it keeps
// a bounded number open. A walk down a tree thousands of folders deep
// would need one per level and run out, losing what lies deeper; instead
// the folders used last stay open and the others are let go of. A folder
// let go of is opened again, relative to the nearest folder above it that
// is open, when the walk comes back to it, and must be the same folder it
// was. The start folder is opened again by its path.
//
// The run also owns the read-ahead of its files (read_ahead.h); the folder
// whose files are read ahead keeps its descriptor while they are.
class PosixRun : public std::enable_shared_from_this<PosixRun> {
 public:
  // most_open: how many folder descriptors it keeps; depth: how many files
  // it reads ahead at most.
  PosixRun(std::size_t most_open, ReadAheadMode mode, std::size_t depth)
      : most_open_(most_open), switch_(std::make_shared<ReadAheadSwitch>(mode)), read_ahead_(depth) {}

  // A run that keeps a fair share of the descriptors the process may have.
  static std::shared_ptr<PosixRun> ForThisProcess(ReadAheadMode mode);

  const std::shared_ptr<ReadAheadSwitch>& read_ahead_switch() const { return switch_; }
  ReadAhead& read_ahead() { return read_ahead_; }
  // Reads names of folder ahead, through its descriptor, kept open
  // meanwhile.
  void PlanReads(FolderNode& folder, const void* key, std::vector<const std::string*> names);
  void EndReads(const void* key);

  // path: the start folder's absolute path, as it is listed.
  std::shared_ptr<FolderNode> Start(FileDescriptor fd, const struct stat& st, std::string path);
  std::shared_ptr<FolderNode> Child(const std::shared_ptr<FolderNode>& parent, std::string name, FileDescriptor fd,
                                    const struct stat& st);

  // The folder's descriptor, opened again if it was let go of. Throws
  // FileSystemError when it cannot be, or is another folder now.
  int Descriptor(FolderNode& node);

  // openat relative to the folder. When the process has run out of
  // descriptors, the run lets go of the files read ahead and of every
  // folder but this one, and tries once more: a held folder is never worth
  // a file that cannot be read.
  int OpenAt(FolderNode& folder, const char* name, int flags);

  void Forget(FolderNode& node);

 private:
  void Opened(FolderNode& node);
  void LetGoOfAllBut(const FolderNode* keep);

  // Opens folder again, relative to the folder above it or, for the start
  // folder, by its path. Throws FileSystemError.
  void Reopen(FolderNode& folder);

  std::size_t most_open_;
  std::string start_path_;
  std::shared_ptr<ReadAheadSwitch> switch_;
  const FolderNode* reading_ahead_ = nullptr;  // never let go of meanwhile
  const void* reading_ahead_key_ = nullptr;
  // Last: its threads stop before anything they use goes.
  ReadAhead read_ahead_;
  std::list<FolderNode*> open_;  // least recently used first
};

}  // namespace brenvo1::platform::posix
