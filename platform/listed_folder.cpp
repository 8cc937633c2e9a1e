#include "platform/listed_folder.h"

#include <algorithm>

#include "platform/name_order.h"

namespace brenvo1::platform {

const std::vector<std::string>& ListedFolder::Files() {
  List();
  return files_;
}

const std::vector<std::string>& ListedFolder::SubFolders() {
  List();
  return subfolders_;
}

void ListedFolder::List() {
  if (listed_) return;
  if (failure_) throw *failure_;
  try {
    ReadEntries();
  } catch (const FileSystemError& error) {
    failure_ = error;
    files_.clear();
    subfolders_.clear();
    throw;
  }
  std::sort(files_.begin(), files_.end(), NameOrder);
  std::sort(subfolders_.begin(), subfolders_.end(), NameOrder);
  listed_ = true;
}

}  // namespace brenvo1::platform
