#pragma once

// One search run: the folder path and the search text in, each hit out to
// a sink as it is found, and at the end what happened.

#include <string_view>

#include "platform/file_system.h"
#include "search/search_sink.h"
#include "search/unreadable_entries.h"

namespace brenvo1::search {

enum class RunStatus {
  Completed,           // every entry was read
  FolderMissing,       // the folder path names no folder; nothing was read
  CompletedWithSkips,  // some entries could not be read: see unreadable
  Abandoned,           // the sink said to stop; what was reported stands
};

struct RunOutcome {
  RunStatus status = RunStatus::Completed;
  UnreadableEntries unreadable;  // also kept for an abandoned run
};

// Walks the folder that folder_path names as the file system opens it,
// depth first, and reports to sink the full path of every candidate file
// whose text holds search_text (UTF-8; bytes that are not are taken as
// Windows-1252, as in files). An entry that cannot be read is skipped,
// counted, and the walk goes on. Throws FileSystemError when the system
// cannot tell whether the folder exists, and otherwise only what the file
// system or the sink throw beyond FileSystemError (out of memory, a sink's
// own failure).
RunOutcome RunSearch(std::string_view folder_path, std::string_view search_text,
                     platform::FileSystemService& file_system, SearchSink& sink);

}  // namespace brenvo1::search
