#include "WizardForm.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "WizardIds.h"

namespace vanta::build {
namespace {

constexpr UINT kProgressMessage = WM_APP + 1;
constexpr UINT kDoneMessage = WM_APP + 2;
constexpr int kProgressSteps = 1000;
// The inner pages' white band, in dialog units (the title sits in it).
constexpr LONG kBandHeight = 26;

// Between the worker and the dialog: the latest progress, and Cancel's
// question, during which the worker waits.
class TFormProgress : public IInstallProgress {
 public:
  TFormProgress(HWND dialog, unsigned pauseMs) : dialog_(dialog), pauseMs_(pauseMs) {}

  void Progress(const std::string& what, uint64_t done, uint64_t total) override {
    bool newFile = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      newFile = what != what_;
      what_ = what;
      done_ = done;
      total_ = total;
    }
    if (!posted_.exchange(true)) PostMessageA(dialog_, kProgressMessage, 0, 0);
    if (newFile && pauseMs_) Sleep(pauseMs_);
  }

  bool Cancelled() override {
    std::unique_lock<std::mutex> lock(mutex_);
    answered_.wait(lock, [this] { return !asking_; });
    return cancel_;
  }

  void BeginQuestion() {
    std::lock_guard<std::mutex> lock(mutex_);
    asking_ = true;
  }
  void Answer(bool cancel) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      asking_ = false;
      cancel_ = cancel;
    }
    answered_.notify_all();
  }

  // For the dialog: what to show now.
  void Take(std::string& what, int& step) {
    posted_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    what = what_;
    step = total_ ? int(done_ * kProgressSteps / total_) : 0;
  }

 private:
  HWND dialog_;
  unsigned pauseMs_;
  std::mutex mutex_;
  std::condition_variable answered_;
  std::atomic<bool> posted_{false};
  std::string what_;
  uint64_t done_ = 0, total_ = 0;
  bool asking_ = false;
  bool cancel_ = false;
};

class TWizardForm {
 public:
  TWizardForm(TSetupWizard& wizard, const std::string& title, bool progressOnly, const std::string& folderLeaf,
              const TInstallWork& work, unsigned pauseMs, const TPagePictures& pictures)
      : wizard_(wizard), title_(title), progressOnly_(progressOnly), folderLeaf_(folderLeaf), work_(work), pauseMs_(pauseMs),
        pictures_(pictures) {}

