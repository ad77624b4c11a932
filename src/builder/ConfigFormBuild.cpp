// The Build page: its notebook, the readme, and the build itself. The
// script and the files of a build come from BuildPipeline; the window
// starts the installer compiler and shows what it reports by WM_COPYDATA.
#include "builder/ConfigFormP.h"

#include <exception>

#include "base/Text.h"
#include "builder/ConfigFormRes.h"
#include "builder/FormLayout.h"
#include "platform/Files.h"
#include "platform/Scheduler.h"
#include "platform/Shell.h"
#include "platform/win32/SystemLibrary.h"
#include "startup/Instance.h"

namespace vanta {
namespace {

constexpr const char* kSuccessQuestion = "Build Successful, Would you like to test the installation now?";
constexpr const char* kFailureQuestion = "Build Failed, Please try it again.";
constexpr size_t kReadmeLimit = size_t{16} << 20;
constexpr uint32_t kCompilerWatchMs = 500;

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
  if (compiling_) return;
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
  buildNames_ = in.Names;
  RunCompiler();
}

void TVantaConfigForm::RunCompiler() {
  EnableWindow(Control(IDC_BUILDB), FALSE);
  busyCursor_ = true;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  SetWindowTextA(Control(IDC_STATUSMEMO), "");
  SelectNotebookPage(kNotebookBuildPage);
  EnableWindow(Control(IDC_NEXTB), FALSE);
  UpdateWindow(handle_);
  compiling_ = true;

  const std::string& setup = buildNames_.SetupFileName;
  if (platform::FileExists(setup) && !platform::RemoveFile(setup)) {
    EndBuild();
    return Fail("The old setup \"" + setup + "\" cannot be replaced.");
  }
  // Only the compiler the setup installed, by its full path.
  const std::string compiler = CompilerPath(places_.InstallFolder);
  if (platform::FileExists(compiler))
    compiler_ = platform::StartHidden({"", compiler, "\"" + buildNames_.CompileDir + kScriptName + "\"", ""});
  if (!compiler_.Started()) {
    // No compiler, no message back: the build ends here.
    EndBuild();
    return Fail("The installer compiler \"" + compiler + "\" could not be started.");
  }
  // Its messages are sent, so they have all arrived once it has ended.
  compilerWatch_ = platform::MainScheduler().SetTimer(kCompilerWatchMs, [this] {
    if (!compiling_ || !compiler_.Ended()) return;
    EndBuild();
    Fail("The installer compiler \"" + CompilerPath(places_.InstallFolder) + "\" ended without a result.");
  });
}

void TVantaConfigForm::StopWatchingCompiler() {
  if (compilerWatch_) platform::MainScheduler().KillTimer(compilerWatch_);
  compilerWatch_ = 0;
  compiler_ = {};
}

void TVantaConfigForm::EndBuild() {
  StopWatchingCompiler();
  compiling_ = false;
  busyCursor_ = false;
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  CleanCompileFolder(buildNames_);
  EnableWindow(Control(IDC_BUILDB), TRUE);
}

void TVantaConfigForm::WMCopyData(const COPYDATASTRUCT& data) {
  if (!compiling_) return;
  busyCursor_ = false;
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  const std::string text = StatusRecordText(static_cast<const char*>(data.lpData), data.cbData);
  if (data.dwData == kStatusLineCode) {
    const std::optional<std::string> line = StatusLineToShow(text);
    if (!line) return;
    HWND memo = Control(IDC_STATUSMEMO);
    const LRESULT end = SendMessageA(memo, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(memo, EM_SETSEL, end, end);
    SendMessageA(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>((*line + "\r\n").c_str()));
    return;
  }
  // The end: whatever arrives while the question waits belongs to no build.
  compiling_ = false;
  StopWatchingCompiler();
  const auto owner = reinterpret_cast<std::intptr_t>(handle_);
  if (data.dwData == 0) {
    if (platform::AskYesNo(owner, kSuccessQuestion, kBuilderCaption))
      platform::ShellOpen({"", buildNames_.SetupFileName, "", ""});
  } else if (platform::AskYesNo(owner, kFailureQuestion, kBuilderCaption)) {
    return RunCompiler();  // the same script and files again
  }
  EndBuild();
}

}  // namespace vanta
