// When a running show ends: the exit rules of the full-screen window, apart
// from the window. Mouse movement ends the show only at the seventh move
// within one tick of the 2-second mouse timer (a jittery mouse must not end
// it); buttons and keys end it at once; each only as the settings allow. With
// password protection on, the system's password dialog decides, and a refused
// password keeps the show running with the cursor hidden again.
#pragma once
#include <cstdint>
#include <optional>

#include "base/Types.h"
#include "settings/SaverSettings.h"

namespace vanta {

class ISaverHost {
 public:
  virtual ~ISaverHost() = default;
  // Tells the system whether a screensaver runs.
  virtual void SetScreenSaverRunning(bool running) = 0;
  virtual void ShowCursor(bool show) = 0;
  // "ScreenSaveUsePassword" under "Control Panel\desktop" as a 32-bit
  // integer; nullopt when the key or value is missing or of another type.
  virtual std::optional<int32_t> ScreenSaveUsePassword() = 0;
  // The system's password check; nullopt when it is not to be had.
  virtual std::optional<bool> VerifyScreenSavePwd() = 0;
  virtual void CloseWindow() = 0;
};

class TShowExit {
 public:
  static constexpr int kTolerableMoves = 6;
  static constexpr uint32_t kMouseTimerMs = 2000;
  static constexpr uint32_t kScScreenSave = 0xF140;

  // setting (which inputs end the show) must outlive the rules.
  TShowExit(ISaverHost& host, TWindowHandle parentWindow, const TSaverSetting& setting)
      : host_(host), parentWindow_(parentWindow), setting_(setting) {}

  // On: the system is told a saver runs and the cursor hides. Off undoes
  // exactly what On did, so the cursor count is back where it was.
  void SetSaverRunning(bool on);
  bool SaverRunning() const { return cursorHidden_; }

  void MouseMoved();
  void MouseButton();  // pressed or released
  void KeyPressed();   // system keys (Alt combinations) too
  void MouseTimerTick() { mouseMoveCount_ = kTolerableMoves; }
  // True when the system command is the request to start a screensaver,
  // which is refused while this one runs.
  static bool RefusesSystemCommand(uint32_t command) { return (command & 0xFFF0) == kScScreenSave; }

  // Ends the show unless the password check refuses; true when it closed.
  bool TryClose();

  int MouseMoveCount() const { return mouseMoveCount_; }

 private:
  ISaverHost& host_;
  TWindowHandle parentWindow_;
  const TSaverSetting& setting_;
  int mouseMoveCount_ = kTolerableMoves;
  bool cursorHidden_ = false;
};

}  // namespace vanta
