// The Build page (Win32): a notebook of four pages (the saver's name, its
// author, the readme, the compiler's progress) and the build itself. The
// script and the files of a build come from BuildPipeline, the run of the
// compiler from TCompileSession; the page hands it the compiler's
// WM_COPYDATA records and shows what it reports.
#pragma once
#include <windows.h>

#include <memory>

#include "builder/BuildPipeline.h"
#include "builder/BuilderPage.h"
#include "builder/CompileSession.h"

namespace vanta {

class TBuildPage final : public TBuilderPageBase, private ICompileView, private ICompilePrograms {
 public:
  // The compile session runs on scheduler; shell asks for files and starts
  // the compiler.
  TBuildPage(IBuilderFrame& frame, platform::IScheduler& scheduler, platform::IShell& shell);
  ~TBuildPage() override;

  void Write(const TConfigControls& c) override;
  void Read(TConfigControls& c) const override;
  void Reopened() override;
  // The setup's estimated size is shown afresh.
  void Selected() override;
  // The name, while its notebook page shows; else null.
  HWND FirstFocus() const override;
  // Enter in the name, author, website or version field builds.
  bool KeyDown(HWND edit, WPARAM key) override;
  // The compiler's records (WM_COPYDATA), for the compile session.
  bool Received(const COPYDATASTRUCT& data) override;
  // The hourglass, while the compiler has said nothing yet.
  bool Busy() const override { return compile_ && compile_->Busy(); }
  // Whether a compile runs: from its start until the compiler's end message.
  bool Compiling() const { return compile_ && compile_->Running(); }
  void BuildClick();

 protected:
  std::vector<std::pair<int, int>> SubPages() const override;
  std::span<const TPlace> Layout() const override;
  std::span<const TAnchor> Anchors() const override;
  bool SubPagesGrow() const override { return true; }
  bool HasBottomBar() const override { return false; }
  void SetUp() override;
  bool Command(int id, int code, HWND control) override;

 private:
  void SelectNotebookPage(int index);
  void NextClick();
  void LoadReadmeClick();
  TShrinkOptions ShrinkChoice() const;
  void ShowEstimate();
  // What the compile session shows, asks and starts.
  void RunStarting() override;
  void ShowBusy(bool busy) override;
  void AppendStatus(const std::string& line) override;
  void BuildEnded() override;
  bool Ask(const std::string& question) override;
  void Fail(const std::string& message) override;
  std::unique_ptr<IRunningProgram> Start(const std::string& file, const std::string& parameters) override;
  void Open(const std::string& file) override;

  platform::IScheduler& scheduler_;
  platform::IShell& shell_;
  int notebookPage_ = 0;
  // Made at the first build, on scheduler_.
  std::unique_ptr<TCompileSession> compile_;
};

}  // namespace vanta
