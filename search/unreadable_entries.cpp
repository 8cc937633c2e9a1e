#include "search/unreadable_entries.h"

namespace brenvo1::search {

void UnreadableEntries::Add(std::string path, const platform::FileSystemError& error) {
  ++count_;
  if (entries_.size() < kKeptPaths) entries_.push_back({std::move(path), error.reason(), error.system_text()});
}

std::vector<std::string> UnreadableEntries::paths() const {
  std::vector<std::string> paths;
  paths.reserve(entries_.size());
  for (const UnreadableEntry& entry : entries_) paths.push_back(entry.path);
  return paths;
}

}  // namespace brenvo1::search