  TWizardOutcome Run() {
    // Common controls are loaded only when pages are shown: loading them
    // makes Wine start its desktop, which a setup that shows nothing does
    // without. The manifest names version 6, and only the system folder is
    // searched (SetupMain), so no planted copy is taken.
    using TInit = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    if (HMODULE common = LoadLibraryA("comctl32.dll"))
      if (auto init = reinterpret_cast<TInit>(reinterpret_cast<void*>(GetProcAddress(common, "InitCommonControlsEx"))))
        init(&icc);
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_WIZARD), nullptr, Proc, reinterpret_cast<LPARAM>(this));
    if (worker_.joinable()) worker_.join();
    if (bold_) DeleteObject(bold_);
    return outcome_;
  }

 private:
  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lp);
    auto* self = reinterpret_cast<TWizardForm*>(GetWindowLongPtrA(dialog, DWLP_USER));
    return self ? self->Handle(dialog, message, wp, lp) : FALSE;
  }

  INT_PTR Handle(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
      case WM_INITDIALOG:
        Init(dialog);
        return TRUE;
      case WM_COMMAND:
        // Typed or browsed: the drive's free space follows the folder.
        if (LOWORD(wp) == IDC_FOLDER && HIWORD(wp) == EN_CHANGE) SetDlgItemTextA(dialog_, IDC_SPACE, wizard_.SpaceText(ItemText(IDC_FOLDER)).c_str());
        else Command(LOWORD(wp));
        return TRUE;
      case WM_CLOSE:
        Command(IDCANCEL);
        return TRUE;
      case kProgressMessage:
        ShowProgress();
        return TRUE;
      case WM_PAINT:
        Paint();
        return TRUE;
      case WM_CTLCOLORSTATIC:
        // The title in the band is on the band's white.
        if (reinterpret_cast<HWND>(lp) == Item(IDC_HEADING) && BandPage()) {
          SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
          return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        }
        return FALSE;
      case kDoneMessage:
        InstallEnded();
        return TRUE;
      default:
        return FALSE;
    }
  }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }

  // The inner pages have the white band; Welcome and Finished the tall picture.
  bool BandPage() const {
    const TWizardPage p = wizard_.Page();
    return p != TWizardPage::Welcome && p != TWizardPage::Finished;
  }
  bool PicturePage() const { return !BandPage() && !pictures_.large.Empty(); }

  RECT Mapped(RECT r) const {
    MapDialogRect(dialog_, &r);
    return r;
  }
  // The band, above the page's text; the tall picture, as tall as the page
  // above the buttons' line and as wide as its shape gives.
  RECT Band() const { return Mapped({0, 0, 330, kBandHeight}); }
  RECT LargePlace() const {
    const RECT page = Mapped({0, 0, 330, 186});
    return {0, 0, LONG(int64_t(page.bottom) * kWizardImageWidth / kWizardImageHeight), page.bottom};
  }

  RECT SmallPlace() const {
    const RECT band = Band();
    const LONG margin = (band.bottom - band.top) / 8, side = band.bottom - band.top - 2 * margin;
    return {band.right - margin - side, margin, band.right - margin, margin + side};
  }

  static void Draw(HDC dc, const TWizardPicture& p, const RECT& to) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), LONG(p.width), -LONG(p.height), 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, int(p.width), int(p.height), p.rows.data(),
                  &info, DIB_RGB_COLORS, SRCCOPY);
  }

  void Paint() {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(dialog_, &ps);
    if (PicturePage()) {
      Draw(dc, pictures_.large, LargePlace());
    } else if (BandPage()) {
      RECT band = Band();
      FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      RECT line{band.left, band.bottom, band.right, band.bottom + 2};
      DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
      if (!pictures_.small.Empty()) Draw(dc, pictures_.small, SmallPlace());
    }
    EndPaint(dialog_, &ps);
  }

  // Welcome and Finished put their words right of the tall picture.
  void PlaceLeft(int id, RECT dlu) {
    RECT r = Mapped(dlu);
    if (PicturePage()) r.left = LargePlace().right + Mapped({12, 0, 0, 0}).left;
    MoveWindow(Item(id), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }

  std::string ItemText(int id) const {
    char buf[MAX_PATH * 2];
    GetDlgItemTextA(dialog_, id, buf, sizeof buf);
    return buf;
  }

  void Init(HWND dialog) {
    dialog_ = dialog;
    SetWindowTextA(dialog_, title_.c_str());
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    bold_ = CreateFontIndirectA(&lf);
    SendMessageA(Item(IDC_HEADING), WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
    SendMessageA(Item(IDC_PROGRESS), PBM_SETRANGE32, 0, kProgressSteps);
    const TWizardFields& f = wizard_.Fields();
    SetDlgItemTextA(dialog_, IDC_FOLDER, f.folder.c_str());
    SetDlgItemTextA(dialog_, IDC_GROUP, f.group.c_str());
    CheckDlgButton(dialog_, IDC_NOGROUP, f.noGroup ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog_, IDC_VIEWREADME, BST_CHECKED);
    MakeRunChoices(f);
    ShowPage();
    SetForegroundWindow(dialog_);
  }

  TWizardFields Controls() const {
    TWizardFields f = wizard_.Fields();
    f.folder = ItemText(IDC_FOLDER);
    f.group = ItemText(IDC_GROUP);
    f.noGroup = IsDlgButtonChecked(dialog_, IDC_NOGROUP) == BST_CHECKED;
    f.viewReadme = IsDlgButtonChecked(dialog_, IDC_VIEWREADME) == BST_CHECKED;
    for (size_t i = 0; i < f.run.size(); ++i) f.run[i].ticked = IsDlgButtonChecked(dialog_, IDC_RUN0 + int(i)) == BST_CHECKED;
    return f;
  }

  // One check box per program the Finished page offers, below the readme's.
  void MakeRunChoices(const TWizardFields& f) {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0));
    for (size_t i = 0; i < f.run.size() && i < kMaxRunEntries; ++i) {
      RECT r{12, 62 + 14 * int(i + (wizard_.HasReadme() ? 1 : 0)), 12 + 306, 0};
      r.bottom = r.top + 10;
      MapDialogRect(dialog_, &r);
      const HWND box = CreateWindowExA(0, "BUTTON", f.run[i].description.c_str(), WS_CHILD | WS_TABSTOP | BS_AUTOCHECKBOX,
                                       r.left, r.top, r.right - r.left, r.bottom - r.top, dialog_,
                                       reinterpret_cast<HMENU>(INT_PTR(IDC_RUN0 + int(i))), nullptr, nullptr);
      SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      CheckDlgButton(dialog_, IDC_RUN0 + int(i), f.run[i].ticked ? BST_CHECKED : BST_UNCHECKED);
    }
  }

  void ShowPage() {
    const TWizardPage page = wizard_.Page();
    SetDlgItemTextA(dialog_, IDC_HEADING, wizard_.Heading().c_str());
    SetDlgItemTextA(dialog_, IDC_TEXT, wizard_.Text().c_str());
    auto show = [&](int id, bool visible) { ShowWindow(Item(id), visible ? SW_SHOW : SW_HIDE); };
    show(IDC_FOLDER, page == TWizardPage::Folder);
    show(IDC_BROWSE, page == TWizardPage::Folder);
    show(IDC_SPACE, page == TWizardPage::Folder);
    if (page == TWizardPage::Folder) SetDlgItemTextA(dialog_, IDC_SPACE, wizard_.SpaceText(ItemText(IDC_FOLDER)).c_str());
    show(IDC_GROUP, page == TWizardPage::Group);
    show(IDC_NOGROUP, page == TWizardPage::Group);
    show(IDC_PROGRESS, page == TWizardPage::Installing);
    show(IDC_STATUS, page == TWizardPage::Installing);
    const bool readme = page == TWizardPage::Finished && wizard_.HasReadme();
    show(IDC_VIEWREADME, readme);
    const bool finished = page == TWizardPage::Finished;
    for (size_t i = 0; i < wizard_.Fields().run.size() && i < kMaxRunEntries; ++i) show(IDC_RUN0 + int(i), finished);
    // Three lines of text, and the page's controls right below them; a page
    // without controls has the text all the way down.
    const bool controls = readme || (finished && !wizard_.Fields().run.empty()) || page == TWizardPage::Folder || page == TWizardPage::Group ||
                          page == TWizardPage::Installing;
    PlaceLeft(IDC_HEADING, {12, 10, 12 + 306, 22});
    if (BandPage() && !pictures_.small.Empty()) {  // the title stops short of the small picture
      RECT h;
      GetWindowRect(Item(IDC_HEADING), &h);
      MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&h), 2);
      MoveWindow(Item(IDC_HEADING), h.left, h.top, SmallPlace().left - h.left - 4, h.bottom - h.top, TRUE);
    }
    PlaceLeft(IDC_TEXT, {12, 28, 12 + 306, controls ? 28 + 30 : 28 + 148});
    PlaceLeft(IDC_VIEWREADME, {12, 62, 12 + 200, 72});
    for (size_t i = 0; i < wizard_.Fields().run.size() && i < kMaxRunEntries; ++i) {
      const LONG top = 62 + 14 * LONG(i + (wizard_.HasReadme() ? 1 : 0));
      PlaceLeft(IDC_RUN0 + int(i), {12, top, 12 + 306, top + 10});
    }
    InvalidateRect(dialog_, nullptr, TRUE);
    EnableWindow(Item(IDC_GROUP), IsDlgButtonChecked(dialog_, IDC_NOGROUP) != BST_CHECKED);
    const TWizardButtons b = wizard_.Buttons();
    EnableWindow(Item(IDC_BACK), b.back);
    EnableWindow(Item(IDC_NEXT), b.next);
    EnableWindow(Item(IDCANCEL), b.cancel);
    SetDlgItemTextA(dialog_, IDC_NEXT, b.nextCaption.c_str());
    if (page == TWizardPage::Folder) SetFocus(Item(IDC_FOLDER));
    else if (b.next) SetFocus(Item(IDC_NEXT));
    if (page == TWizardPage::Installing && !worker_.joinable()) StartInstall();
  }

  void Command(int id) {
    switch (id) {
      case IDC_NEXT:
        Next();
        break;
      case IDC_BACK:
        wizard_.Back(Controls());
        ShowPage();
        break;
      case IDC_BROWSE:
        Browse();
        break;
      case IDC_NOGROUP:
        EnableWindow(Item(IDC_GROUP), IsDlgButtonChecked(dialog_, IDC_NOGROUP) != BST_CHECKED);
        break;
      case IDCANCEL:
        Cancel();
        break;
    }
  }

  void Next() {
    if (!wizard_.Buttons().next) return;
    const bool finishing = wizard_.Page() == TWizardPage::Finished;
    if (std::optional<std::string> error = wizard_.Next(Controls())) {
      MessageBoxA(dialog_, error->c_str(), title_.c_str(), MB_OK | MB_ICONWARNING);
      return;
    }
    if (finishing) {
      EndDialog(dialog_, 0);
      return;
    }
    ShowPage();
  }

  void Cancel() {
    if (wizard_.Page() == TWizardPage::Finished) {
      EndDialog(dialog_, 0);  // closing the last page is Finish
      return;
    }
    if (!wizard_.Buttons().cancel) return;
    if (wizard_.Page() != TWizardPage::Installing) {
      if (MessageBoxA(dialog_, "Leave setup? Nothing has been installed.", title_.c_str(),
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
        outcome_.end = TWizardEnd::CancelledBefore;
        EndDialog(dialog_, 0);
      }
      return;
    }
    progress_->BeginQuestion();
    const bool stop = MessageBoxA(dialog_, "Stop the installation? What is installed so far will be taken out again.",
                                  title_.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    if (stop) EnableWindow(Item(IDCANCEL), FALSE);
    progress_->Answer(stop);
  }

  void Browse() {
    BROWSEINFOA bi{};
    bi.hwndOwner = dialog_;
    bi.lpszTitle = "Choose the folder to install into:";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&bi);
    if (!list) return;
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(list, path)) {
      std::string folder = path;
      if (!folder.empty() && folder.back() != '\\') folder += '\\';
      SetDlgItemTextA(dialog_, IDC_FOLDER, (folder + folderLeaf_).c_str());
    }
    CoTaskMemFree(list);
  }

  void StartInstall() {
    progress_ = std::make_unique<TFormProgress>(dialog_, pauseMs_);
    const TWizardFields fields = wizard_.Fields();
    worker_ = std::thread([this, fields] {
      CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      outcome_.install = work_(*progress_, fields);
      CoUninitialize();
      PostMessageA(dialog_, kDoneMessage, 0, 0);
    });
  }

  void ShowProgress() {
    std::string what;
    int step = 0;
    progress_->Take(what, step);
    SendMessageA(Item(IDC_PROGRESS), PBM_SETPOS, step, 0);
    SetDlgItemTextA(dialog_, IDC_STATUS, what.c_str());
  }

  void InstallEnded() {
    worker_.join();
    switch (outcome_.install.outcome) {
      case TInstallOutcome::Done:
        outcome_.end = TWizardEnd::Done;
        wizard_.InstallDone();
        if (progressOnly_) EndDialog(dialog_, 0);
        else ShowPage();
        return;
      case TInstallOutcome::Cancelled:
        outcome_.end = TWizardEnd::CancelledDuring;
        break;
      case TInstallOutcome::Failed:
        outcome_.end = TWizardEnd::Failed;
        break;
    }
    EndDialog(dialog_, 0);
  }

  TSetupWizard& wizard_;
  std::string title_;
  bool progressOnly_;
  std::string folderLeaf_;
  const TInstallWork& work_;
  unsigned pauseMs_;
  TPagePictures pictures_;
  HWND dialog_ = nullptr;
  HFONT bold_ = nullptr;
  std::unique_ptr<TFormProgress> progress_;
  std::thread worker_;
  TWizardOutcome outcome_;
};

}  // namespace

TWizardOutcome RunWizardForm(TSetupWizard& wizard, const std::string& title, bool progressOnly,
                             const std::string& folderLeaf, const TInstallWork& work, unsigned pauseMs,
                             const TPagePictures& pictures) {
  return TWizardForm(wizard, title, progressOnly, folderLeaf, work, pauseMs, pictures).Run();
}

}  // namespace vanta::build
