#include "search/folder_scan.h"

#include <memory>

#include "search/extension.h"

namespace brenvo1::search {

using platform::FileSystemError;
using platform::Folder;

FolderScan::FolderScan(SearchSink& sink, const SearchText& text, UnreadableEntries& unreadable)
    : sink_(sink), unreadable_(unreadable), matcher_(text, ContentMatcher::kDefaultChunkSize, [this] { return GoOn(); }) {}

bool FolderScan::GoOn() {
  if (!stopped_ && !sink_.GoOn()) stopped_ = true;
  return !stopped_;
}

bool FolderScan::ScanFolder(Folder& start, std::string_view path) {
  levels_.clear();
  stopped_ = false;
  path_.assign(path);
  if (Enter(start)) levels_.push_back({nullptr, &start, path_.size()});
  // Between folders too: a tree of empty folders holds no file to stop at.
  while (!levels_.empty() && GoOn()) {
    Level& level = levels_.back();
    path_.resize(level.path_size);
    const std::vector<std::string>& subfolders = level.folder->SubFolders();
    if (level.next_subfolder >= subfolders.size()) {
      levels_.pop_back();
      continue;
    }
    const std::string& name = subfolders[level.next_subfolder++];
    platform::AppendName(path_, name);
    std::unique_ptr<Folder> subfolder;
    try {
      subfolder = level.folder->GetSubFolder(name);
    } catch (const FileSystemError& error) {
      unreadable_.Add(path_, error);
      continue;
    }
    if (subfolder && Enter(*subfolder)) {
      Folder* entered = subfolder.get();
      levels_.push_back({std::move(subfolder), entered, path_.size()});
    }
  }
  return !stopped_;
}

bool FolderScan::Enter(Folder& folder) {
  if (!entered_.insert(folder.Identity()).second) return false;
  try {
    if (!folder.List([this] { return GoOn(); })) return false;
  } catch (const FileSystemError& error) {
    unreadable_.Add(path_, error);
    return false;
  }
  const std::vector<std::string>& files = folder.Files();
  std::vector<const std::string*> candidates;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (IsCandidateFile(files[i])) candidates.push_back(&files[i]);
    if (i % 4096 == 4095 && !GoOn()) return false;
  }
  folder.WillRead(candidates);
  for (const std::string* name : candidates) {
    ExamineFile(folder, *name);
    if (!GoOn()) return false;
  }
  return true;
}

void FolderScan::ExamineFile(Folder& folder, const std::string& name) {
  try {
    const std::unique_ptr<platform::TextStream> stream = folder.OpenTextFile(name);
    if (!stream) return;  // no longer a regular file: neither read nor reported
    // An empty file is no hit, whatever the text: the matcher tells, from
    // its first read.
    const bool hit = matcher_.Contains(*stream);
    if (!matcher_.stopped() && hit) sink_.Hit(platform::JoinPath(path_, name));
  } catch (const FileSystemError& error) {
    unreadable_.Add(platform::JoinPath(path_, name), error);
  }
}

}  // namespace brenvo1::search
