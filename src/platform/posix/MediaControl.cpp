#include "platform/MediaControl.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace vanta::platform {
namespace {

class TFakeMediaControl;
std::vector<std::string> gLog;
std::vector<TFakeMediaControl*> gDevices;
std::vector<TFakeMediaControl*> gQueued;  // one entry per pending notification

bool LooksPlayable(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  char magic[4] = {};
  if (!in.read(magic, 4)) return false;
  const std::string m(magic, 4);
  return m == "RIFF" || m == "MThd";
}

class TFakeMediaControl final : public IMediaControl {
 public:
  TFakeMediaControl() { gDevices.push_back(this); }
  ~TFakeMediaControl() override {
    std::erase(gDevices, this);
    std::erase(gQueued, this);
  }
  void Close() override {
    if (!open_) return;
    gLog.push_back("close");
    // A play request cut short by closing is not reported (see the Win32
    // holder): only its own end, a stop or a failure is.
    playing_ = false;
    open_ = false;
  }
  void SetFileName(const std::string& fileName) override { fileName_ = fileName; }
  void Open() override {
    if (!LooksPlayable(fileName_)) {
      gLog.push_back("open-failed " + fileName_);
      throw std::runtime_error("cannot open " + fileName_);
    }
    gLog.push_back("open " + fileName_);
    open_ = true;
  }
  void Play() override {
    if (!open_) throw std::runtime_error("no device open");
    gLog.push_back("play");
    Halt();  // a new play request supersedes the one that runs
    playing_ = true;
  }
  bool IsPlaying() override { return playing_; }
  void Stop() override {
    if (!open_) throw std::runtime_error("no device open");
    gLog.push_back("stop");
    Halt();
  }
  void Finish() {
    if (playing_) Halt();
  }

 private:
  // A play request that ends in any way is notified.
  void Halt() {
    if (!playing_) return;
    playing_ = false;
    gQueued.push_back(this);
  }
  std::string fileName_;
  bool open_ = false;
  bool playing_ = false;
};

}  // namespace

std::unique_ptr<IMediaControl> CreateMediaControl() { return std::make_unique<TFakeMediaControl>(); }

const std::vector<std::string>& MediaControlLogForTests() { return gLog; }

void FinishMediaPlayForTests() {
  for (TFakeMediaControl* d : gDevices) d->Finish();
}

int DeliverMediaNotificationsForTests() {
  int n = 0;
  while (!gQueued.empty()) {
    TFakeMediaControl* d = gQueued.front();
    gQueued.erase(gQueued.begin());
    ++n;
    if (d->OnNotify) d->OnNotify();
  }
  return n;
}

void ResetMediaControlForTests() {
  gLog.clear();
  gQueued.clear();
}

}  // namespace vanta::platform
