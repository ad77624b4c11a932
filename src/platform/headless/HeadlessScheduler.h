// The scheduler for native tests: a virtual clock, timers that fire when the
// clock passes them, real worker threads whose main-thread calls wait in a
// queue until the test (or a wait on the main thread) runs them.
//
// The clock moves only when a worker sleeps, when ProcessMessages finds
// nothing to do (it then lets its whole wait pass), or by AdvanceTime; so a
// run's frames and times do not depend on the machine's speed.
#pragma once
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Scheduler.h"

namespace vanta::platform {

class THeadlessScheduler : public IScheduler {
 public:
  THeadlessScheduler();  // the constructing thread is the main thread
  ~THeadlessScheduler() override;

  uint32_t TickCount() override { return now_.load(); }
  // Virtual too: what the test says the process has used.
  uint64_t ProcessCpuMs() override { return cpuMs_.load(); }
  bool OnMainThread() const override { return std::this_thread::get_id() == main_; }
  void Sleep(uint32_t ms) override { now_ += ms; }
  void CallOnMain(const std::function<void()>& fn) override;
  std::unique_ptr<IWorkerThread> StartThread(std::function<void()> body, TThreadPriority priority) override;
  void WaitForThread(IWorkerThread& thread) override;
  void ProcessMessages(uint32_t maxWaitMs) override;
  void Post(std::function<void()> fn) override;
  uint32_t SetTimer(uint32_t intervalMs, std::function<void()> fn) override;
  void KillTimer(uint32_t id) override;

  // Test side (main thread).
  // Runs queued requests and posted calls until pred holds; false when it
  // still does not hold after realTimeoutMs of real time with nothing to run.
  bool RunUntil(const std::function<bool()>& pred, int realTimeoutMs = 10000);
  // Runs what is queued now; returns how many calls ran.
  int RunPending();
  // Moves the clock, firing every timer that falls due on the way in order.
  void AdvanceTime(uint32_t ms);
  void SetTime(uint32_t now) { now_ = now; }
  void UseCpu(uint64_t ms) { cpuMs_ += ms; }
  // Timers set and not yet killed.
  size_t TimerCount() const;
  // Priorities of the threads started so far, in order.
  std::vector<TThreadPriority> StartedPriorities() const;

 private:
  struct TRequest {
    const std::function<void()>* fn;
    bool done = false;
    std::exception_ptr error;
  };
  struct TTimer {
    uint32_t interval, due;
    std::function<void()> fn;
  };
  class TThread;

  bool TakeOne(std::unique_lock<std::mutex>& lock);  // runs one queued call; false when none
  bool FireDueTimer();

  std::thread::id main_;
  std::atomic<uint32_t> now_{0};
  std::atomic<uint64_t> cpuMs_{0};
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<TRequest*> requests_;
  std::deque<std::function<void()>> posted_;
  std::map<uint32_t, TTimer> timers_;
  uint32_t nextTimer_ = 1;
  uint64_t threadsEnded_ = 0;
  std::vector<TThreadPriority> priorities_;
};

}  // namespace vanta::platform
