#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/window_services.h"
#include "search/content_matcher.h"
#include "search/search_text.h"

namespace brenvo1::search {

// Walks a folder tree depth first, pre-order: a folder's files, in the
// service's order, then each subfolder's whole tree in turn. Every file with
// a candidate extension is read, and the full path of each one whose text
// holds the search text is appended to the result list at once.
//
// An entry that cannot be read is skipped and remembered, so that one
// locked file does not cost the hits of the rest of the tree. A subfolder
// that is the same folder as one on the way down from the start (a link
// back up the tree) is not entered again.
class FolderScan {
 public:
  FolderScan(platform::ListBox& lstFile, const SearchText& text);

  void ScanFolder(platform::Folder& folder);

  // Full paths of the entries that could not be read, in walk order.
  const std::vector<std::string>& skipped() const { return skipped_; }

 private:
  // Returns false when the folder cannot be listed.
  bool ExamineFiles(platform::Folder& folder);
  void ExamineFile(platform::Folder& folder, const std::string& name);
  bool IsOnCurrentPath(const platform::FolderIdentity& identity) const;

  platform::ListBox& lstFile_;
  ContentMatcher matcher_;
  std::vector<platform::FolderIdentity> current_path_;
  std::vector<std::string> skipped_;
};

}  // namespace brenvo1::search
