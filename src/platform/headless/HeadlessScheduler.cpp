#include "platform/headless/HeadlessScheduler.h"

#include <chrono>

namespace vanta::platform {

class THeadlessScheduler::TThread : public IWorkerThread {
 public:
  TThread(THeadlessScheduler& owner, std::function<void()> body) : owner_(owner) {
    thread_ = std::thread([this, body = std::move(body)] {
      try {
        body();
      } catch (...) {
        // A worker's failure ends the worker, nothing more.
      }
      std::lock_guard<std::mutex> lock(owner_.mutex_);
      finished_ = true;
      ++owner_.threadsEnded_;
      owner_.wake_.notify_all();
    });
  }
  ~TThread() override {
    if (thread_.joinable()) thread_.join();
  }
  bool Finished() const override {
    std::lock_guard<std::mutex> lock(owner_.mutex_);
    return finished_;
  }
  bool FinishedLocked() const { return finished_; }

 private:
  THeadlessScheduler& owner_;
  bool finished_ = false;
  std::thread thread_;
};

THeadlessScheduler::THeadlessScheduler() : main_(std::this_thread::get_id()) {}

THeadlessScheduler::~THeadlessScheduler() = default;

void THeadlessScheduler::CallOnMain(const std::function<void()>& fn) {
  if (OnMainThread()) {
    fn();
    return;
  }
  TRequest request{&fn, false, nullptr};
  std::unique_lock<std::mutex> lock(mutex_);
  requests_.push_back(&request);
  wake_.notify_all();
  wake_.wait(lock, [&] { return request.done; });
  if (request.error) std::rethrow_exception(request.error);
}

bool THeadlessScheduler::TakeOne(std::unique_lock<std::mutex>& lock) {
  if (!requests_.empty()) {
    TRequest* r = requests_.front();
    requests_.pop_front();
    lock.unlock();
    std::exception_ptr error;
    try {
      (*r->fn)();
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    r->error = error;
    r->done = true;
    wake_.notify_all();
    return true;
  }
  if (!posted_.empty()) {
    std::function<void()> fn = std::move(posted_.front());
    posted_.pop_front();
    lock.unlock();
    RunDroppingFailure(fn);
    lock.lock();
    return true;
  }
  return false;
}

int THeadlessScheduler::RunPending() {
  int n = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  while (TakeOne(lock)) ++n;
  return n;
}

std::unique_ptr<IWorkerThread> THeadlessScheduler::StartThread(std::function<void()> body, TThreadPriority priority) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    priorities_.push_back(priority);
  }
  return std::make_unique<TThread>(*this, std::move(body));
}

std::vector<TThreadPriority> THeadlessScheduler::StartedPriorities() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return priorities_;
}

void THeadlessScheduler::WaitForThread(IWorkerThread& thread) {
  auto& t = static_cast<TThread&>(thread);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (TakeOne(lock)) continue;
    if (t.FinishedLocked()) return;
    wake_.wait(lock, [&] { return !requests_.empty() || t.FinishedLocked(); });
  }
}

bool THeadlessScheduler::FireDueTimer() {
  std::function<void()> fn;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint32_t now = now_.load();
    for (auto& [id, t] : timers_)
      if (static_cast<int32_t>(now - t.due) >= 0) {
        t.due = now + t.interval;
        fn = t.fn;
        break;
      }
  }
  if (!fn) return false;
  RunDroppingFailure(fn);  // the timer stays due again
  return true;
}

void THeadlessScheduler::ProcessMessages(uint32_t maxWaitMs) {
  bool any = RunPending() > 0;
  while (FireDueTimer()) any = true;
  if (any) return;
  // Nothing to do: the wait passes, up to the first timer that falls due.
  uint32_t step = maxWaitMs;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint32_t now = now_.load();
    for (const auto& [id, t] : timers_) step = std::min<uint32_t>(step, t.due - now);
  }
  now_ += step;
  while (FireDueTimer()) {
  }
}

void THeadlessScheduler::Post(std::function<void()> fn) {
  std::lock_guard<std::mutex> lock(mutex_);
  posted_.push_back(std::move(fn));
  wake_.notify_all();
}

uint32_t THeadlessScheduler::SetTimer(uint32_t intervalMs, std::function<void()> fn) {
  std::lock_guard<std::mutex> lock(mutex_);
  const uint32_t id = nextTimer_++;
  timers_[id] = TTimer{intervalMs, now_.load() + intervalMs, std::move(fn)};
  return id;
}

void THeadlessScheduler::KillTimer(uint32_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_.erase(id);
}

size_t THeadlessScheduler::TimerCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return timers_.size();
}

void THeadlessScheduler::AdvanceTime(uint32_t ms) {
  const uint32_t end = now_.load() + ms;
  for (;;) {
    uint32_t next = end;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const uint32_t now = now_.load();
      for (const auto& [id, t] : timers_)
        if (t.due - now <= next - now) next = t.due;
    }
    now_ = next;
    while (FireDueTimer()) {
    }
    RunPending();
    if (next == end) return;
  }
}

bool THeadlessScheduler::RunUntil(const std::function<bool()>& pred, int realTimeoutMs) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(realTimeoutMs);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    const uint64_t ended = threadsEnded_;
    lock.unlock();
    const bool done = pred();
    lock.lock();
    if (done) return true;
    if (TakeOne(lock)) continue;
    if (!wake_.wait_until(lock, limit,
                          [&] { return !requests_.empty() || !posted_.empty() || threadsEnded_ != ended; })) {
      lock.unlock();
      return pred();
    }
  }
}

}  // namespace vanta::platform
