// The worker that paces a transition. It never touches a bitmap: it reads
// the clock, asks the main thread to draw the next frame and waits for it,
// then sleeps whatever is left of the frame's Delay. A slow frame is not
// followed by a sleep. When its loop ends it asks the main thread to run the
// surface's end handling.
#pragma once
#include <atomic>
#include <memory>

#include "platform/Scheduler.h"

namespace vanta {

class TCustomVantascreen;
using platform::TThreadPriority;

class TAnimateThread {
 public:
  // Created running.
  TAnimateThread(TCustomVantascreen& screen, platform::IScheduler& scheduler, TThreadPriority priority);
  ~TAnimateThread();  // waits for the thread's body; call only once Finished() or off its path

  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  bool Finished() const { return thread_->Finished(); }
  // Main thread: returns when the thread has ended, serving its requests.
  void WaitFor();

 private:
  void Execute();

  TCustomVantascreen& screen_;
  platform::IScheduler& scheduler_;
  std::atomic<bool> terminated_{false};
  std::unique_ptr<platform::IWorkerThread> thread_;
};

}  // namespace vanta
