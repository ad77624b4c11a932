#include "show/ShowCounter.h"

#include <cstdio>

#include "base/Text.h"
#include "platform/Files.h"

namespace vanta {

std::string FormatShowRates(const TShowRates& r) {
  char text[160];
  const double each = r.Screens > 0 ? r.FramesPerSecond / static_cast<double>(r.Screens) : 0;
  std::snprintf(text, sizeof text, "show %.0f s: %.1f frames a second (%u screen%s, %.1f each), CPU %.0f ms a second",
                r.Seconds, r.FramesPerSecond, static_cast<unsigned>(r.Screens), r.Screens == 1 ? "" : "s", each,
                r.CpuMsPerSecond);
  return text;
}

bool AppendLogLine(const std::string& fileName, const std::string& line, size_t maxBytes) noexcept {
  try {
    if (fileName.empty()) return false;
    std::string text;
    if (platform::FileExists(fileName) &&
        platform::ReadWholeFile(fileName, text, maxBytes) != platform::TReadResult::Ok)
      text.clear();  // too large or unreadable: start afresh
    text += line + "\n";
    // Whole lines only, the newest kept.
    while (text.size() > maxBytes) {
      const size_t end = text.find('\n');
      if (end == std::string::npos || end + 1 >= text.size()) break;
      text.erase(0, end + 1);
    }
    const std::string folder = ExtractFilePath(fileName);
    if (!folder.empty() && !platform::CreateFolders(folder)) return false;
    return platform::WriteFileAtomically(fileName, text);
  } catch (...) {
    return false;
  }
}

std::string ShowLogFileName(const std::string& userFolder, const std::string& instanceName) {
  return userFolder + instanceName + ".log";
}

TShowCounter::TShowCounter(platform::IScheduler& scheduler, TFrames frames, size_t screens, std::string logFile)
    : scheduler_(scheduler), frames_(std::move(frames)), screens_(screens), logFile_(std::move(logFile)) {
  began_ = scheduler_.TickCount();
  Restart(screens);
  timerId_ = scheduler_.SetTimer(kPeriodMs, [this] { Tick(); });
}

TShowCounter::~TShowCounter() { scheduler_.KillTimer(timerId_); }

void TShowCounter::Restart(size_t screens) {
  screens_ = screens;
  periodStart_ = scheduler_.TickCount();
  frames0_ = frames_();
  cpu0_ = scheduler_.ProcessCpuMs();
}

void TShowCounter::Tick() {
  const uint32_t now = scheduler_.TickCount();
  const uint64_t frames = frames_(), cpu = scheduler_.ProcessCpuMs();
  const double seconds = (now - periodStart_) / 1000.0;
  if (seconds > 0) {
    last_.Seconds = (now - began_) / 1000.0;
    last_.FramesPerSecond = (frames >= frames0_ ? frames - frames0_ : frames) / seconds;
    last_.CpuMsPerSecond = (cpu >= cpu0_ ? cpu - cpu0_ : 0) / seconds;
    last_.Screens = screens_;
    AppendLogLine(logFile_, FormatShowRates(last_), kMaxLogBytes);
  }
  periodStart_ = now;
  frames0_ = frames;
  cpu0_ = cpu;
}

}  // namespace vanta
