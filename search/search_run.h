#pragma once

// One search run: what a click on "Trova" does. It empties the result list,
// checks the folder path, walks the folder tree and lists every candidate
// file whose text holds the search text.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/window_services.h"

namespace brenvo1::search {

// "File o cartelle non leggibili: N"
std::string UnreadableEntriesMessage(std::size_t count);

// The window controls a search run reads and writes.
struct SearchControls {
  platform::ApplicationPointer& screen;
  const platform::TextBox& txtPercorso;
  const platform::TextBox& txtTesto;
  platform::ListBox& lstFile;
  platform::MessageBox& messageBox;
};

enum class RunStatus {
  Completed,           // every entry was read
  FolderMissing,       // the folder path names no folder; the box said so
  CompletedWithSkips,  // some entries could not be read; the box listed them
};

struct RunOutcome {
  RunStatus status = RunStatus::Completed;
  std::vector<std::string> skipped;  // full paths of unreadable entries
};

// Runs one search. The busy pointer is shown for the whole run and reset
// on every way out, exceptions included.
RunOutcome Command1_Click(const SearchControls& controls, platform::FileSystemService& fileSystem);

}  // namespace brenvo1::search
