// Monitors that are what a test says; changing Monitors plays a display change.
#pragma once
#include <utility>

#include "platform/Monitors.h"

namespace vanta::platform {

class TFixedMonitors final : public IMonitors {
 public:
  TFixedMonitors(std::vector<TMonitor> monitors, TRect primary) : Monitors(std::move(monitors)), Primary(primary) {}
  std::vector<TMonitor> List() override { return Monitors; }
  TRect PrimaryScreen() override { return Primary; }

  std::vector<TMonitor> Monitors;
  TRect Primary;
};

}  // namespace vanta::platform
