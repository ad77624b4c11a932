#include "builder/BuildPage.h"

#include <exception>
#include <utility>

#include "builder/ConfigFormRes.h"
#include "engine/PictureLoader.h"
#include "forms/Controls.h"
#include "platform/Files.h"
#include "platform/Scheduler.h"
#include "platform/Shell.h"
#include "platform/win32/SystemLibrary.h"
#include "settings/Instance.h"

namespace vanta {
namespace {

constexpr TPlace kLayout[] = {
    {kOnPage, IDC_BARLINE, 8, 288, 422, 2},      {kOnPage, IDC_BACKTOFIRST, 8, 298, 44, 26},
    {kOnPage, IDC_BACKB, 196, 298, 74, 26},      {kOnPage, IDC_NEXTB, 276, 298, 74, 26},
    {kOnPage, IDC_BUILDB, 356, 298, 74, 26},     {0, IDC_NOTE0, 8, 8, 406, 44},
    {0, IDC_NAMEGROUP, 8, 60, 406, 66},          {0, IDC_NAMELABEL, 20, 90, 60, 16},
    {0, IDC_NAMEEDIT, 84, 86, 318, 22},          {0, IDC_SHRINKGROUP, 8, 134, 406, 104},
    {0, IDC_SHRINKCHECK, 20, 156, 240, 20},      {0, IDC_SHRINKSIZE, 266, 154, 136, 200},
    {0, IDC_ESTIMATELABEL, 20, 188, 382, 40},    {1, IDC_NOTE1, 8, 8, 406, 44},
    {1, IDC_AUTHORGROUP, 8, 60, 406, 130},       {1, IDC_AUTHORLABEL, 20, 90, 60, 16},
    {1, IDC_AUTHOREDIT, 84, 86, 318, 22},        {1, IDC_WEBSITELABEL, 20, 122, 60, 16},
    {1, IDC_WEBSITEEDIT, 84, 118, 318, 22},      {1, IDC_VERSIONLABEL, 20, 154, 60, 16},
    {1, IDC_VERSIONEDIT, 84, 150, 120, 22},      {2, IDC_READMEGROUP, 8, 8, 406, 258},
    {2, IDC_READMEMEMO, 18, 28, 386, 192},       {2, IDC_LOADREADME, 18, 228, 124, 26},
    {3, IDC_BUILDINGGROUP, 8, 8, 406, 258},      {3, IDC_STATUSMEMO, 18, 28, 386, 226},
};
// The notebook takes the growth: its boxes widen, the read-me and the
// status box grow; the bar keeps to the bottom, its buttons to the right.
constexpr TAnchor kAnchors[] = {
    {kOnPage, IDC_BARLINE, form::kAnchorBottomWide}, {kOnPage, IDC_BACKTOFIRST, form::kAnchorBottom},
    {kOnPage, IDC_BACKB, form::kAnchorCorner},       {kOnPage, IDC_NEXTB, form::kAnchorCorner},
    {kOnPage, IDC_BUILDB, form::kAnchorCorner},      {0, IDC_NOTE0, form::kAnchorWide},
    {0, IDC_NAMEGROUP, form::kAnchorWide},           {0, IDC_NAMEEDIT, form::kAnchorWide},
    {0, IDC_SHRINKGROUP, form::kAnchorWide},         {0, IDC_ESTIMATELABEL, form::kAnchorWide},
    {0, IDC_SHRINKSIZE, form::kAnchorRight},
    {1, IDC_NOTE1, form::kAnchorWide},               {1, IDC_AUTHORGROUP, form::kAnchorWide},
    {1, IDC_AUTHOREDIT, form::kAnchorWide},          {1, IDC_WEBSITEEDIT, form::kAnchorWide},
    {2, IDC_READMEGROUP, form::kAnchorStretch},      {2, IDC_READMEMEMO, form::kAnchorStretch},
    {2, IDC_LOADREADME, form::kAnchorBottom},        {3, IDC_BUILDINGGROUP, form::kAnchorStretch},
    {3, IDC_STATUSMEMO, form::kAnchorStretch},
};
constexpr RECT kNotebookArea{8, 8, 8 + 422, 8 + 274};
constexpr const char* kBuildNote =
    "Note: Click \"Build\" button to create your own screensaver installation, or click \"Next\" to input more "
    "information (Optional).";

// An edit control wants CR LF between lines.
std::string WithCrLf(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

// The compiler as the shell started it.
class TShellProgram : public IRunningProgram {
 public:
  explicit TShellProgram(platform::TStartedProgram program) : program_(std::move(program)) {}
  bool Ended() const override { return program_.Ended(); }

 private:
  platform::TStartedProgram program_;
};

}  // namespace

TBuildPage::TBuildPage(IBuilderFrame& frame) : TBuilderPageBase(frame, bpBuild) {}
TBuildPage::~TBuildPage() = default;

std::vector<std::pair<int, int>> TBuildPage::SubPages() const {
  return {{IDD_NOTEBOOKPAGE0, IDC_NOTEBOOKPAGE0},
          {IDD_NOTEBOOKPAGE1, IDC_NOTEBOOKPAGE1},
          {IDD_NOTEBOOKPAGE2, IDC_NOTEBOOKPAGE2},
          {IDD_NOTEBOOKPAGE3, IDC_NOTEBOOKPAGE3}};
}

std::span<const TPlace> TBuildPage::Layout() const { return kLayout; }
std::span<const TAnchor> TBuildPage::Anchors() const { return kAnchors; }

void TBuildPage::SetUp() {
  const int nl = Scaled(kNotebookArea.left), nt = Scaled(kNotebookArea.top);
  for (size_t i = 0; i < SubCount(); ++i)
    MoveWindow(Sub(i), nl, nt, Scaled(kNotebookArea.right) - nl, Scaled(kNotebookArea.bottom) - nt, FALSE);
  for (int note : {IDC_NOTE0, IDC_NOTE1}) SetWindowTextA(Find(note), kBuildNote);
  SendMessageA(Own(IDC_BACKTOFIRST), BM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<LPARAM>(frame_.ButtonIcon(TButtonIcon::Back)));
  form::AddHint(frame_.Hints(), Own(IDC_BACKTOFIRST), "Back (5/5)");
  for (const char* size : kShrinkSizeCaptions)
    SendMessageA(Find(IDC_SHRINKSIZE), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
  SelectNotebookPage(notebookPage_);
}

void TBuildPage::Write(const TConfigControls& c) {
  SetWindowTextA(Find(IDC_AUTHOREDIT), c.AuthorEdit.c_str());
  SetWindowTextA(Find(IDC_WEBSITEEDIT), c.WebsiteEdit.c_str());
  form::SetChecked(Find(IDC_SHRINKCHECK), c.ShrinkCheck);
  SendMessageA(Find(IDC_SHRINKSIZE), CB_SETCURSEL, c.ShrinkSizeCombo, 0);
  SetWindowTextA(Find(IDC_VERSIONEDIT), c.VersionEdit.c_str());
}

void TBuildPage::Read(TConfigControls& c) const {
  if (!Made()) return;
  c.AuthorEdit = form::WindowText(Find(IDC_AUTHOREDIT));
  c.WebsiteEdit = form::WindowText(Find(IDC_WEBSITEEDIT));
  c.VersionEdit = form::WindowText(Find(IDC_VERSIONEDIT));
  c.ShrinkCheck = form::Checked(Find(IDC_SHRINKCHECK));
  const LRESULT size = SendMessageA(Find(IDC_SHRINKSIZE), CB_GETCURSEL, 0, 0);
  c.ShrinkSizeCombo = size >= 0 && size < static_cast<LRESULT>(std::size(kShrinkSizes)) ? static_cast<int32_t>(size) : 0;
}

void TBuildPage::Selected() { ShowEstimate(); }

TShrinkOptions TBuildPage::ShrinkChoice() const {
  TConfigControls c = frame_.Record();
  Read(c);
  TShrinkOptions o;
  o.Enabled = c.ShrinkCheck;
  o.Box = kShrinkSizes[c.ShrinkSizeCombo];
  o.Background = c.BackcolorCb;
  return o;
}

void TBuildPage::ShowEstimate() {
  if (!Made()) return;
  const TConfigControls& r = frame_.Record();
  std::vector<std::string> pictures = CheckedEntries(r.ImageList), music = CheckedEntries(r.MusicList);
  const TShrinkOptions o = ShrinkChoice();
  EnableWindow(Find(IDC_SHRINKSIZE), o.Enabled);
  SetWindowTextA(Find(IDC_ESTIMATELABEL), EstimateText(EstimateSetup(pictures, music, o.Box), o.Enabled).c_str());
}

void TBuildPage::Reopened() {
  notebookPage_ = 0;
  if (Made()) SelectNotebookPage(0);
}

HWND TBuildPage::FirstFocus() const { return notebookPage_ == 0 ? Find(IDC_NAMEEDIT) : nullptr; }

void TBuildPage::SelectNotebookPage(int index) {
  notebookPage_ = index;
  for (size_t i = 0; i < SubCount(); ++i) ShowWindow(Sub(i), static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
  const TNotebookButtons b = NotebookButtons(notebookPage_);
  EnableWindow(Own(IDC_BACKB), b.Back);
  if (b.Next) EnableWindow(Own(IDC_NEXTB), *b.Next);
}

bool TBuildPage::Command(int id, int code, HWND) {
  if ((id == IDC_SHRINKCHECK && code == BN_CLICKED) || (id == IDC_SHRINKSIZE && code == CBN_SELCHANGE)) {
    ShowEstimate();
    return true;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_NEXTB: NextClick(); break;
    case IDC_BACKB: SelectNotebookPage(NotebookBack(notebookPage_)); break;
    case IDC_BUILDB: BuildClick(); break;
    case IDC_LOADREADME: LoadReadmeClick(); break;
    default: return false;
  }
  return true;
}

void TBuildPage::NextClick() {
  if (NotebookNextBuilds(notebookPage_)) return BuildClick();
  SelectNotebookPage(NotebookNext(notebookPage_));
}

bool TBuildPage::NameEditKeyDown(HWND edit, WPARAM key) {
  if (key != VK_RETURN || !Made()) return false;
  if (edit != Find(IDC_NAMEEDIT) && edit != Find(IDC_AUTHOREDIT) && edit != Find(IDC_WEBSITEEDIT) &&
      edit != Find(IDC_VERSIONEDIT))
    return false;
  // Reached from the message loop, where nothing catches.
  try {
    BuildClick();
  } catch (const std::exception& e) {
    frame_.Fail(e.what());
  }
  return true;
}

void TBuildPage::LoadReadmeClick() {
  const std::vector<std::string> files =
      platform::PickFilesToOpen(reinterpret_cast<std::intptr_t>(frame_.Window()), {"", "*.txt|*.txt", ""});
  if (files.empty()) return;
  SetWindowTextA(Find(IDC_READMEMEMO), WithCrLf(LoadReadmeFile(files.front())).c_str());
}

void TBuildPage::BuildClick() {
  // One compile at a time: Next and Enter reach here while "Build" is disabled.
  if (Compiling()) return;
  const std::optional<std::string> chosen = platform::PickFileToSave(
      reinterpret_cast<std::intptr_t>(frame_.Window()),
      {"Save screensaver installation as...", "*.exe|*.exe", "", frame_.Places().DocumentsFolder});
  if (!chosen) return;
  const TConfigControls& r = frame_.Record();
  TBuildInput in;
  in.Names = MakeBuildNames(*chosen, form::WindowText(Find(IDC_NAMEEDIT)), frame_.Places().UserFolder);
  in.ProgramFolder = Instance().ProgramFolder;
  in.SystemFolder = platform::SystemFolder();
  in.ImageList = &r.ImageList;
  in.MusicList = &r.MusicList;
  in.AuthorEdit = form::WindowText(Find(IDC_AUTHOREDIT));
  in.WebsiteEdit = form::WindowText(Find(IDC_WEBSITEEDIT));
  in.VersionEdit = form::WindowText(Find(IDC_VERSIONEDIT));
  in.Readme = form::WindowText(Find(IDC_READMEMEMO));
  in.Shrink = ShrinkChoice();
  in.ShrinkProgress = [this](size_t done, size_t total) {
    if (notebookPage_ != kNotebookBuildPage) SelectNotebookPage(kNotebookBuildPage);
    const std::string text = "Making photos smaller: " + std::to_string(done) + " of " + std::to_string(total);
    SetWindowTextA(Find(IDC_STATUSMEMO), text.c_str());
    UpdateWindow(Find(IDC_STATUSMEMO));
  };
  in.PagePicture = FirstUsablePicture(r.ImageList, [](const std::string& file) {
    try {
      ReadPictureFile(file, 0xFFFFFF);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  });
  // The commit is OK's: the working file then holds what the window shows.
  TShrinkReport shrunk;
  WriteScript(in, frame_.WorkingFile(), [this] { frame_.Commit(); }, &shrunk);
  ICompileView& view = *this;
  ICompilePrograms& programs = *this;
  if (!compile_) compile_ = std::make_unique<TCompileSession>(platform::MainScheduler(), programs, view);
  compile_->Start(in.Names, CompilerPath(frame_.Places().CompilerFolder));
  for (const std::string& line : ShrinkSummary(shrunk)) AppendStatus(line);
}

void TBuildPage::WMCopyData(const COPYDATASTRUCT& data) {
  if (!compile_) return;
  compile_->Record(static_cast<uint32_t>(data.dwData),
                   StatusRecordText(static_cast<const char*>(data.lpData), data.cbData));
}

// ---- What the compile session shows, asks and starts.

void TBuildPage::RunStarting() {
  EnableWindow(Own(IDC_BUILDB), FALSE);
  SetWindowTextA(Find(IDC_STATUSMEMO), "");
  SelectNotebookPage(kNotebookBuildPage);
  EnableWindow(Own(IDC_NEXTB), FALSE);
  UpdateWindow(frame_.Window());
}

void TBuildPage::ShowBusy(bool busy) { SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW)); }

void TBuildPage::AppendStatus(const std::string& line) {
  HWND memo = Find(IDC_STATUSMEMO);
  const LRESULT end = SendMessageA(memo, WM_GETTEXTLENGTH, 0, 0);
  SendMessageA(memo, EM_SETSEL, end, end);
  SendMessageA(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>((line + "\r\n").c_str()));
}

void TBuildPage::BuildEnded() { EnableWindow(Own(IDC_BUILDB), TRUE); }

bool TBuildPage::Ask(const std::string& question) {
  return platform::AskYesNo(reinterpret_cast<std::intptr_t>(frame_.Window()), question, kBuilderCaption);
}

void TBuildPage::Fail(const std::string& message) { frame_.Fail(message); }

std::unique_ptr<IRunningProgram> TBuildPage::Start(const std::string& file, const std::string& parameters) {
  platform::TStartedProgram program = platform::StartHidden({"", file, parameters, ""});
  if (!program.Started()) return nullptr;
  return std::make_unique<TShellProgram>(std::move(program));
}

void TBuildPage::Open(const std::string& file) { platform::ShellOpen({"", file, "", ""}); }

}  // namespace vanta
