#include <windows.h>
#include <mmsystem.h>

#include <stdexcept>
#include <vector>

#include "platform/MediaControl.h"

namespace vanta::platform {
namespace {

constexpr char kWindowClass[] = "VantaMediaControl";

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

std::runtime_error MciError(MCIERROR err) {
  char text[256] = "media control error";
  mciGetErrorStringA(err, text, sizeof text);
  return std::runtime_error(text);
}

class TMciControl final : public IMediaControl {
 public:
  TMciControl() {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(inst, kWindowClass, &wc)) {
      wc.lpfnWndProc = &WindowProc;
      wc.hInstance = inst;
      wc.lpszClassName = kWindowClass;
      RegisterClassA(&wc);
    }
    // Message-only: never shown, still receives the completion message.
    window_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
    if (!window_) throw std::runtime_error("media control window");
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TMciControl() override {
    Close();
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }

  void Close() override {
    if (device_ == 0) return;
    // Closing a device that still plays aborts its play request, and the
    // system says so with a notification. That is not the end of a track:
    // reported, it would start the next one, whose start closes this
    // playing device again, and so on through the whole list.
    bool playing = false;
    try {
      playing = IsPlaying();
    } catch (const std::exception&) {
    }
    if (playing) cutShort_.push_back(device_);
    MCI_GENERIC_PARMS p{};
    mciSendCommandA(device_, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p));
    device_ = 0;
  }
  void SetFileName(const std::string& fileName) override { fileName_ = fileName; }
  void Open() override {
    Close();
    MCI_OPEN_PARMSA p{};
    p.lpstrElementName = fileName_.c_str();
    const MCIERROR err = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p));
    if (err != 0) throw MciError(err);
    device_ = p.wDeviceID;
  }
  void Play() override {
    MCI_PLAY_PARMS p{};
    p.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
    const MCIERROR err = mciSendCommandA(device_, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&p));
    if (err != 0) throw MciError(err);
  }
  bool IsPlaying() override {
    if (device_ == 0) return false;
    MCI_STATUS_PARMS p{};
    p.dwItem = MCI_STATUS_MODE;
    const MCIERROR err =
        mciSendCommandA(device_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p));
    if (err != 0) throw MciError(err);
    return p.dwReturn == MCI_MODE_PLAY;
  }
  void Stop() override {
    MCI_GENERIC_PARMS p{};
    const MCIERROR err = mciSendCommandA(device_, MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&p));
    if (err != 0) throw MciError(err);
  }

  void Notified(MCIDEVICEID device) {
    for (auto it = cutShort_.begin(); it != cutShort_.end(); ++it) {
      if (*it == device) {
        cutShort_.erase(it);
        return;
      }
    }
    // Nothing may unwind through the window procedure.
    try {
      if (OnNotify) OnNotify();
    } catch (...) {
    }
  }

 private:
  HWND window_ = nullptr;
  MCIDEVICEID device_ = 0;
  std::string fileName_;
  std::vector<MCIDEVICEID> cutShort_;  // closed while playing: one notification each to drop
};

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == MM_MCINOTIFY) {
    // Every code counts as the end of the play request: finished, aborted,
    // superseded or failed.
    if (auto* self = reinterpret_cast<TMciControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))) self->Notified(static_cast<MCIDEVICEID>(lp));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

std::unique_ptr<IMediaControl> CreateMediaControl() { return std::make_unique<TMciControl>(); }

}  // namespace vanta::platform
