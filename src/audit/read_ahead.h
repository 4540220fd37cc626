#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_services.h"
#include "report/record_writer.h"
#include "report/report_entry.h"

namespace varnlink::audit {

// A shortcut of the run as a reading thread hands it back: what it read, or
// its entry (nullopt when the target filter leaves it out), or what went wrong.
struct Audited {
  std::string path;
  bool walked = false;   // the walk found it, rather than the user naming it
  std::size_t from = 0;  // the index of the run's path it came from
  std::optional<report::ReportEntry> entry;
  std::exception_ptr error;
  // Where a shortcut kept in a jump list sits, for its record also when it
  // could not be read.
  std::optional<report::JumpListFacts> jump_list{};
  // What the sink wrote of its record ahead (EntrySink::WriteAhead).
  std::optional<report::RecordParts> written{};
  // Read but not yet decoded: the file's facts and first bytes, for the
  // run's thread to decode.
  bool undecoded = false;
  platform::FileFacts facts{};
  std::vector<std::uint8_t> bytes{};
};

// Shortcuts read ahead of the run: while the run checks and writes some
// shortcuts, reading threads (one fewer than the cores, at most three, each
// with file services of its own) prepare the next ones (read them, and for
// records decode them), a batch at a time (waking a thread costs more than
// reading a shortcut). The run takes them back in the order it handed them
// over, so the report and the duplicate checks see the same order as on one
// thread; batches no thread has begun the run prepares itself rather than
// wait. At most kBatches batches are in hand, so a run's memory does not grow
// with the shortcuts it audits.
class ReadAhead {
 public:
  static constexpr std::size_t kBatch = 256;
  static constexpr std::size_t kBatches = 4;

  // Prepares a shortcut (reads it, perhaps decodes it), or throws, with the
  // services of the thread it runs on.
  using Prepare = std::function<void(const platform::FileServices& files, Audited& shortcut)>;

  // nullptr where there is one core, or `files` cannot be read from several
  // threads: the run then reads each shortcut itself.
  [[nodiscard]] static std::unique_ptr<ReadAhead> Start(const platform::FileServices& files,
                                                        Prepare prepare);
  ReadAhead(std::vector<std::unique_ptr<platform::FileServices>> services, Prepare prepare);
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;
  // Stops the threads; shortcuts still in hand are dropped.
  ~ReadAhead();

  void Hand(Audited shortcut);
  [[nodiscard]] bool Full() const { return in_hand_.size() >= kBatches; }
  [[nodiscard]] bool Empty() const { return in_hand_.empty() && open_.empty(); }
  // The first batch still in hand (or the shortcuts not yet batched), once
  // read; read with `files` on the calling thread when no thread has begun
  // it. Hand it back with Spent when done with it.
  [[nodiscard]] std::vector<Audited>& TakeFirst(const platform::FileServices& files);
  // The batch TakeFirst gave, for the thread that read it to free: memory
  // freed by another thread than the one that took it costs the allocator's
  // locks on every block.
  void Spent();

 private:
  static constexpr std::size_t kRunsThread = SIZE_MAX;
  struct Batch {
    std::vector<Audited> shortcuts;
    bool done = false;
    std::size_t reader = kRunsThread;  // the reading thread's index
  };
  void Queue(std::vector<Audited> shortcuts);
  void Work(std::size_t index);
  void Read(const platform::FileServices& files, Batch& batch) const;

  Prepare prepare_;
  std::vector<Audited> open_;                   // handed over, not yet a batch
  std::deque<std::unique_ptr<Batch>> in_hand_;  // in the run's order; the run's thread only
  std::mutex mutex_;                            // guards queue_, stopping_ and every done
  std::condition_variable queued_;
  std::condition_variable finished_;
  std::deque<Batch*> queue_;  // batches no thread has taken yet
  std::unique_ptr<Batch> taken_;  // the batch TakeFirst gave out
  std::vector<std::vector<std::unique_ptr<Batch>>> spent_;  // by reading thread
  bool stopping_ = false;
  std::vector<std::unique_ptr<platform::FileServices>> services_;
  std::vector<std::thread> threads_;
};

}  // namespace varnlink::audit
