#include "engine/AnimateThread.h"

#include <algorithm>

#include "engine/Vantascreen.h"

namespace vanta {

TAnimateThread::TAnimateThread(TCustomVantascreen& screen, platform::IScheduler& scheduler, TThreadPriority priority)
    : screen_(screen), scheduler_(scheduler) {
  thread_ = scheduler_.StartThread([this] { Execute(); }, priority);
}

TAnimateThread::~TAnimateThread() { thread_.reset(); }

void TAnimateThread::WaitFor() { scheduler_.WaitForThread(*thread_); }

void TAnimateThread::Execute() {
  bool sawManual = false;
  while (!terminated_) {
    if (screen_.Manual()) {
      sawManual = true;
      break;
    }
    if (screen_.Stopping()) break;
    const uint32_t t0 = scheduler_.TickCount();
    try {
      screen_.ComposeAhead();
      scheduler_.CallOnMain([this] { screen_.StepFromWorker(); });
    } catch (...) {
      break;  // a failed frame ends the run; the end handling still happens
    }
    const uint32_t elapsed = scheduler_.TickCount() - t0;  // unsigned: wrap-around is harmless
    if (screen_.AtEnd()) {
      Terminate();
    } else {
      // Sleep the rest of the frame in short pieces, so Stop need not wait
      // out a long Delay.
      uint32_t left = elapsed < screen_.Delay ? screen_.Delay - elapsed : 0;
      while (left > 0 && !terminated_) {
        const uint32_t piece = std::min<uint32_t>(left, 20);
        scheduler_.Sleep(piece);
        left -= piece;
      }
    }
  }
  try {
    scheduler_.CallOnMain([this, sawManual] { screen_.WorkerEnded(this, sawManual); });
  } catch (...) {
  }
}

}  // namespace vanta
