#include "platform/Scheduler.h"
#include "platform/headless/HeadlessScheduler.h"

namespace vanta::platform {
namespace {
IScheduler* gMainForTests = nullptr;
}  // namespace

IScheduler& MainScheduler() {
  if (gMainForTests) return *gMainForTests;
  // Never destroyed, as on Windows: module state may kill its timers at exit.
  static THeadlessScheduler* const scheduler = new THeadlessScheduler;
  return *scheduler;
}

void SetMainSchedulerForTests(IScheduler* sched) { gMainForTests = sched; }

}  // namespace vanta::platform
