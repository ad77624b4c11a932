// The scheduler on Windows: a millisecond clock, threads with priorities, and a
// hidden message-only window of the main thread. A worker's CallOnMain is a
// SendMessage to that window, so it runs inside the main thread's message
// processing; WaitForThread waits with MsgWaitForMultipleObjects and lets
// sent messages through, so a worker waiting for the main thread never
// blocks the main thread waiting for it. Timers are WM_TIMER messages of
// that window, so any message loop of the main thread runs them.
#pragma once
#include <windows.h>

#include <map>

#include "platform/Scheduler.h"

namespace vanta::platform {

class TWin32Scheduler : public IScheduler {
 public:
  TWin32Scheduler();  // on the main thread
  ~TWin32Scheduler() override;

  // From the performance counter, not GetTickCount: that one moves in steps
  // of about 16 ms (and lags under Wine), so a frame measured with it seemed
  // longer than it was and the next frame's sleep came short.
  uint32_t TickCount() override;
  uint64_t ProcessCpuMs() override;
  bool OnMainThread() const override { return GetCurrentThreadId() == mainThread_; }
  void Sleep(uint32_t ms) override { ::Sleep(ms); }
  void CallOnMain(const std::function<void()>& fn) override;
  std::unique_ptr<IWorkerThread> StartThread(std::function<void()> body, TThreadPriority priority) override;
  void WaitForThread(IWorkerThread& thread) override;
  void ProcessMessages(uint32_t maxWaitMs) override;
  void Post(std::function<void()> fn) override;
  uint32_t SetTimer(uint32_t intervalMs, std::function<void()> fn) override;
  void KillTimer(uint32_t id) override;

  HWND Window() const { return window_; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  DWORD mainThread_;
  HWND window_ = nullptr;
  std::map<UINT_PTR, std::function<void()>> timers_;
  UINT_PTR nextTimer_ = 1;
};

// The main thread's message loop, until WM_QUIT.
void RunMessageLoop();

}  // namespace vanta::platform
