#include "platform/win32/Win32Scheduler.h"

#include <exception>
#include <memory>
#include <stdexcept>

namespace vanta::platform {

namespace {

constexpr UINT kCallMessage = WM_APP + 1;  // lParam: TCall*, sent by a worker
constexpr UINT kPostMessage = WM_APP + 2;  // lParam: std::function<void()>*, posted
constexpr char kClassName[] = "VantaSchedulerWindow";

struct TCall {
  const std::function<void()>* fn;
  std::exception_ptr error;
};

class TWin32Thread : public IWorkerThread {
 public:
  TWin32Thread(std::function<void()> body, TThreadPriority priority) : body_(std::move(body)) {
    handle_ = CreateThread(nullptr, 0, &TWin32Thread::Entry, this, CREATE_SUSPENDED, nullptr);
    if (!handle_) throw std::runtime_error("cannot create a thread");
    SetThreadPriority(handle_, PlatformPriority(priority));
    ResumeThread(handle_);
  }
  ~TWin32Thread() override {
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
  }
  bool Finished() const override { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }
  HANDLE Handle() const { return handle_; }

 private:
  static DWORD WINAPI Entry(LPVOID self) {
    try {
      static_cast<TWin32Thread*>(self)->body_();
    } catch (...) {
      // A worker's failure ends the worker, nothing more.
    }
    return 0;
  }
  std::function<void()> body_;
  HANDLE handle_ = nullptr;
};

}  // namespace

uint64_t TWin32Scheduler::ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& f) { return (uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime; };
  return (ticks(kernel) + ticks(user)) / 10000;  // 100 ns units
}

uint32_t TWin32Scheduler::TickCount() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  // Milliseconds wrapping at 2^32, as the frame timing expects.
  return static_cast<uint32_t>(now.QuadPart / frequency * 1000 + now.QuadPart % frequency * 1000 / frequency);
}

TWin32Scheduler::TWin32Scheduler() : mainThread_(GetCurrentThreadId()) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TWin32Scheduler::WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);  // a second scheduler finds the class registered
  window_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  if (!window_) throw std::runtime_error("cannot create the scheduler window");
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWin32Scheduler::~TWin32Scheduler() {
  for (auto& [id, fn] : timers_) ::KillTimer(window_, id);
  // Posted calls that never ran are freed here.
  MSG msg;
  while (PeekMessageA(&msg, window_, kPostMessage, kPostMessage, PM_REMOVE))
    delete reinterpret_cast<std::function<void()>*>(msg.lParam);
  DestroyWindow(window_);
}

LRESULT CALLBACK TWin32Scheduler::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TWin32Scheduler*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case kCallMessage: {
      auto* call = reinterpret_cast<TCall*>(lp);
      try {
        (*call->fn)();
      } catch (...) {
        call->error = std::current_exception();
      }
      return 0;
    }
    case kPostMessage: {
      std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(lp));
      RunDroppingFailure(*fn);  // it cannot unwind through DispatchMessage either
      return 0;
    }
    case WM_TIMER:
      if (self) {
        auto it = self->timers_.find(wp);
        if (it != self->timers_.end()) {
          const std::function<void()> fn = it->second;  // the handler may kill its own timer
          RunDroppingFailure(fn);  // the tick is dropped, the timer keeps running
        }
      }
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void TWin32Scheduler::CallOnMain(const std::function<void()>& fn) {
  if (OnMainThread()) {
    fn();
    return;
  }
  TCall call{&fn, nullptr};
  SendMessageA(window_, kCallMessage, 0, reinterpret_cast<LPARAM>(&call));
  if (call.error) std::rethrow_exception(call.error);
}

std::unique_ptr<IWorkerThread> TWin32Scheduler::StartThread(std::function<void()> body, TThreadPriority priority) {
  return std::make_unique<TWin32Thread>(std::move(body), priority);
}

void TWin32Scheduler::WaitForThread(IWorkerThread& thread) {
  HANDLE h = static_cast<TWin32Thread&>(thread).Handle();
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return;
    if (r == WAIT_FAILED) {
      WaitForSingleObject(h, INFINITE);
      return;
    }
    // Delivers the messages sent to this thread's windows (the worker's
    // step requests) and nothing else.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

void TWin32Scheduler::ProcessMessages(uint32_t maxWaitMs) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) MsgWaitForMultipleObjects(0, nullptr, FALSE, maxWaitMs, QS_ALLINPUT);
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // left for the main loop
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void TWin32Scheduler::Post(std::function<void()> fn) {
  auto* heap = new std::function<void()>(std::move(fn));
  if (!PostMessageA(window_, kPostMessage, 0, reinterpret_cast<LPARAM>(heap))) delete heap;
}

uint32_t TWin32Scheduler::SetTimer(uint32_t intervalMs, std::function<void()> fn) {
  const UINT_PTR id = nextTimer_++;
  timers_[id] = std::move(fn);
  ::SetTimer(window_, id, intervalMs, nullptr);
  return static_cast<uint32_t>(id);
}

void TWin32Scheduler::KillTimer(uint32_t id) {
  ::KillTimer(window_, id);
  timers_.erase(id);
}

void RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace vanta::platform
