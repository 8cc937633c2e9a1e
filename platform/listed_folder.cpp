#include "platform/listed_folder.h"

#include <algorithm>

#include "platform/name_order.h"

namespace brenvo1::platform {

bool ListedFolder::List(const GoOn& go_on) {
  if (listed_) return true;
  if (failure_) throw *failure_;
  bool done = false;
  try {
    done = ReadEntries(go_on) && SortNames(files_, go_on) && SortNames(subfolders_, go_on);
  } catch (const FileSystemError& error) {
    failure_ = error;
    files_.clear();
    subfolders_.clear();
    throw;
  }
  if (!done) {
    files_.clear();
    subfolders_.clear();
    return false;
  }
  listed_ = true;
  return true;
}

const std::vector<std::string>& ListedFolder::Files() {
  List([] { return true; });
  return files_;
}

const std::vector<std::string>& ListedFolder::SubFolders() {
  List([] { return true; });
  return subfolders_;
}

bool SortNames(std::vector<std::string>& names, const GoOn& go_on) {
  // Runs sorted one by one, then merged pairwise, as a merge sort does, with
  // a look at go_on after every kPiece names placed.
  constexpr std::size_t kPiece = 2048;
  const std::size_t size = names.size();
  for (std::size_t at = 0; at < size; at += kPiece) {
    std::sort(names.begin() + static_cast<std::ptrdiff_t>(at),
              names.begin() + static_cast<std::ptrdiff_t>(std::min(size, at + kPiece)), NameOrder);
    if (!go_on()) return false;
  }
  std::vector<std::string> merged(size > kPiece ? size : 0);
  for (std::size_t width = kPiece; width < size; width *= 2) {
    std::size_t out = 0;
    for (std::size_t low = 0; low < size; low += 2 * width) {
      std::size_t a = low;
      const std::size_t a_end = std::min(size, low + width);
      std::size_t b = a_end;
      const std::size_t b_end = std::min(size, low + 2 * width);
      while (a < a_end || b < b_end) {
        const bool from_b = a == a_end || (b < b_end && NameOrder(names[b], names[a]));
        merged[out++] = std::move(names[from_b ? b++ : a++]);
        if (out % kPiece == 0 && !go_on()) return false;
      }
    }
    names.swap(merged);
  }
  return true;
}

}  // namespace brenvo1::platform
