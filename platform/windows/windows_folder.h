#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/file_stream.h"
#include "platform/listed_folder.h"
#include "platform/read_ahead.h"
#include "platform/windows/handle.h"

namespace brenvo1::platform::windows {

// What the folders of one run share: the read-ahead of their files.
struct WindowsRun {
  explicit WindowsRun(ReadAheadMode mode) : read_ahead_switch(std::make_shared<ReadAheadSwitch>(mode)) {}
  std::shared_ptr<ReadAheadSwitch> read_ahead_switch;
  // Last: its threads stop before anything they use goes.
  ReadAhead read_ahead;
};

// A folder of a run on Windows, walked through its handle: each entry is
// opened relative to it, one component taken literally by the system,
// whatever its length or name. Junctions and directory links are
// followed. Only disk files are read; a file that is locked, denied,
// offline or that would be recalled from a cloud store by reading it is
// reported unreadable.
class WindowsFolder : public ListedFolder {
 public:
  // Throws FileSystemError naming name when the handle tells nothing.
  static std::unique_ptr<WindowsFolder> Opened(Handle&& handle, const std::string& name,
                                               std::shared_ptr<WindowsRun> run, bool network);
  WindowsFolder(Handle&& handle, FolderIdentity identity, std::shared_ptr<WindowsRun> run, bool network);
  ~WindowsFolder() override;
  WindowsFolder(const WindowsFolder&) = delete;
  WindowsFolder& operator=(const WindowsFolder&) = delete;

  void WillRead(std::vector<const std::string*> names) override;
  std::unique_ptr<Folder> GetSubFolder(const std::string& name) override;
  std::unique_ptr<TextStream> OpenTextFile(const std::string& name) override;

 private:
  bool ReadEntries(const GoOn& go_on) override;
  void Add(std::string name, DWORD attributes);
  // Opens a file, at its turn or on a thread of the read-ahead: reads only
  // what the listing left.
  std::unique_ptr<FileStream> OpenListedFile(const std::string& name) const;
  bool IsFolderNow(const std::wstring& name) const;
  void ReadAheadIfItPays();

  Handle handle_;
  std::shared_ptr<WindowsRun> run_;
  // On a network file system, where every question to the system is a
  // request to a server.
  bool network_;
  std::unordered_set<std::string> links_;      // reparse points: junctions, links
  std::unordered_set<std::string> not_local_;  // offline or recalled on reading
  ReadPlan will_read_;
};

// Whether the volume of the folder open as handle lies on another machine.
bool OnNetwork(HANDLE handle);

// Throws FileSystemError for operation on path, with the system's words.
[[noreturn]] void ThrowError(std::string path, DWORD error, const char* operation);

}  // namespace brenvo1::platform::windows
