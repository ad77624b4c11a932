// The Build page: its notebook, the readme, and the build itself. The
// script and the files of a build come from BuildPipeline, the run of the
// compiler from TCompileSession; the window hands it the compiler's
// WM_COPYDATA records and shows what it reports.
#include "builder/ConfigFormP.h"

#include <exception>

#include "base/Text.h"
#include "builder/ConfigFormRes.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "platform/Files.h"
#include "platform/Scheduler.h"
#include "platform/Shell.h"
#include "platform/win32/SystemLibrary.h"
#include "startup/Instance.h"

namespace vanta {
namespace {

constexpr size_t kReadmeLimit = size_t{16} << 20;

// An edit control wants CR LF between lines.
std::string WithCrLf(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace

void TVantaConfigForm::NextBClick() {
  if (NotebookNextBuilds(notebookPage_)) return BuildBClick();
  SelectNotebookPage(NotebookNext(notebookPage_));
}

void TVantaConfigForm::BackBClick() { SelectNotebookPage(NotebookBack(notebookPage_)); }

void TVantaConfigForm::Notebook1PageChanged() {
  const TNotebookButtons b = NotebookButtons(notebookPage_);
  EnableWindow(Control(IDC_BACKB), b.Back);
  if (b.Next) EnableWindow(Control(IDC_NEXTB), *b.Next);
}

bool TVantaConfigForm::NameEditKeyDown(HWND edit, WPARAM key) {
  if (key != VK_RETURN) return false;
  if (edit != Control(IDC_NAMEEDIT) && edit != Control(IDC_AUTHOREDIT) && edit != Control(IDC_WEBSITEEDIT))
    return false;
  // Reached from the message loop, where nothing catches.
  try {
    BuildBClick();
  } catch (const std::exception& e) {
    Fail(e.what());
  }
  return true;
}

void TVantaConfigForm::Button6Click() {
  const std::vector<std::string> files =
      platform::PickFilesToOpen(reinterpret_cast<std::intptr_t>(handle_), {"", "*.txt|*.txt", ""});
  if (files.empty()) return;
  std::string text;
  if (platform::ReadWholeFile(files.front(), text, kReadmeLimit) != platform::TReadResult::Ok)
    throw TBuildError("Cannot open file " + files.front());
  if (!IsValidUtf8(text)) text = platform::LegacyTextToUtf8(text);
  SetWindowTextA(Control(IDC_READMEMEMO), WithCrLf(text).c_str());
}

void TVantaConfigForm::BuildBClick() {
  // One compile at a time: Next and Enter reach here while "Build" is disabled.
  if (Compiling()) return;
  const std::optional<std::string> chosen = platform::PickFileToSave(
      reinterpret_cast<std::intptr_t>(handle_),
      {"Save screensaver installation as...", "*.exe|*.exe", "", places_.DocumentsFolder});
  if (!chosen) return;
  TBuildInput in;
  in.Names = MakeBuildNames(*chosen, form::WindowText(Control(IDC_NAMEEDIT)), places_.UserFolder);
  in.ProgramFolder = Instance().ProgramFolder;
  in.SystemFolder = platform::SystemFolder();
  in.ImageList = &imageList_;
  in.MusicList = &musicList_;
  in.AuthorEdit = form::WindowText(Control(IDC_AUTHOREDIT));
  in.WebsiteEdit = form::WindowText(Control(IDC_WEBSITEEDIT));
  in.Readme = form::WindowText(Control(IDC_READMEMEMO));
  // The commit is OK's: the working file then holds what the window shows.
  WriteScript(in, ini_, [this] {
    if (OnAccept) OnAccept(ReadControls());
  });
  ICompileView& view = *this;
  ICompilePrograms& programs = *this;
  if (!compile_) compile_ = std::make_unique<TCompileSession>(platform::MainScheduler(), programs, view);
  compile_->Start(in.Names, CompilerPath(places_.InstallFolder));
}

void TVantaConfigForm::WMCopyData(const COPYDATASTRUCT& data) {
  if (!compile_) return;
  compile_->Record(static_cast<uint32_t>(data.dwData), StatusRecordText(static_cast<const char*>(data.lpData), data.cbData));
}

// ---- What the compile session shows, asks and starts.

void TVantaConfigForm::RunStarting() {
  EnableWindow(Control(IDC_BUILDB), FALSE);
  SetWindowTextA(Control(IDC_STATUSMEMO), "");
  SelectNotebookPage(kNotebookBuildPage);
  EnableWindow(Control(IDC_NEXTB), FALSE);
  UpdateWindow(handle_);
}

void TVantaConfigForm::ShowBusy(bool busy) { SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW)); }

void TVantaConfigForm::AppendStatus(const std::string& line) {
  HWND memo = Control(IDC_STATUSMEMO);
  const LRESULT end = SendMessageA(memo, WM_GETTEXTLENGTH, 0, 0);
  SendMessageA(memo, EM_SETSEL, end, end);
  SendMessageA(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>((line + "\r\n").c_str()));
}

void TVantaConfigForm::BuildEnded() { EnableWindow(Control(IDC_BUILDB), TRUE); }

bool TVantaConfigForm::Ask(const std::string& question) {
  return platform::AskYesNo(reinterpret_cast<std::intptr_t>(handle_), question, kBuilderCaption);
}

namespace {

class TShellProgram : public IRunningProgram {
 public:
  explicit TShellProgram(platform::TStartedProgram program) : program_(std::move(program)) {}
  bool Ended() const override { return program_.Ended(); }

 private:
  platform::TStartedProgram program_;
};

}  // namespace

std::unique_ptr<IRunningProgram> TVantaConfigForm::Start(const std::string& file, const std::string& parameters) {
  platform::TStartedProgram program = platform::StartHidden({"", file, parameters, ""});
  if (!program.Started()) return nullptr;
  return std::make_unique<TShellProgram>(std::move(program));
}

void TVantaConfigForm::Open(const std::string& file) { platform::ShellOpen({"", file, "", ""}); }

}  // namespace vanta
