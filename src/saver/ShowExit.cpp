#include "saver/ShowExit.h"

namespace vanta {

void TShowExit::SetSaverRunning(bool on) {
  if (on == cursorHidden_) return;
  host_.SetScreenSaverRunning(on);
  host_.ShowCursor(!on);
  cursorHidden_ = on;
}

void TShowExit::MouseMoved() {
  if (!setting_.MouseMove) return;
  if (mouseMoveCount_ <= 0) TryClose();
  else --mouseMoveCount_;
}

void TShowExit::MouseButton() {
  if (setting_.MousePress) TryClose();
}

void TShowExit::KeyPressed() {
  if (setting_.KeyboardPress) TryClose();
}

bool TShowExit::TryClose() {
  if (parentWindow_ != 0) return false;
  bool close = true;
  try {
    const std::optional<int32_t> usePassword = host_.ScreenSaveUsePassword();
    if (usePassword && *usePassword != 0) {
      host_.ShowCursor(true);
      const std::optional<bool> accepted = host_.VerifyScreenSavePwd();
      close = !accepted || *accepted;
      mouseMoveCount_ = kTolerableMoves;
      host_.ShowCursor(false);
    }
  } catch (...) {
    close = true;  // a check that fails must not lock the user in
  }
  if (close) host_.CloseWindow();
  return close;
}

}  // namespace vanta
