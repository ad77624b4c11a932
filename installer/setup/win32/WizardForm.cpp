#include "WizardForm.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "PageBand.h"
#include "WizardIds.h"

namespace vanta::build {
namespace {

constexpr UINT kProgressMessage = WM_APP + 1;
constexpr UINT kDoneMessage = WM_APP + 2;
constexpr int kProgressSteps = 1000;
// The inner pages' words and controls start this much lower, under the band.
constexpr LONG kBandDrop = 18;

// Where each page's own controls lie on a page without the band, in dialog
// units (left, top, right, bottom); the dialog template only creates them.
struct TControlPlace {
  int id;
  RECT dlu;
};
constexpr TControlPlace kControlPlaces[] = {
    {IDC_FOLDER, {12, 62, 250, 76}},   {IDC_BROWSE, {256, 62, 318, 76}},      {IDC_SPACE, {12, 82, 318, 102}},
    {IDC_GROUP, {12, 62, 250, 76}},    {IDC_GROUPBROWSE, {256, 62, 318, 76}}, {IDC_NOGROUP, {12, 82, 212, 94}},
    {IDC_PROGRESS, {12, 62, 318, 74}}, {IDC_STATUS, {12, 78, 318, 88}},       {IDC_VIEWREADME, {12, 62, 212, 74}},
};

// Which page shows which of them.
bool Shows(TWizardPage page, int id) {
  switch (id) {
    case IDC_FOLDER:
    case IDC_BROWSE:
    case IDC_SPACE: return page == TWizardPage::Folder;
    case IDC_GROUP:
    case IDC_GROUPBROWSE:
    case IDC_NOGROUP: return page == TWizardPage::Group;
    case IDC_PROGRESS:
    case IDC_STATUS: return page == TWizardPage::Installing;
    default: return false;
  }
}

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
  TWizardForm(TSetupWizard& wizard, const TWizardLook& look, const TInstallWork& work) : wizard_(wizard), look_(look), work_(work) {}

  TWizardOutcome Run() {
    RunModalDialog(IDD_WIZARD, *this);
    if (worker_.joinable()) worker_.join();
    if (bold_) DeleteObject(bold_);
    return outcome_;
  }

