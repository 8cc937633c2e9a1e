#include "search/folder_scan.h"

#include <memory>

#include "search/extension.h"

namespace brenvo1::search {

using platform::FileSystemError;
using platform::Folder;

FolderScan::FolderScan(SearchSink& sink, const SearchText& text, UnreadableEntries& unreadable)
    : sink_(sink),
      unreadable_(unreadable),
      matcher_(text, ContentMatcher::kDefaultChunkSize, [this] { return sink_.GoOn(); }) {}

bool FolderScan::ScanFolder(Folder& start, std::string_view path) {
  levels_.clear();
  stopped_ = false;
  path_.assign(path);
  if (Enter(start)) levels_.push_back({nullptr, &start, path_.size()});
  while (!levels_.empty() && !stopped_) {
    Level& level = levels_.back();
    path_.resize(level.path_size);
    const std::vector<std::string>* subfolders = nullptr;
    try {
      subfolders = &level.folder->SubFolders();
    } catch (const FileSystemError&) {
      unreadable_.Add(path_);
    }
    if (subfolders == nullptr || level.next_subfolder >= subfolders->size()) {
      levels_.pop_back();
      continue;
    }
    const std::string& name = (*subfolders)[level.next_subfolder++];
    platform::AppendName(path_, name);
    std::unique_ptr<Folder> subfolder;
    try {
      subfolder = level.folder->GetSubFolder(name);
    } catch (const FileSystemError&) {
      unreadable_.Add(path_);
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
  const std::vector<std::string>* files = nullptr;
  try {
    files = &folder.Files();
  } catch (const FileSystemError&) {
    unreadable_.Add(path_);
    return false;
  }
  // The service is told which files come next, so that the disk can be
  // fetching them while the current one is searched.
  std::vector<const std::string*> candidates;
  for (const std::string& name : *files) {
    if (IsCandidateFile(name)) candidates.push_back(&name);
  }
  std::size_t announced = 0;
  auto announce_until = [&](std::size_t end) {
    for (; announced < end && announced < candidates.size(); ++announced) folder.Prefetch(*candidates[announced]);
  };
  announce_until(kFilesAnnouncedAhead);
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    announce_until(i + 1 + kFilesAnnouncedAhead);
    ExamineFile(folder, *candidates[i]);
    if (stopped_ || !sink_.GoOn()) {
      stopped_ = true;
      return false;
    }
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
    stream->Close();
    if (matcher_.stopped()) {
      stopped_ = true;
    } else if (hit) {
      sink_.Hit(platform::JoinPath(path_, name));
    }
  } catch (const FileSystemError&) {
    unreadable_.Add(platform::JoinPath(path_, name));
  }
}

}  // namespace brenvo1::search
