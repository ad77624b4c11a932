// One compile of the Build page, apart from its window: the old setup and
// its parts removed, the installer compiler started by its full path and watched,
// its status records shown, the questions at the end, and the compile
// folder cleaned whatever the end.
//
// The window shows what the session tells it (ICompileView) and hands it
// the compiler's records; programs are started and opened through
// ICompilePrograms (the shell on Windows, a fake in tests), and the watch
// runs on an IScheduler timer, so every case runs natively on virtual time.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "builder/BuildPipeline.h"
#include "platform/Scheduler.h"

namespace vanta {

// A compiler started, for the session to see it end.
class IRunningProgram {
 public:
  virtual ~IRunningProgram() = default;
  // True once it has ended; false while it runs or when that cannot be seen.
  virtual bool Ended() const = 0;
};

class ICompilePrograms {
 public:
  virtual ~ICompilePrograms() = default;
  // Starts file with parameters, hidden, without waiting; nullptr when it
  // could not be started.
  virtual std::unique_ptr<IRunningProgram> Start(const std::string& file, const std::string& parameters) = 0;
  // Hands a file to the shell's default action (the new setup, to test it).
  virtual void Open(const std::string& file) = 0;
};

// What the Build page shows and asks.
class ICompileView {
 public:
  virtual ~ICompileView() = default;
  // A run begins: Build disabled, the status emptied, the progress shown.
  virtual void RunStarting() = 0;
  // The hourglass while the compiler has said nothing yet.
  virtual void ShowBusy(bool busy) = 0;
  virtual void AppendStatus(const std::string& line) = 0;
  // The build is over: Build enabled again.
  virtual void BuildEnded() = 0;
  // A question with Yes and No; true for Yes.
  virtual bool Ask(const std::string& question) = 0;
  virtual void Fail(const std::string& message) = 0;
};

inline constexpr const char* kSuccessQuestion = "Build Successful, Would you like to test the installation now?";
inline constexpr const char* kFailureQuestion = "Build Failed, Please try it again.";
// The files a successful compile wrote, from its end record's text: full
// paths, the setup first, one a line; the setup alone when the text names
// none (a compiler that reports no list).
std::vector<std::string> FilesWritten(std::string_view endText, const std::string& setupFile);
// The question after a successful compile, naming those files.
std::string SuccessQuestion(const std::vector<std::string>& files);

// How often the session looks whether the compiler has ended.
inline constexpr uint32_t kCompilerWatchMs = 500;

class TCompileSession {
 public:
  TCompileSession(platform::IScheduler& scheduler, ICompilePrograms& programs, ICompileView& view)
      : scheduler_(scheduler), programs_(programs), view_(view) {}
  ~TCompileSession();
  TCompileSession(const TCompileSession&) = delete;
  TCompileSession& operator=(const TCompileSession&) = delete;

  // From a run's start until the compiler's end record (or its death).
  bool Running() const { return running_; }
  bool Busy() const { return busy_; }

  // Compiles the script in names.CompileDir with the compiler at
  // compilerPath (a full path; empty when unknown). Ignored while a build
  // runs: Next and Enter reach here while "Build" is disabled.
  void Start(const TBuildNames& names, const std::string& compilerPath);
  // A record the compiler sent: kStatusLineCode for a status line, any
  // other code its end (0 success, its text the files written). Records
  // outside a run are ignored.
  void Record(uint32_t code, std::string_view text);

 private:
  void Run();
  void End();
  void StopWatching();

  platform::IScheduler& scheduler_;
  ICompilePrograms& programs_;
  ICompileView& view_;
  // The names of the build, kept for a retry.
  TBuildNames names_;
  std::string compiler_;
  bool running_ = false;
  bool busy_ = false;
  // The running compiler, watched: one that ends without its end record
  // would otherwise leave the build running forever.
  std::unique_ptr<IRunningProgram> program_;
  uint32_t watch_ = 0;
};

}  // namespace vanta