 private:
  friend INT_PTR CALLBACK ModalDialogProc<TWizardForm>(HWND, UINT, WPARAM, LPARAM);

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
        // The heading and the subtitle in the band are on the band's white.
        if (BandPage() && (reinterpret_cast<HWND>(lp) == Item(IDC_HEADING) || reinterpret_cast<HWND>(lp) == Item(IDC_SUBTITLE))) {
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
  bool PicturePage() const { return !BandPage() && look_.large && !look_.large->Empty(); }
  const TWizardPicture& Small() const {
    static const TWizardPicture none;
    return look_.small ? *look_.small : none;
  }

  RECT Mapped(RECT r) const {
    MapDialogRect(dialog_, &r);
    return r;
  }
  // The tall picture: as tall as the page above the buttons' line and as
  // wide as its shape gives.
  RECT LargePlace() const {
    const RECT page = Mapped({0, 0, 330, 186});
    return {0, 0, LONG(int64_t(page.bottom) * kWizardImageWidth / kWizardImageHeight), page.bottom};
  }

  void Paint() {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(dialog_, &ps);
    if (PicturePage()) DrawWizardPicture(dc, *look_.large, LargePlace());
    else if (BandPage()) PaintBand(dc, BandRect(dialog_), Small(), icons_.Big());
    EndPaint(dialog_, &ps);
  }

  // A control to its place in dialog units; on Welcome and Finished the
  // words move right of the tall picture, on the others below the band.
  void Place(int id, RECT dlu) {
    if (BandPage()) {
      dlu.top += kBandDrop;
      dlu.bottom += kBandDrop;
    }
    RECT r = Mapped(dlu);
    if (PicturePage()) r.left = LargePlace().right + Mapped({12, 0, 0, 0}).left;
    MoveWindow(Item(id), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }

  // The heading and subtitle: in the band, short of its picture, or atop
  // Welcome and Finished.
  void PlaceHeading() {
    if (!BandPage()) {
      Place(IDC_HEADING, {12, 10, 318, 24});
      return;
    }
    const LONG right = BandPicturePlace(BandRect(dialog_)).left - Mapped({4, 0, 0, 0}).left;
    const RECT heading = Mapped({12, 6, 0, 18}), subtitle = Mapped({20, 19, 0, 31});
    MoveWindow(Item(IDC_HEADING), heading.left, heading.top, right - heading.left, heading.bottom - heading.top, TRUE);
    MoveWindow(Item(IDC_SUBTITLE), subtitle.left, subtitle.top, right - subtitle.left, subtitle.bottom - subtitle.top, TRUE);
  }

  std::string ItemText(int id) const {
    char buf[MAX_PATH * 2];
    GetDlgItemTextA(dialog_, id, buf, sizeof buf);
    return buf;
  }

  void Init(HWND dialog) {
    dialog_ = dialog;
    SetWindowTextA(dialog_, look_.title.c_str());
    icons_.Give(dialog_);
    bold_ = BoldFontOf(dialog_);
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

  size_t RunCount() const { return std::min(wizard_.Fields().run.size(), kMaxRunEntries); }
  // The Finished page's check boxes: the readme's, then one per program.
  RECT RunPlace(size_t i) const {
    const LONG top = 62 + 14 * LONG(i + (wizard_.HasReadme() ? 1 : 0));
    return {12, top, 318, top + 12};
  }

  void MakeRunChoices(const TWizardFields& f) {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0));
    for (size_t i = 0; i < RunCount(); ++i) {
      const HWND box = CreateWindowExA(0, "BUTTON", f.run[i].description.c_str(), WS_CHILD | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 0, 0, 0,
                                       dialog_, reinterpret_cast<HMENU>(INT_PTR(IDC_RUN0 + int(i))), nullptr, nullptr);
      SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      CheckDlgButton(dialog_, IDC_RUN0 + int(i), f.run[i].ticked ? BST_CHECKED : BST_UNCHECKED);
    }
  }

  void ShowControls(TWizardPage page) {
    auto show = [&](int id, bool visible) { ShowWindow(Item(id), visible ? SW_SHOW : SW_HIDE); };
    for (const TControlPlace& c : kControlPlaces) show(c.id, Shows(page, c.id));
    show(IDC_SUBTITLE, BandPage());
    const bool finished = page == TWizardPage::Finished;
    show(IDC_VIEWREADME, finished && wizard_.HasReadme());
    for (size_t i = 0; i < RunCount(); ++i) show(IDC_RUN0 + int(i), finished);
  }

  void ShowPage() {
    const TWizardPage page = wizard_.Page();
    SetDlgItemTextA(dialog_, IDC_HEADING, wizard_.Heading().c_str());
    SetDlgItemTextA(dialog_, IDC_SUBTITLE, wizard_.Subtitle().c_str());
    SetDlgItemTextA(dialog_, IDC_TEXT, wizard_.Text().c_str());
    if (page == TWizardPage::Folder) SetDlgItemTextA(dialog_, IDC_SPACE, wizard_.SpaceText(ItemText(IDC_FOLDER)).c_str());
    ShowControls(page);
    // Three lines of text, and the page's controls right below them; a page
    // without controls has the text all the way down.
    bool controls = page == TWizardPage::Finished && (wizard_.HasReadme() || RunCount() > 0);
    for (const TControlPlace& c : kControlPlaces) {
      controls |= Shows(page, c.id);
      Place(c.id, c.dlu);
    }
    PlaceHeading();
    Place(IDC_TEXT, {12, 28, 318, controls ? 28 + 30 : 176 - (BandPage() ? kBandDrop : 0)});
    for (size_t i = 0; i < RunCount(); ++i) Place(IDC_RUN0 + int(i), RunPlace(i));
    InvalidateRect(dialog_, nullptr, TRUE);
    EnableWindow(Item(IDC_GROUP), IsDlgButtonChecked(dialog_, IDC_NOGROUP) != BST_CHECKED);
    EnableWindow(Item(IDC_GROUPBROWSE), IsDlgButtonChecked(dialog_, IDC_NOGROUP) != BST_CHECKED);
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
        if (const auto folder = PickFolder("Choose the folder to install into:", {}))
          SetDlgItemTextA(dialog_, IDC_FOLDER, (*folder + "\\" + look_.folderLeaf).c_str());
        break;
      case IDC_GROUPBROWSE:
        BrowseGroup();
        break;
      case IDC_NOGROUP:
        EnableWindow(Item(IDC_GROUP), IsDlgButtonChecked(dialog_, IDC_NOGROUP) != BST_CHECKED);
        EnableWindow(Item(IDC_GROUPBROWSE), IsDlgButtonChecked(dialog_, IDC_NOGROUP) != BST_CHECKED);
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
      MessageBoxA(dialog_, error->c_str(), look_.title.c_str(), MB_OK | MB_ICONWARNING);
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
      if (MessageBoxA(dialog_, "Leave setup? Nothing has been installed.", look_.title.c_str(),
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
        outcome_.end = TWizardEnd::CancelledBefore;
        EndDialog(dialog_, 0);
      }
      return;
    }
    progress_->BeginQuestion();
    const bool stop = MessageBoxA(dialog_, "Stop the installation? What is installed so far will be taken out again.",
                                  look_.title.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    if (stop) EnableWindow(Item(IDCANCEL), FALSE);
    progress_->Answer(stop);
  }

  // A folder picked in the shell's dialog, below `root` when one is given;
  // without its trailing backslash.
  std::optional<std::string> PickFolder(const char* prompt, const std::string& root) {
    BROWSEINFOA bi{};
    bi.hwndOwner = dialog_;
    bi.lpszTitle = prompt;
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE start = root.empty() ? nullptr : ILCreateFromPathA(root.c_str());
    bi.pidlRoot = start;
    PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&bi);
    if (start) ILFree(start);
    if (!list) return std::nullopt;
    char path[MAX_PATH];
    const bool got = SHGetPathFromIDListA(list, path);
    CoTaskMemFree(list);
    if (!got) return std::nullopt;
    std::string folder = path;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
  }

  // The Start menu folder: one of the Start menu's, with the group's name
  // below it (or the name alone when the Start menu itself is picked).
  void BrowseGroup() {
    const std::optional<std::string> folder = PickFolder("Choose the Start menu folder for the shortcuts:", look_.groupRoot);
    if (!folder) return;
    const std::string& root = look_.groupRoot;
    if (folder->size() < root.size() || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, folder->c_str(), int(root.size()), root.c_str(),
                                                       int(root.size())) != CSTR_EQUAL)
      return;
    std::string relative = folder->substr(root.size());
    if (!relative.empty() && relative.front() != '\\') return;  // a sibling whose name begins alike
    if (!relative.empty()) relative = relative.substr(1) + "\\";
    SetDlgItemTextA(dialog_, IDC_GROUP, (relative + look_.groupLeaf).c_str());
  }

  void StartInstall() {
    progress_ = std::make_unique<TFormProgress>(dialog_, look_.pauseMs);
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
        if (look_.progressOnly) EndDialog(dialog_, 0);
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
  const TWizardLook& look_;
  const TInstallWork& work_;
  HWND dialog_ = nullptr;
  HFONT bold_ = nullptr;
  TWindowIcons icons_;
  std::unique_ptr<TFormProgress> progress_;
  std::thread worker_;
  TWizardOutcome outcome_;
};

}  // namespace

TWizardOutcome RunWizardForm(TSetupWizard& wizard, const TWizardLook& look, const TInstallWork& work) {
  return TWizardForm(wizard, look, work).Run();
}

}  // namespace vanta::build
