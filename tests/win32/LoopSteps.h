// Acting on windows that the code under test shows and runs in its own
// message loop (a main window, a message box): a thread timer looks for each
// awaited window and, once it shows, acts on it from inside that loop.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <string>

#include "startup/Startup.h"
#include "startup/Win32StartupHost.h"

namespace vanta::test {

struct TWindowSearch {
  const std::function<bool(HWND)>* match;
  HWND found;
};

inline BOOL CALLBACK MatchWindow(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<TWindowSearch*>(p);
  if (!IsWindowVisible(w) || !(*s->match)(w)) return TRUE;
  s->found = w;
  return FALSE;
}

// The first visible top-level window of this thread that match accepts.
inline HWND FindThreadWindow(const std::function<bool(HWND)>& match) {
  TWindowSearch search{&match, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// One at a time per thread; a step still waiting when it is destroyed, or
// after kTimeoutMs, fails the test (the timeout also ends the loop, so that a
// window nobody closes cannot hang the run).
class TLoopSteps {
 public:
  static constexpr UINT kTickMs = 20;
  static constexpr DWORD kTimeoutMs = 20000;

  TLoopSteps() : started_(GetTickCount()) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, kTickMs, Tick);
  }
  ~TLoopSteps() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
    for (const TStep& s : steps_)
      if (!s.taken) ADD_FAILURE() << "no window for the step \"" << s.what << "\"";
  }
  TLoopSteps(const TLoopSteps&) = delete;
  TLoopSteps& operator=(const TLoopSteps&) = delete;

  // Once find gives a window, act runs on it, once.
  void Await(std::string what, std::function<HWND()> find, std::function<void(HWND)> act) {
    steps_.push_back({std::move(what), std::move(find), std::move(act)});
  }

 private:
  struct TStep {
    std::string what;
    std::function<HWND()> find;
    std::function<void(HWND)> act;
    bool taken = false;
  };

  // A step may open a nested loop (a message box) in which the timer ticks
  // again: steps are marked taken before they act, and the list only grows.
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TLoopSteps* self = current_;
    if (!self) return;
    for (TStep& s : self->steps_) {
      if (s.taken) continue;
      if (HWND w = s.find()) {
        s.taken = true;
        s.act(w);
      }
    }
    if (GetTickCount() - self->started_ > kTimeoutMs && !self->timedOut_) {
      self->timedOut_ = true;
      ADD_FAILURE() << "the steps took too long";
      PostQuitMessage(0);
    }
  }

  static inline thread_local TLoopSteps* current_ = nullptr;
  std::list<TStep> steps_;
  UINT_PTR timer_ = 0;
  DWORD started_;
  bool timedOut_ = false;
};

// The program's own start-up host, keeping hold of the settings start-up
// handed to the main window: the record lives while the window does, and
// its last state is kept after.
class TWatchedStartupHost final : public IStartupHost {
 public:
  explicit TWatchedStartupHost(const TProcessContext& process) : host_(process) {}
  TWindowHandle GetForegroundWindow() override { return host_.GetForegroundWindow(); }
  void SetForegroundWindow(TWindowHandle window) override { host_.SetForegroundWindow(window); }
  void ChangeSaverPassword(TWindowHandle parent) override { host_.ChangeSaverPassword(parent); }
  void RunMainWindow(TMainWindow window, const TCommandLine& cl, TSettingsStore& settings) override {
    live = &settings.Setting();
    host_.RunMainWindow(window, cl, settings);
    last = settings.Setting();
    live = nullptr;
  }

  TSaverSetting* live = nullptr;
  TSaverSetting last;

 private:
  TWin32StartupHost host_;
};

// Runs the real configure start-up ("/c") of the program process names, with
// the Win32 host, and acts on its main window from inside that window's loop
// once match finds it, the process's record in hand; returns the record as
// start-up left it.
inline TSaverSetting RunConfigureStartup(const TProcessContext& process, const std::string& what,
                                         const std::function<bool(HWND)>& match,
                                         const std::function<void(HWND, TLoopSteps&, TSaverSetting&)>& shown) {
  TWatchedStartupHost host(process);
  TLoopSteps loop;
  loop.Await(what, [match] { return FindThreadWindow(match); }, [&](HWND window) { shown(window, loop, *host.live); });
  RunStartup({"/c"}, host, {process.ExecutablePath, process.Registry, process.UserFolders});
  return host.last;
}

}  // namespace vanta::test
