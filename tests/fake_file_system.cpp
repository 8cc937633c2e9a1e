#include "tests/fake_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace brenvo1::testing {

namespace {

std::string ParentOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

[[noreturn]] void Fail(const std::string& path) {
  throw platform::FileSystemError(path, "denied: " + path, platform::FailureReason::AccessDenied);
}

}  // namespace

class FakeFileSystem::FakeStream : public platform::TextStream {
 public:
  FakeStream(FakeFileSystem& owner, std::string path, const std::string& content, bool fail_read)
      : owner_(owner), path_(std::move(path)), content_(content), fail_read_(fail_read) {
    ++owner_.open_streams_;
  }
  ~FakeStream() override { --owner_.open_streams_; }

  std::size_t Read(std::span<char> destination) override {
    if (fail_read_) Fail(path_);
    const std::size_t n = std::min({destination.size(), owner_.read_size_, content_.size() - position_});
    std::memcpy(destination.data(), content_.data() + position_, n);
    position_ += n;
    return n;
  }

 private:
  FakeFileSystem& owner_;
  std::string path_;
  const std::string& content_;
  bool fail_read_;
  std::size_t position_ = 0;
};

class FakeFileSystem::FakeFolder : public platform::Folder {
 public:
  FakeFolder(FakeFileSystem& owner, std::string path, std::string real_path)
      : owner_(owner), path_(std::move(path)), real_path_(std::move(real_path)) {}

  platform::FolderIdentity Identity() const override { return {1, owner_.Find(real_path_)->inode}; }

  // Asks go_on once per entry, as a listing in batches would.
  bool List(const platform::GoOn& go_on) override {
    if (owner_.fail_list_.count(path_)) Fail(path_);
    const Node* node = owner_.Find(real_path_);
    for (std::size_t i = 0; i < node->file_names.size() + node->folder_names.size(); ++i) {
      ++owner_.listing_questions_;
      if (!go_on()) return false;
    }
    return true;
  }
  const std::vector<std::string>& Files() override { return owner_.Find(real_path_)->file_names; }
  const std::vector<std::string>& SubFolders() override { return owner_.Find(real_path_)->folder_names; }
  std::unique_ptr<platform::Folder> GetSubFolder(const std::string& name) override {
    const std::string path = platform::JoinPath(path_, name);
    if (owner_.fail_get_folder_.count(path)) Fail(path);
    return std::make_unique<FakeFolder>(owner_, path, owner_.Resolve(platform::JoinPath(real_path_, name)));
  }
  void WillRead(std::vector<const std::string*> names) override {
    for (const std::string* name : names) owner_.plans_and_opens_.push_back("will " + platform::JoinPath(path_, *name));
  }
  std::unique_ptr<platform::TextStream> OpenTextFile(const std::string& name) override {
    const std::string path = platform::JoinPath(path_, name);
    if (owner_.fail_open_.count(path)) Fail(path);
    owner_.opened_.push_back(path);
    owner_.plans_and_opens_.push_back("open " + path);
    const Node* node = owner_.Find(platform::JoinPath(real_path_, name));
    return std::make_unique<FakeStream>(owner_, path, node->content, owner_.fail_read_.count(path) > 0);
  }

 private:
  FakeFileSystem& owner_;
  std::string path_;
  std::string real_path_;
};

FakeFileSystem::Node& FakeFileSystem::Ensure(const std::string& path, bool is_folder) {
  auto found = nodes_.find(path);
  if (found != nodes_.end()) return found->second;
  if (path != "/") {
    Node& parent = Ensure(ParentOf(path), true);
    (is_folder ? parent.folder_names : parent.file_names).push_back(NameOf(path));
  }
  Node& node = nodes_[path];
  node.is_folder = is_folder;
  node.inode = next_inode_++;
  return node;
}

void FakeFileSystem::AddFolder(const std::string& path) { Ensure(path, true); }

void FakeFileSystem::AddFile(const std::string& path, std::string content) {
  Ensure(path, false).content = std::move(content);
}

void FakeFileSystem::AddFolderLink(const std::string& path, const std::string& target) {
  Ensure(path, true).link_target = target;
}

const FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) const {
  const auto found = nodes_.find(path);
  return found == nodes_.end() ? nullptr : &found->second;
}

std::string FakeFileSystem::Resolve(const std::string& path) const {
  const Node* node = Find(path);
  return node && !node->link_target.empty() ? node->link_target : path;
}

bool FakeFileSystem::FolderExists(std::string_view path) {
  const Node* node = Find(std::string(path));
  return node && node->is_folder;
}

platform::OpenedFolder FakeFileSystem::GetFolder(std::string_view path) {
  const std::string p(path);
  if (fail_get_folder_.count(p) || !FolderExists(p)) Fail(p);
  return {p, std::make_unique<FakeFolder>(*this, p, Resolve(p))};
}

}  // namespace brenvo1::testing
