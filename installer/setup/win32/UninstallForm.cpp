#include "UninstallForm.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <mutex>
#include <thread>

#include "PageBand.h"
#include "WizardIds.h"

namespace vanta::build {
namespace {

constexpr UINT kProgressMessage = WM_APP + 1;
constexpr UINT kDoneMessage = WM_APP + 2;
constexpr int kProgressSteps = 1000;

class TUninstallForm {
 public:
  TUninstallForm(const std::string& title, const std::string& app, const TUninstallWork& work, unsigned pauseMs)
      : title_(title), app_(app), work_(work), pauseMs_(pauseMs) {}

  void Run() {
    RunModalDialog(IDD_UNINSTALL, *this);
    if (worker_.joinable()) worker_.join();
    if (bold_) DeleteObject(bold_);
  }

 private:
  friend INT_PTR CALLBACK ModalDialogProc<TUninstallForm>(HWND, UINT, WPARAM, LPARAM);

  INT_PTR Handle(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
      case WM_INITDIALOG:
        Init(dialog);
        return TRUE;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(dialog_, &ps);
        PaintBand(dc, BandRect(dialog_), TWizardPicture{}, icons_.Big());
        EndPaint(dialog_, &ps);
        return TRUE;
      }
      case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lp) == GetDlgItem(dialog_, IDC_HEADING) || reinterpret_cast<HWND>(lp) == GetDlgItem(dialog_, IDC_SUBTITLE)) {
          SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
          return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        }
        return FALSE;
      case kProgressMessage:
        ShowProgress();
        return TRUE;
      case kDoneMessage:
        EndDialog(dialog_, 0);
        return TRUE;
      case WM_CLOSE:
        return TRUE;  // an uninstall half done helps no one
      default:
        return FALSE;
    }
  }

  void Init(HWND dialog) {
    dialog_ = dialog;
    SetWindowTextA(dialog_, title_.c_str());
    icons_.Give(dialog_);
    bold_ = BoldFontOf(dialog_);
    SendDlgItemMessageA(dialog_, IDC_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
    SetDlgItemTextA(dialog_, IDC_HEADING, "Uninstalling");
    SetDlgItemTextA(dialog_, IDC_SUBTITLE, ("Please wait while " + app_ + " is removed from your computer.").c_str());
    SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_SETRANGE32, 0, kProgressSteps);
    // The heading and subtitle stop short of the icon's place.
    const LONG right = BandPicturePlace(BandRect(dialog_)).left - 4;
    for (int id : {IDC_HEADING, IDC_SUBTITLE}) {
      RECT r;
      GetWindowRect(GetDlgItem(dialog_, id), &r);
      MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
      MoveWindow(GetDlgItem(dialog_, id), r.left, r.top, right - r.left, r.bottom - r.top, FALSE);
    }
    SetForegroundWindow(dialog_);
    worker_ = std::thread([this] {
      CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      work_([this](const std::string& what, size_t done, size_t total) { Progress(what, done, total); });
      CoUninitialize();
      PostMessageA(dialog_, kDoneMessage, 0, 0);
    });
  }

  void Progress(const std::string& what, size_t done, size_t total) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      what_ = what;
      step_ = total ? int(uint64_t(done) * kProgressSteps / total) : kProgressSteps;
    }
    PostMessageA(dialog_, kProgressMessage, 0, 0);
    if (pauseMs_ && !what.empty()) Sleep(pauseMs_);
  }

  void ShowProgress() {
    std::lock_guard<std::mutex> lock(mutex_);
    SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_SETPOS, step_, 0);
    SetDlgItemTextA(dialog_, IDC_STATUS, what_.c_str());
  }

  std::string title_, app_;
  const TUninstallWork& work_;
  unsigned pauseMs_;
  HWND dialog_ = nullptr;
  HFONT bold_ = nullptr;
  TWindowIcons icons_;
  std::thread worker_;
  std::mutex mutex_;
  std::string what_;
  int step_ = 0;
};

}  // namespace

void RunUninstallForm(const std::string& title, const std::string& app, const TUninstallWork& work, unsigned pauseMs) {
  TUninstallForm(title, app, work, pauseMs).Run();
}

}  // namespace vanta::build
