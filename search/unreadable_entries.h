#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace brenvo1::search {

// The entries a run could not read. Every one is counted, but only the
// first kKeptPaths paths are kept: a tree of a million unreadable entries
// must not cost a million paths of memory, and nobody reads further than
// the first few thousand.
class UnreadableEntries {
 public:
  static constexpr std::size_t kKeptPaths = 5000;

  void Add(std::string path);

  bool empty() const { return count_ == 0; }
  std::size_t count() const { return count_; }
  // The first paths, in walk order.
  const std::vector<std::string>& paths() const { return paths_; }
  // How many were counted beyond paths().
  std::size_t not_kept() const { return count_ - paths_.size(); }

 private:
  std::size_t count_ = 0;
  std::vector<std::string> paths_;
};

}  // namespace brenvo1::search
