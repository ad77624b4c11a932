// A timer that ticks on the main thread, through its message loop.
//
// On Windows it is a thread timer (SetTimer with a callback). Natively time
// is virtual: tests move it forward and due timers tick in order, so timed
// behaviour is tested deterministically and at once.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace vanta::platform {

class IMessageTimer {
 public:
  virtual ~IMessageTimer() = default;
  // A period of 0 never ticks, even when enabled.
  virtual void SetInterval(uint32_t ms) = 0;
  virtual uint32_t Interval() const = 0;
  // Enabling (again) starts a fresh period.
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;

  // Called on each tick; it may change or enable/disable this timer.
  std::function<void()> OnTimer;
};

std::unique_ptr<IMessageTimer> CreateMessageTimer();

#ifndef _WIN32
// Moves virtual time on by ms, ticking every timer that falls due, earliest
// first.
void AdvanceVirtualTimeForTests(uint32_t ms);
uint64_t VirtualTimeForTests();
void ResetVirtualTimeForTests();
#endif

}  // namespace vanta::platform
