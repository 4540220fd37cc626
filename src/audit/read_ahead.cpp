#include "audit/read_ahead.h"

#include <algorithm>
#include <utility>

namespace varnlink::audit {

std::unique_ptr<ReadAhead> ReadAhead::Start(const platform::FileServices& files, Prepare prepare) {
  // The run's own thread reads too when it would otherwise wait, so one
  // thread fewer than there are cores keeps every core busy.
  const unsigned cores = std::thread::hardware_concurrency();
  if (cores < 2) return nullptr;
  std::vector<std::unique_ptr<platform::FileServices>> services;
  for (unsigned i = 0; i + 1 < std::min(cores, 4u); ++i) {
    auto own = files.ForAnotherThread();
    if (!own) return nullptr;
    services.push_back(std::move(own));
  }
  return std::make_unique<ReadAhead>(std::move(services), std::move(prepare));
}

ReadAhead::ReadAhead(std::vector<std::unique_ptr<platform::FileServices>> services,
                     Prepare prepare)
    : prepare_(std::move(prepare)), spent_(services.size()), services_(std::move(services)) {
  for (std::size_t index = 0; index < services_.size(); ++index) {
    threads_.emplace_back([this, index] { Work(index); });
  }
}

ReadAhead::~ReadAhead() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  queued_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void ReadAhead::Hand(Audited shortcut) {
  open_.push_back(std::move(shortcut));
  if (open_.size() == kBatch) Queue(std::exchange(open_, {}));
}

void ReadAhead::Queue(std::vector<Audited> shortcuts) {
  in_hand_.push_back(std::make_unique<Batch>(Batch{std::move(shortcuts)}));
  {
    const std::lock_guard lock(mutex_);
    queue_.push_back(in_hand_.back().get());
  }
  queued_.notify_one();
}

std::vector<Audited>& ReadAhead::TakeFirst(const platform::FileServices& files) {
  if (in_hand_.empty()) {
    taken_ = std::make_unique<Batch>(Batch{std::exchange(open_, {})});
    Read(files, *taken_);
    return taken_->shortcuts;
  }
  taken_ = std::move(in_hand_.front());
  in_hand_.pop_front();
  std::unique_lock lock(mutex_);
  // Rather than wait for the first batch, this thread reads the batches no
  // thread has begun (the first among them when the threads are busy or have
  // no core to run on).
  while (!taken_->done) {
    if (queue_.empty()) {
      finished_.wait(lock, [&] { return taken_->done || !queue_.empty(); });
      continue;
    }
    Batch* next = queue_.front();
    queue_.pop_front();
    lock.unlock();
    Read(files, *next);
    lock.lock();
    next->done = true;
  }
  return taken_->shortcuts;
}

void ReadAhead::Spent() {
  if (!taken_ || taken_->reader == kRunsThread) {
    taken_.reset();
    return;
  }
  const std::lock_guard lock(mutex_);
  spent_[taken_->reader].push_back(std::move(taken_));
}

void ReadAhead::Read(const platform::FileServices& files, Batch& batch) const {
  for (Audited& shortcut : batch.shortcuts) {
    try {
      prepare_(files, shortcut);
    } catch (...) {
      shortcut.error = std::current_exception();
    }
  }
}

void ReadAhead::Work(std::size_t index) {
  const platform::FileServices& files = *services_[index];
  for (;;) {
    Batch* batch = nullptr;
    std::vector<std::unique_ptr<Batch>> spent;
    {
      std::unique_lock lock(mutex_);
      queued_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      batch = queue_.front();
      queue_.pop_front();
      batch->reader = index;
      spent.swap(spent_[index]);
    }
    spent.clear();
    Read(files, *batch);
    {
      const std::lock_guard lock(mutex_);
      batch->done = true;
    }
    finished_.notify_all();
  }
}

}  // namespace varnlink::audit
