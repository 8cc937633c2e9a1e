#include "search/unreadable_entries.h"

namespace brenvo1::search {

void UnreadableEntries::Add(std::string path) {
  ++count_;
  if (paths_.size() < kKeptPaths) paths_.push_back(std::move(path));
}

}  // namespace brenvo1::search
