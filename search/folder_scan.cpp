#include "search/folder_scan.h"

#include <algorithm>
#include <memory>

#include "search/extension.h"

namespace brenvo1::search {

using platform::FileSystemError;
using platform::Folder;
using platform::JoinPath;

FolderScan::FolderScan(platform::ListBox& lstFile, const SearchText& text)
    : lstFile_(lstFile), matcher_(text) {}

void FolderScan::ScanFolder(Folder& start) {
  // The walk keeps its own stack rather than recursing, so that a very deep
  // tree cannot exhaust the thread's stack.
  struct Level {
    Folder* folder;
    std::unique_ptr<Folder> owned;  // empty for the start folder
    std::size_t next_subfolder = 0;
  };
  std::vector<Level> levels;

  auto enter = [&](Folder& folder, std::unique_ptr<Folder> owned) {
    if (!ExamineFiles(folder)) return;
    current_path_.push_back(folder.Identity());
    levels.push_back({&folder, std::move(owned), 0});
  };

  enter(start, nullptr);
  while (!levels.empty()) {
    Level& level = levels.back();
    const std::vector<std::string>* subfolders = nullptr;
    try {
      subfolders = &level.folder->SubFolders();
    } catch (const FileSystemError&) {
      skipped_.push_back(level.folder->Path());
    }
    if (subfolders == nullptr || level.next_subfolder >= subfolders->size()) {
      levels.pop_back();
      current_path_.pop_back();
      continue;
    }
    const std::string& name = (*subfolders)[level.next_subfolder++];
    std::unique_ptr<Folder> subfolder;
    try {
      subfolder = level.folder->GetSubFolder(name);
    } catch (const FileSystemError&) {
      skipped_.push_back(JoinPath(level.folder->Path(), name));
      continue;
    }
    if (!subfolder || IsOnCurrentPath(subfolder->Identity())) continue;
    Folder& entered = *subfolder;
    enter(entered, std::move(subfolder));
  }
}

bool FolderScan::ExamineFiles(Folder& folder) {
  const std::vector<std::string>* files = nullptr;
  try {
    files = &folder.Files();
  } catch (const FileSystemError&) {
    skipped_.push_back(folder.Path());
    return false;
  }
  for (const std::string& name : *files) {
    if (!IsCandidateFile(name)) continue;
    ExamineFile(folder, name);
    lstFile_.RefreshIfDue();
  }
  return true;
}

void FolderScan::ExamineFile(Folder& folder, const std::string& name) {
  try {
    const std::unique_ptr<platform::TextStream> stream = folder.OpenTextFile(name);
    if (!stream) return;  // no longer a regular file: neither read nor reported
    if (stream->AtEndOfStream()) {
      stream->Close();
      return;
    }
    const bool hit = matcher_.Contains(*stream);
    stream->Close();
    if (hit) {
      lstFile_.AddItem(JoinPath(folder.Path(), name));
      lstFile_.Refresh();
    }
  } catch (const FileSystemError&) {
    skipped_.push_back(JoinPath(folder.Path(), name));
  }
}

bool FolderScan::IsOnCurrentPath(const platform::FolderIdentity& identity) const {
  return std::find(current_path_.begin(), current_path_.end(), identity) != current_path_.end();
}

}  // namespace brenvo1::search
