#include "platform/read_ahead.h"

namespace brenvo1::platform {

ReadAhead::~ReadAhead() {
  {
    std::unique_lock lock(mutex_);
    EndPlan(lock);
    stopping_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void ReadAhead::Plan(const void* folder, std::vector<const std::string*> names, Opener open, By by) {
  std::vector<Result> dropped;
  std::size_t to_wake = 0;
  {
    std::unique_lock lock(mutex_);
    EndPlan(lock);
    dropped.swap(results_);
    folder_ = folder;
    names_ = std::move(names);
    open_ = std::move(open);
    by_ = by;
    next_open_ = next_take_ = 0;
    results_.resize(depth_);
    if (by_ == By::Walk) {
      OpenByWalk(lock);
      return;
    }
    while (threads_.size() < depth_) threads_.emplace_back([this] { Work(); });
    to_wake = std::min(depth_, names_.size());
  }
  // As many threads as there are files to open: each wake costs a switch.
  for (std::size_t i = 0; i < to_wake; ++i) work_.notify_one();
}

bool ReadAhead::Planned(const void* folder) const {
  std::lock_guard lock(mutex_);
  return folder_ == folder && folder != nullptr && next_take_ < names_.size();
}

std::optional<std::unique_ptr<TextStream>> ReadAhead::Take(const void* folder, const std::string& name) {
  std::unique_lock lock(mutex_);
  if (folder_ != folder || folder == nullptr) return std::nullopt;
  // A file the walk passed over (its open failed before it reached this
  // service) is let go, so that the plan keeps in step.
  std::size_t index = next_take_;
  while (index < names_.size() && index < next_open_ && *names_[index] != name) ++index;
  if (index >= names_.size() || *names_[index] != name) return std::nullopt;
  std::vector<Result> passed_over;
  for (; next_take_ < index; ++next_take_) {
    Result& slot = results_[next_take_ % depth_];
    done_.wait(lock, [&] { return slot.ready; });
    passed_over.push_back(std::move(slot));
    slot = Result{};
  }
  // The threads open every file of the plan, in order, this one too: the
  // walk waits for it rather than open it itself, so that every file is
  // read the same way whatever the timing.
  Result& slot = results_[index % depth_];
  done_.wait(lock, [&] { return slot.ready; });
  Result result = std::move(slot);
  slot = Result{};
  next_take_ = index + 1;
  if (by_ == By::Walk) {
    OpenByWalk(lock);
  } else {
    lock.unlock();
    work_.notify_one();
  }
  if (result.failure) std::rethrow_exception(result.failure);
  if (result.not_now) return std::nullopt;
  return std::move(result.stream);
}

void ReadAhead::Forget(const void* folder) {
  std::vector<Result> dropped;
  std::unique_lock lock(mutex_);
  if (folder_ != folder || folder == nullptr) return;
  EndPlan(lock);
  dropped.swap(results_);
}

void ReadAhead::Drop() {
  std::vector<Result> dropped;
  std::unique_lock lock(mutex_);
  EndPlan(lock);
  dropped.swap(results_);
}

void ReadAhead::OpenByWalk(std::unique_lock<std::mutex>&) {
  for (; next_open_ < names_.size() && next_open_ < next_take_ + depth_; ++next_open_) {
    results_[next_open_ % depth_] = Open(open_, *names_[next_open_]);
  }
}

ReadAhead::Result ReadAhead::Open(const Opener& open, const std::string& name) {
  Result result;
  try {
    result.stream = open(name);
  } catch (const NotNow&) {
    result.not_now = true;
  } catch (...) {
    result.failure = std::current_exception();
  }
  result.ready = true;
  return result;
}

void ReadAhead::EndPlan(std::unique_lock<std::mutex>& lock) {
  ++generation_;
  folder_ = nullptr;
  names_.clear();
  open_ = nullptr;
  next_open_ = next_take_ = 0;
  // Their folder may close its descriptor as soon as this returns.
  done_.wait(lock, [this] { return in_flight_ == 0; });
}

void ReadAhead::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] {
      return stopping_ || (folder_ != nullptr && by_ == By::Threads && next_open_ < names_.size() &&
                           next_open_ < next_take_ + depth_);
    });
    if (stopping_) return;
    const std::size_t index = next_open_++;
    const std::uint64_t generation = generation_;
    const std::string& name = *names_[index];
    const Opener open = open_;
    ++in_flight_;
    lock.unlock();
    Result result = Open(open, name);
    lock.lock();
    --in_flight_;
    if (generation == generation_) {
      results_[index % depth_] = std::move(result);
    } else {
      // The plan ended meanwhile: the file closes, outside the lock.
      lock.unlock();
      result = Result{};
      lock.lock();
    }
    // One thread waits for results: the walk's.
    done_.notify_one();
  }
}

}  // namespace brenvo1::platform
