#include "builder/CompileSession.h"

#include "platform/Files.h"

namespace vanta {

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

  const std::string& setup = names_.SetupFileName;
  if (platform::FileExists(setup) && !platform::RemoveFile(setup)) {
    End();
    return view_.Fail("The old setup \"" + setup + "\" cannot be replaced.");
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
    if (view_.Ask(kSuccessQuestion)) programs_.Open(names_.SetupFileName);
  } else if (view_.Ask(kFailureQuestion)) {
    return Run();  // the same script and files again
  }
  End();
}

}  // namespace vanta
