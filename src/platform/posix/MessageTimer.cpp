#include "platform/MessageTimer.h"

#include <algorithm>
#include <vector>

namespace vanta::platform {
namespace {

class TVirtualTimer;
uint64_t gNow = 0;
std::vector<TVirtualTimer*>& Timers() {
  static std::vector<TVirtualTimer*> timers;
  return timers;
}

class TVirtualTimer final : public IMessageTimer {
 public:
  TVirtualTimer() { Timers().push_back(this); }
  ~TVirtualTimer() override { std::erase(Timers(), this); }
  void SetInterval(uint32_t ms) override {
    interval_ = ms;
    due_ = gNow + ms;
  }
  uint32_t Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override {
    enabled_ = enabled;
    if (enabled) due_ = gNow + interval_;
  }
  bool Enabled() const override { return enabled_; }

  bool Live() const { return enabled_ && interval_ > 0; }
  uint64_t Due() const { return due_; }
  void Tick() {
    due_ = gNow + interval_;
    if (OnTimer) OnTimer();
  }

 private:
  uint32_t interval_ = 0;
  bool enabled_ = false;
  uint64_t due_ = 0;
};

}  // namespace

std::unique_ptr<IMessageTimer> CreateMessageTimer() { return std::make_unique<TVirtualTimer>(); }

void AdvanceVirtualTimeForTests(uint32_t ms) {
  const uint64_t end = gNow + ms;
  for (;;) {
    // The earliest live timer due by the end; handlers may create, destroy
    // or re-arm timers, so look again after every tick.
    TVirtualTimer* next = nullptr;
    for (TVirtualTimer* t : Timers()) {
      if (t->Live() && t->Due() <= end && (!next || t->Due() < next->Due())) next = t;
    }
    if (!next) break;
    gNow = std::max(gNow, next->Due());
    next->Tick();
  }
  gNow = end;
}

uint64_t VirtualTimeForTests() { return gNow; }
void ResetVirtualTimeForTests() { gNow = 0; }

}  // namespace vanta::platform
