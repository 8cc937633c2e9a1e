#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace brenvo1::search {

// An entry a run could not read, and why: the reason the user can act on
// and the system's own words.
struct UnreadableEntry {
  std::string path;
  platform::FailureReason reason = platform::FailureReason::Other;
  std::string system_text;
};

// The entries a run could not read. Every one is counted, but only the
// first kKeptPaths are kept: a tree of a million unreadable entries must
// not cost a million paths of memory, and nobody reads further than the
// first few thousand.
class UnreadableEntries {
 public:
  static constexpr std::size_t kKeptPaths = 5000;

  void Add(std::string path, const platform::FileSystemError& error);

  bool empty() const { return count_ == 0; }
  std::size_t count() const { return count_; }
  // The first entries, in walk order.
  const std::vector<UnreadableEntry>& entries() const { return entries_; }
  // Their paths alone.
  std::vector<std::string> paths() const;
  // How many were counted beyond entries().
  std::size_t not_kept() const { return count_ - entries_.size(); }

 private:
  std::size_t count_ = 0;
  std::vector<UnreadableEntry> entries_;
};

}  // namespace brenvo1::search
