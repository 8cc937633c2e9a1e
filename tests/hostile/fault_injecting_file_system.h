#pragma once

// A file-system service that passes every call on to another one (usually
// the POSIX service on a real temporary tree), counts the calls of each
// kind, and makes a chosen call fail. A hook run after each call lets a test
// change the real tree between two calls of the engine: remove a file after
// its folder was listed, a folder after it was checked.

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace brenvo1::testing {

enum class FsCall {
  FolderExists,   // a failure answers false
  GetFolder,
  List,
  GetSubFolder,
  OpenTextFile,
  Read,
};

inline constexpr std::array<FsCall, 6> kAllFsCalls = {
    FsCall::FolderExists, FsCall::GetFolder, FsCall::List, FsCall::GetSubFolder, FsCall::OpenTextFile, FsCall::Read,
};

std::string_view NameOf(FsCall kind);

class FaultInjectingFileSystem : public platform::FileSystemService {
 public:
  // One call as the engine made it. entry is the full path concerned: the
  // folder for FolderExists, GetFolder and List, the folder joined with the
  // name for GetSubFolder and OpenTextFile, the file for Read. sequence
  // numbers every call from 1 on.
  struct CallRecord {
    FsCall kind;
    std::string entry;
    std::size_t sequence;
  };
  using Hook = std::function<void(const CallRecord&)>;

  explicit FaultInjectingFileSystem(platform::FileSystemService& inner);
  ~FaultInjectingFileSystem() override;

  // The nth call of the kind (from 1, counted since the last Reset) fails
  // with FileSystemError naming its entry, without reaching the service
  // underneath. A failed FolderExists answers false instead.
  void FailNth(FsCall kind, std::size_t n);
  // Every call of the kind fails.
  void FailEvery(FsCall kind);
  // Runs after each call that did not fail, before the result goes back.
  void AfterCall(Hook hook);
  // Forgets the counts, the record, the failures and the hook.
  void Reset();

  std::size_t count(FsCall kind) const;
  const std::vector<CallRecord>& calls() const;
  std::size_t total_calls() const;
  // Folders and streams handed out and not yet destroyed.
  int live_folders() const;
  int live_streams() const;

  bool FolderExists(std::string_view path) override;
  platform::OpenedFolder GetFolder(std::string_view path) override;

  struct State;

 private:
  platform::FileSystemService& inner_;
  std::shared_ptr<State> state_;
};

}  // namespace brenvo1::testing
