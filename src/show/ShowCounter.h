// The show's own measure of how it runs: frames presented a second and the
// process's processor time a second of show, written as one line to a
// diagnostics log beside the user's settings every period. It runs on a
// timer of the main thread, away from the frames' path, and reads time and
// processor time from the scheduler, so it counts on virtual time in tests.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Scheduler.h"

namespace vanta {

struct TShowRates {
  double Seconds = 0;          // of show, since the counter began
  double FramesPerSecond = 0;  // over the last period, every screen together
  double CpuMsPerSecond = 0;   // over the last period
  size_t Screens = 0;
};

// "show 10 s: 60.0 frames a second (2 screens, 30.0 each), CPU 250 ms a second"
std::string FormatShowRates(const TShowRates& rates);

// Adds a line to the log, dropping its oldest lines beyond maxBytes; false
// when it could not be written (the show goes on regardless).
bool AppendLogLine(const std::string& fileName, const std::string& line, size_t maxBytes) noexcept;

// The log's name: beside the user's settings, named for the saver.
std::string ShowLogFileName(const std::string& userFolder, const std::string& instanceName);

class TShowCounter {
 public:
  static constexpr uint32_t kPeriodMs = 10000;
  static constexpr size_t kMaxLogBytes = 64 * 1024;
  using TFrames = std::function<uint64_t()>;  // frames presented so far, every screen

  TShowCounter(platform::IScheduler& scheduler, TFrames frames, size_t screens, std::string logFile);
  ~TShowCounter();
  TShowCounter(const TShowCounter&) = delete;
  TShowCounter& operator=(const TShowCounter&) = delete;

  // After a new layout: the frames so far start again from this count.
  void Restart(size_t screens);
  const TShowRates& Last() const { return last_; }

 private:
  void Tick();

  platform::IScheduler& scheduler_;
  TFrames frames_;
  size_t screens_;
  std::string logFile_;
  uint32_t timerId_ = 0, began_ = 0, periodStart_ = 0;
  uint64_t frames0_ = 0, cpu0_ = 0;
  TShowRates last_;
};

}  // namespace vanta
