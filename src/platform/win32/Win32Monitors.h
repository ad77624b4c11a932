// The system's monitors through EnumDisplayMonitors and GetMonitorInfo, in
// physical pixels (the process is DPI-aware per monitor).
#pragma once
#include "platform/Monitors.h"

namespace vanta::platform {

class TWin32Monitors final : public IMonitors {
 public:
  std::vector<TMonitor> List() override;
  TRect PrimaryScreen() override;
};

}  // namespace vanta::platform
