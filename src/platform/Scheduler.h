// Time, threads and the main thread's message processing, as the engine and
// the show need them. The Win32 implementation uses the tick count, threads
// and a hidden window; the headless one runs on a virtual clock that only
// moves when something sleeps or a test advances it, so native tests step
// transitions and timers deterministically.
//
// What a timer's callback or a posted call throws is caught and dropped by
// the scheduler (RunDroppingFailure), and a timer keeps running: on Windows
// it could not unwind through the system's dispatch, and the show drops its
// failures anyway. Only CallOnMain hands an exception back, to its caller.
#pragma once
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>

namespace vanta::platform {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The platform's priority level for each value (-15 idle ... +15
// time-critical); the MPEG library takes the same numbers.
inline constexpr int kThreadPriorityLevels[] = {-15, -2, -1, 0, 1, 2, 15};

constexpr int PlatformPriority(TThreadPriority p) { return kThreadPriorityLevels[static_cast<int>(p)]; }

// The value whose level that is; none for a level not in the table.
constexpr std::optional<TThreadPriority> PriorityOfLevel(int level) {
  for (int i = 0; i < static_cast<int>(std::size(kThreadPriorityLevels)); ++i)
    if (kThreadPriorityLevels[i] == level) return static_cast<TThreadPriority>(i);
  return std::nullopt;
}

// A thread started by StartThread. Destroying it waits for its body to
// return, so destroy it only once Finished() or from a side that the body
// does not wait for.
class IWorkerThread {
 public:
  virtual ~IWorkerThread() = default;
  virtual bool Finished() const = 0;
};

// The one rule for main-thread callbacks that nobody waits for: the timers'
// and the posted calls'.
inline void RunDroppingFailure(const std::function<void()>& fn) noexcept {
  try {
    fn();
  } catch (...) {
  }
}

class IScheduler {
 public:
  virtual ~IScheduler() = default;

  // Milliseconds, wrapping at 2^32.
  virtual uint32_t TickCount() = 0;
  // Milliseconds of processor time the process has used, all its threads.
  virtual uint64_t ProcessCpuMs() { return 0; }
  virtual bool OnMainThread() const = 0;

  // Worker side. Sleep pauses the calling thread. CallOnMain runs fn on the
  // main thread, through its message processing, and returns when it has
  // run; an exception of fn is raised again in the caller. Called on the
  // main thread it runs fn at once.
  virtual void Sleep(uint32_t ms) = 0;
  virtual void CallOnMain(const std::function<void()>& fn) = 0;

  // Main side.
  virtual std::unique_ptr<IWorkerThread> StartThread(std::function<void()> body, TThreadPriority priority) = 0;
  // Returns when the thread's body has returned, running the thread's
  // CallOnMain requests meanwhile (or the two would wait on each other).
  virtual void WaitForThread(IWorkerThread& thread) = 0;
  // Handles pending messages (input, paint, requests, timers), first waiting
  // up to maxWaitMs for one to arrive when none is pending.
  virtual void ProcessMessages(uint32_t maxWaitMs) = 0;
  // Runs fn later on the main thread; what it throws is dropped.
  virtual void Post(std::function<void()> fn) = 0;
  // A repeating timer of the main thread; ids are never 0. fn may kill its
  // own timer or set others; what it throws is dropped (see above).
  virtual uint32_t SetTimer(uint32_t intervalMs, std::function<void()> fn) = 0;
  virtual void KillTimer(uint32_t id) = 0;
};

}  // namespace vanta::platform
