#include "tests/hostile/fault_injecting_file_system.h"

#include <cerrno>
#include <utility>

namespace brenvo1::testing {

using platform::FileSystemError;
using platform::Folder;
using platform::TextStream;

struct FaultInjectingFileSystem::State {
  std::array<std::size_t, kAllFsCalls.size()> counts{};
  std::array<std::size_t, kAllFsCalls.size()> fail_at{};  // 0: never
  std::array<bool, kAllFsCalls.size()> fail_every{};
  std::vector<CallRecord> calls;
  Hook hook;
  int live_folders = 0;
  int live_streams = 0;

  // Records the call; true when it is the one to fail.
  bool Enter(FsCall kind, std::string entry) {
    const auto k = static_cast<std::size_t>(kind);
    ++counts[k];
    calls.push_back({kind, std::move(entry), calls.size() + 1});
    return fail_every[k] || counts[k] == fail_at[k];
  }

  [[noreturn]] void Fail() const {
    const CallRecord& call = calls.back();
    throw FileSystemError(call.entry,
                          "injected failure of " + std::string(NameOf(call.kind)) + " on " + call.entry);
  }

  void After() const {
    if (hook) hook(calls.back());
  }
};

namespace {

using State = FaultInjectingFileSystem::State;

class FaultInjectingStream : public TextStream {
 public:
  FaultInjectingStream(std::unique_ptr<TextStream> inner, std::string path, std::shared_ptr<State> state)
      : inner_(std::move(inner)), path_(std::move(path)), state_(std::move(state)) {
    ++state_->live_streams;
  }
  ~FaultInjectingStream() override { --state_->live_streams; }

  std::size_t Read(std::span<char> destination) override {
    if (state_->Enter(FsCall::Read, path_)) state_->Fail();
    const std::size_t got = inner_->Read(destination);
    state_->After();
    return got;
  }

 private:
  std::unique_ptr<TextStream> inner_;
  std::string path_;
  std::shared_ptr<State> state_;
};

class FaultInjectingFolder : public Folder {
 public:
  FaultInjectingFolder(std::unique_ptr<Folder> inner, std::string path, std::shared_ptr<State> state)
      : inner_(std::move(inner)), path_(std::move(path)), state_(std::move(state)) {
    ++state_->live_folders;
  }
  ~FaultInjectingFolder() override { --state_->live_folders; }

  platform::FolderIdentity Identity() const override { return inner_->Identity(); }

  bool List(const platform::GoOn& go_on) override {
    if (state_->Enter(FsCall::List, path_)) state_->Fail();
    const bool listed = inner_->List(go_on);
    state_->After();
    return listed;
  }
  const std::vector<std::string>& Files() override { return inner_->Files(); }
  const std::vector<std::string>& SubFolders() override { return inner_->SubFolders(); }

  std::unique_ptr<Folder> GetSubFolder(const std::string& name) override {
    std::string path = platform::JoinPath(path_, name);
    if (state_->Enter(FsCall::GetSubFolder, path)) state_->Fail();
    std::unique_ptr<Folder> subfolder = inner_->GetSubFolder(name);
    state_->After();
    if (!subfolder) return nullptr;
    return std::make_unique<FaultInjectingFolder>(std::move(subfolder), std::move(path), state_);
  }

  // Passed on, so that the service's read-ahead runs under the same
  // failures.
  void WillRead(std::vector<const std::string*> names) override { inner_->WillRead(std::move(names)); }

  std::unique_ptr<TextStream> OpenTextFile(const std::string& name) override {
    std::string path = platform::JoinPath(path_, name);
    if (state_->Enter(FsCall::OpenTextFile, path)) state_->Fail();
    std::unique_ptr<TextStream> stream = inner_->OpenTextFile(name);
    state_->After();
    if (!stream) return nullptr;
    return std::make_unique<FaultInjectingStream>(std::move(stream), std::move(path), state_);
  }

 private:
  std::unique_ptr<Folder> inner_;
  std::string path_;
  std::shared_ptr<State> state_;
};

}  // namespace

std::string_view NameOf(FsCall kind) {
  switch (kind) {
    case FsCall::FolderExists:
      return "FolderExists";
    case FsCall::GetFolder:
      return "GetFolder";
    case FsCall::List:
      return "List";
    case FsCall::GetSubFolder:
      return "GetSubFolder";
    case FsCall::OpenTextFile:
      return "OpenTextFile";
    case FsCall::Read:
      return "Read";
  }
  return "?";
}

FaultInjectingFileSystem::FaultInjectingFileSystem(platform::FileSystemService& inner)
    : inner_(inner), state_(std::make_shared<State>()) {}

FaultInjectingFileSystem::~FaultInjectingFileSystem() = default;

void FaultInjectingFileSystem::FailNth(FsCall kind, std::size_t n) {
  state_->fail_at[static_cast<std::size_t>(kind)] = n;
}

void FaultInjectingFileSystem::FailEvery(FsCall kind) { state_->fail_every[static_cast<std::size_t>(kind)] = true; }

void FaultInjectingFileSystem::AfterCall(Hook hook) { state_->hook = std::move(hook); }

void FaultInjectingFileSystem::Reset() {
  // Folders and streams still alive keep their count.
  const int folders = state_->live_folders;
  const int streams = state_->live_streams;
  *state_ = State{};
  state_->live_folders = folders;
  state_->live_streams = streams;
}

std::size_t FaultInjectingFileSystem::count(FsCall kind) const {
  return state_->counts[static_cast<std::size_t>(kind)];
}

const std::vector<FaultInjectingFileSystem::CallRecord>& FaultInjectingFileSystem::calls() const {
  return state_->calls;
}

std::size_t FaultInjectingFileSystem::total_calls() const { return state_->calls.size(); }

int FaultInjectingFileSystem::live_folders() const { return state_->live_folders; }

int FaultInjectingFileSystem::live_streams() const { return state_->live_streams; }

bool FaultInjectingFileSystem::FolderExists(std::string_view path) {
  if (state_->Enter(FsCall::FolderExists, std::string(path))) return false;
  const bool exists = inner_.FolderExists(path);
  state_->After();
  return exists;
}

platform::OpenedFolder FaultInjectingFileSystem::GetFolder(std::string_view path) {
  if (state_->Enter(FsCall::GetFolder, std::string(path))) state_->Fail();
  platform::OpenedFolder opened = inner_.GetFolder(path);
  state_->After();
  if (opened.folder) opened.folder = std::make_unique<FaultInjectingFolder>(std::move(opened.folder), opened.path, state_);
  return opened;
}

}  // namespace brenvo1::testing
