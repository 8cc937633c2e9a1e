#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/file_system.h"
#include "search/content_matcher.h"
#include "search/search_sink.h"
#include "search/search_text.h"
#include "search/unreadable_entries.h"

namespace brenvo1::search {

// Walks a folder tree depth first, pre-order: a folder's files, in the
// service's order, then each subfolder's whole tree in turn. Every file with
// a candidate extension is read, and the full path of each one whose text
// holds the search text goes to the sink at once. The sink is asked whether
// to go on whatever the walk is doing, never more than a few milliseconds
// apart: after every file and between the chunks of a large one, between
// folders, and while a large folder is listed.
//
// An entry that cannot be read is skipped and counted, so that one
// locked file does not cost the hits of the rest of the tree. No folder is
// entered twice in one scan, however many links lead to it: the first path
// that reaches it in walk order is the one listed, and link loops end.
class FolderScan {
 public:
  // Unreadable entries are added to unreadable, in walk order.
  FolderScan(SearchSink& sink, const SearchText& text, UnreadableEntries& unreadable);

  // path is the start folder's full path, as its entries are listed under.
  // False when the sink stopped the walk.
  bool ScanFolder(platform::Folder& start, std::string_view path);

 private:
  // A folder on the way down from the start. The walk keeps its own stack
  // rather than recursing, so that a very deep tree cannot exhaust the
  // thread's stack.
  struct Level {
    std::unique_ptr<platform::Folder> owned;  // empty for the start folder
    platform::Folder* folder;
    std::size_t path_size;  // path_ holds this folder's path up to here
    std::size_t next_subfolder = 0;
  };

  // Lists the folder and examines its files. False when it was entered
  // before or cannot be listed, or when the sink stopped the walk
  // (stopped_).
  bool Enter(platform::Folder& folder);
  // The sink's answer; once it said stop, the walk only unwinds.
  bool GoOn();
  void ExamineFile(platform::Folder& folder, const std::string& name);

  SearchSink& sink_;
  UnreadableEntries& unreadable_;
  bool stopped_ = false;
  ContentMatcher matcher_;
  // The path of the folder being examined; names are pushed and popped as
  // the walk goes down and up, so memory follows the longest path only.
  std::string path_;
  std::vector<Level> levels_;
  std::unordered_set<platform::FolderIdentity, platform::FolderIdentityHash> entered_;
};

}  // namespace brenvo1::search
