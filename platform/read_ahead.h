#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"

namespace brenvo1::platform {

// When a run's files are opened and read ahead of their turn.
enum class ReadAheadMode {
  WhereItPays,  // what the programs use: see ReadAheadSwitch
  Always,       // for tests of the read-ahead itself: always, by threads
  Never,
};

// Whether reading ahead pays now. It does on a network file system, where
// every open and every first read waits for a server, and while files come
// from a disk rather than from memory, where many requests at once keep
// the disk busy. With the files in memory it costs more than it gives.
class ReadAheadSwitch {
 public:
  explicit ReadAheadSwitch(ReadAheadMode mode) : mode_(mode) {}

  // Whether files are read ahead by threads rather than by the walk.
  bool ByThreads(bool network) const { return network || mode_ == ReadAheadMode::Always; }
  bool On(bool network) const {
    return mode_ == ReadAheadMode::Always || (mode_ == ReadAheadMode::WhereItPays && (network || files_left_ > 0));
  }
  // A file's first read had to wait for a disk (slow), or found its bytes
  // in memory. Any thread.
  void FirstRead(bool slow) {
    if (slow) {
      files_left_ = kFilesAfterASlowRead;
    } else if (files_left_ > 0) {
      --files_left_;
    }
  }

 private:
  static constexpr int kFilesAfterASlowRead = 64;
  ReadAheadMode mode_;
  std::atomic<int> files_left_{0};
};

// The files a folder was told it will read, and how far the walk has come
// through them: what is left to read ahead.
class ReadPlan {
 public:
  void Set(std::vector<const std::string*> names) {
    names_ = std::move(names);
    next_ = 0;
  }
  // The walk opens name: the plan moves past it.
  void Opening(const std::string& name) {
    if (next_ < names_.size() && *names_[next_] == name) ++next_;
  }
  bool done() const { return next_ >= names_.size(); }
  std::vector<const std::string*> rest() const {
    return {names_.begin() + static_cast<std::ptrdiff_t>(next_), names_.end()};
  }

 private:
  std::vector<const std::string*> names_;
  std::size_t next_ = 0;
};

// The next files of a folder, opened ahead of their turn while the walk
// searches earlier ones, in one of two ways:
// - by a small pool of threads, which also read each file's first chunk.
//   Opens are synchronous on every file system, and on a file server each
//   open and each first read waits for a round trip: with many in flight,
//   a folder of files costs the time of a few round trips rather than two
//   per file. The threads start with the first such plan and are stopped
//   and joined when the read-ahead goes, with the run.
// - by the walk's own thread, as it takes each file, for opens that do not
//   wait long and ask the system to fetch the file (a local disk): no
//   thread to wake and no hand-over per file, which on a disk cost more
//   than they save.
//
// The walk takes the files in its own order. At most the depth given are
// opened ahead of the last one taken, each holding one descriptor or
// handle and at most one chunk.
class ReadAhead {
 public:
  // Opens a file and reads ahead its first bytes, on a thread of the pool.
  // nullptr: no regular file, as OpenTextFile says. Throws FileSystemError,
  // which its turn rethrows, or NotNow.
  using Opener = std::function<std::unique_ptr<TextStream>(const std::string& name)>;
  // Thrown by an opener short of descriptors: the file is opened at its
  // turn, by the walk, as if never planned.
  struct NotNow {};

  static constexpr std::size_t kDepth = 16;
  static constexpr std::size_t kChunk = 256 * 1024;

  explicit ReadAhead(std::size_t depth = kDepth) : depth_(std::max<std::size_t>(depth, 1)) {}
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  enum class By { Threads, Walk };

  // Starts opening names (which must outlive the plan) in order, for
  // folder, in place of any plan before.
  void Plan(const void* folder, std::vector<const std::string*> names, Opener open, By by = By::Threads);
  // Whether folder's plan is still running.
  bool Planned(const void* folder) const;
  // The file if it was planned as the next one of folder: waits until it is
  // opened, and rethrows what its open threw. nullopt when it was not
  // planned, or not opened ahead: the walk opens it then.
  std::optional<std::unique_ptr<TextStream>> Take(const void* folder, const std::string& name);
  // Ends folder's plan: waits for the opens in flight and closes what was
  // opened ahead and not taken. Before the folder goes.
  void Forget(const void* folder);
  // Ends whatever plan runs, the same way: when descriptors run short.
  void Drop();

 private:
  struct Result {
    bool ready = false;
    std::unique_ptr<TextStream> stream;
    std::exception_ptr failure;
    bool not_now = false;
  };

  void Work();
  // With lock held, for a plan by the walk: opens the files the window
  // lets in.
  void OpenByWalk(std::unique_lock<std::mutex>& lock);
  static Result Open(const Opener& open, const std::string& name);
  // With lock held: ends the plan and waits for the opens in flight.
  void EndPlan(std::unique_lock<std::mutex>& lock);

  const std::size_t depth_;
  mutable std::mutex mutex_;
  std::condition_variable work_;  // something to open, or stop
  std::condition_variable done_;  // something opened, or nothing in flight
  std::vector<std::thread> threads_;
  bool stopping_ = false;
  const void* folder_ = nullptr;
  std::vector<const std::string*> names_;
  Opener open_;
  By by_ = By::Threads;
  std::size_t next_open_ = 0;
  std::size_t next_take_ = 0;
  std::size_t in_flight_ = 0;
  std::uint64_t generation_ = 0;  // a new one for every plan
  std::vector<Result> results_;   // by index modulo depth_
};

}  // namespace brenvo1::platform
