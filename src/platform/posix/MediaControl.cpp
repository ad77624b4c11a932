#include "platform/MediaControl.h"

#include <stdexcept>

namespace vanta::platform {
namespace {
class TNoMediaControl final : public IMediaControl {
 public:
  void Close() override {}
  void SetFileName(const std::string& fileName) override { fileName_ = fileName; }
  void Open() override { throw std::runtime_error("no media device for " + fileName_); }
  void Play() override { throw std::runtime_error("no device open"); }
  bool IsPlaying() override { return false; }
  void Stop() override { throw std::runtime_error("no device open"); }

 private:
  std::string fileName_;
};
}  // namespace

std::unique_ptr<IMediaControl> CreateMediaControl() { return std::make_unique<TNoMediaControl>(); }

}  // namespace vanta::platform
