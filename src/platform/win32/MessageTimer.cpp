#include <windows.h>

#include <map>

#include "platform/MessageTimer.h"

namespace vanta::platform {
namespace {

class TWin32Timer;
// Thread timers carry no user data: find the object by the timer's id.
std::map<UINT_PTR, TWin32Timer*>& Live() {
  static std::map<UINT_PTR, TWin32Timer*> live;
  return live;
}

class TWin32Timer final : public IMessageTimer {
 public:
  ~TWin32Timer() override { Kill(); }
  void SetInterval(uint32_t ms) override {
    interval_ = ms;
    Update();
  }
  uint32_t Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override {
    enabled_ = enabled;
    Kill();  // enabling again starts a fresh period
    Update();
  }
  bool Enabled() const override { return enabled_; }

  static void CALLBACK Proc(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Live().find(id);
    if (it == Live().end() || !it->second->OnTimer) return;
    // An exception cannot unwind through the system's dispatch frames; a
    // failing tick is dropped here, as the application would drop it.
    try {
      it->second->OnTimer();
    } catch (...) {
    }
  }

 private:
  void Kill() {
    if (id_ != 0) {
      KillTimer(nullptr, id_);
      Live().erase(id_);
      id_ = 0;
    }
  }
  void Update() {
    if (!enabled_ || interval_ == 0) {
      Kill();
      return;
    }
    // With a window of none, SetTimer replaces the timer of the same id.
    const UINT_PTR id = SetTimer(nullptr, id_, interval_, &Proc);
    if (id != id_) {
      Live().erase(id_);
      id_ = id;
    }
    if (id_ != 0) Live()[id_] = this;
  }
  uint32_t interval_ = 0;
  bool enabled_ = false;
  UINT_PTR id_ = 0;
};

}  // namespace

std::unique_ptr<IMessageTimer> CreateMessageTimer() { return std::make_unique<TWin32Timer>(); }

}  // namespace vanta::platform
