// The builder's About box, TAboutForm (Win32): the program's name, its
// picture, its version and the maker's web site as a link.
//
// The builder makes it on first use and shows the same box again on every
// later use: closing only hides it. It is modal while shown: the builder
// waits, disabled, until "OK" or the close box.
#pragma once
#include <windows.h>

#include <string>

#include "forms/Dialog.h"
#include "forms/LinkLabel.h"
#include "platform/Shell.h"

namespace vanta {

inline constexpr const char* kBuilderVersion = "Version  2.0";

class TAboutForm : private form::TDialogHandler {
 public:
  // Client area in pixels at 96 DPI.
  static constexpr int kClientWidth = 382;
  static constexpr int kClientHeight = 210;

  // shell opens the link; it must outlive the form.
  TAboutForm(std::string website, platform::IShell& shell);
  ~TAboutForm();
  TAboutForm(const TAboutForm&) = delete;
  TAboutForm& operator=(const TAboutForm&) = delete;

  // Creates the box the first time, centres it and runs it modally over
  // owner until it is closed.
  void ShowModal(HWND owner);
  HWND Handle() const { return handle_; }
  HWND Control(int id) const { return handle_ ? GetDlgItem(handle_, id) : nullptr; }
  HWND Hints() const { return hints_; }

  // Event handlers.
  void TextWebsiteClick();  // opens the address the link's hint holds
  void BtnOKClick();

 private:
  INT_PTR InitDialog(HWND window) override;
  INT_PTR HandleMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;
  void DrawPicture(const DRAWITEMSTRUCT& item) const;

  std::string website_;
  platform::IShell& shell_;
  HWND handle_ = nullptr;
  HWND hints_ = nullptr;
  UINT dpi_ = 96;
  form::TFont titleFont_, linkFont_;
  HICON logo_ = nullptr;
  bool open_ = false;
};

}  // namespace vanta
