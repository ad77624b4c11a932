#include "builder/CompileSession.h"

#include <vector>

#include "platform/Files.h"

namespace vanta {

std::vector<std::string> FilesWritten(std::string_view endText, const std::string& setupFile) {
  std::vector<std::string> files;
  while (!endText.empty()) {
    const size_t end = endText.find('\n');
    std::string_view line = endText.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) files.emplace_back(line);
    endText.remove_prefix(end == std::string_view::npos ? endText.size() : end + 1);
  }
  if (files.empty()) files.push_back(setupFile);
  return files;
}

std::string SuccessQuestion(const std::vector<std::string>& files) {
  std::string text = std::string(kSuccessQuestion) + "\n";
  for (const std::string& f : files) text += "\n" + f;
  return text;
}

TCompileSession::~TCompileSession() { StopWatching(); }

void TCompileSession::Start(const TBuildNames& names, const std::string& compilerPath) {
  if (running_) return;
  names_ = names;
  compiler_ = compilerPath;
  Run();
}

void TCompileSession::Run() {
  busy_ = true;
  view_.RunStarting();
  view_.ShowBusy(true);
  running_ = true;

  // The old setup goes, and its parts with it: a part left over beside the
  // new setup would be taken for one of its own.
  std::vector<std::string> old{names_.SetupFileName};
  for (int part = 1; platform::FileExists(SetupPartPath(names_.SetupFileName, part)); ++part)
    old.push_back(SetupPartPath(names_.SetupFileName, part));
  for (const std::string& file : old) {
    if (platform::FileExists(file) && !platform::RemoveFile(file)) {
      End();
      return view_.Fail("The old setup \"" + file + "\" cannot be replaced.");
    }
  }
  // Only the compiler the setup installed, by its full path.
  if (platform::FileExists(compiler_)) program_ = programs_.Start(compiler_, "\"" + names_.CompileDir + kScriptName + "\"");
  if (!program_) {
    // No compiler, no record back: the build ends here.
    End();
    return view_.Fail("The installer compiler \"" + compiler_ + "\" could not be started.");
  }
  // Its records are sent, so they have all arrived once it has ended.
  watch_ = scheduler_.SetTimer(kCompilerWatchMs, [this] {
    if (!running_ || !program_ || !program_->Ended()) return;
    End();
    view_.Fail("The installer compiler \"" + compiler_ + "\" ended without a result.");
  });
}

void TCompileSession::StopWatching() {
  if (watch_) scheduler_.KillTimer(watch_);
  watch_ = 0;
  program_.reset();
}

void TCompileSession::End() {
  StopWatching();
  running_ = false;
  busy_ = false;
  view_.ShowBusy(false);
  CleanCompileFolder(names_);
  view_.BuildEnded();
}

void TCompileSession::Record(uint32_t code, std::string_view text) {
  if (!running_) return;
  busy_ = false;
  view_.ShowBusy(false);
  if (code == kStatusLineCode) {
    if (const std::optional<std::string> line = StatusLineToShow(text)) view_.AppendStatus(*line);
    return;
  }
  // The end: whatever arrives while the question waits belongs to no build.
  running_ = false;
  StopWatching();
  if (code == 0) {
    // The setup where it was written: its parts are beside it.
    if (view_.Ask(SuccessQuestion(FilesWritten(text, names_.SetupFileName)))) programs_.Open(names_.SetupFileName);
  } else if (view_.Ask(kFailureQuestion)) {
    return Run();  // the same script and files again
  }
  End();
}

}  // namespace vanta
