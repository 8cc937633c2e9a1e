#pragma once

// A real folder tree under the temporary folder, removed again when the
// object goes. Paths given to the members are relative to the tree's root
// and are raw bytes, so any name a file system allows can be made.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brenvo1::testing {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // Absolute, normalised path of the root: what the search run shows.
  const std::string& root() const { return root_; }
  std::string Path(std::string_view relative) const;

  void Folder(std::string_view relative);  // parents are made as needed
  void File(std::string_view relative, std::string_view content);
  void Link(std::string_view relative, std::string_view target);
  void Fifo(std::string_view relative);
  // A bound, then abandoned, Unix-domain socket.
  void Socket(std::string_view relative);
  // A file of size bytes that holds no data blocks but for tail, written at
  // its very end.
  void SparseFile(std::string_view relative, std::uint64_t size, std::string_view tail);
  // Permissions are put back before the tree is removed.
  void Chmod(std::string_view relative, mode_t mode);
  void Remove(std::string_view relative);
  void Rename(std::string_view from, std::string_view to);

 private:
  std::string root_;
  std::vector<std::string> changed_modes_;
};

}  // namespace brenvo1::testing
