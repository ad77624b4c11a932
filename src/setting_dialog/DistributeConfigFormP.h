// The "Setting" dialog of a built saver, TDistributeConfigForm (Win32).
//
// A saver built with the builder and asked to configure itself shows this
// small dialog instead of the builder: seven settings of the show, the readme
// its author shipped, and the author's name and web site. It is the process's
// main window in that mode. The window is made from the dialog templates in
// DistributeConfigFormP.rc; what each control shows and stores is decided
// in DistributeConfig.h, so this file only moves values in and out of
// controls and turns messages into the handlers below.
//
// The form edits a copy of the record it is given and hands the edited record
// back on OK; it never reads or writes the process's settings itself. The
// controls are placed in pixels of a 96-DPI design, scaled to the window's DPI.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "base/Maker.h"
#include "forms/ColorCombo.h"
#include "forms/Dialog.h"
#include "forms/LinkLabel.h"
#include "forms/PageHost.h"
#include "platform/Shell.h"
#include "setting_dialog/DistributeConfig.h"

namespace vanta {

// Asked on OK with the edited record while the dialog is still open. An
// exception it throws (a settings file that could not be written) is reported
// and keeps the dialog open, so nothing the user set is lost unseen.
using TSettingAccept = std::function<void(const TSaverSetting& edited)>;

class TDistributeConfigForm : private form::TDialogHandler {
 public:
  // Client area in pixels at 96 DPI; it grows with the DPI, not with the
  // system's font size.
  static constexpr int kClientWidth = 412;
  static constexpr int kClientHeight = 304;

  // setting: the record to edit; instanceName: the title; installFolder: where
  // the author's readme lies; shell: the colour dialog and the links (it
  // must outlive the form).
  TDistributeConfigForm(const TSaverSetting& setting, std::string instanceName, std::string installFolder,
                        platform::IShell& shell);
  ~TDistributeConfigForm();
  TDistributeConfigForm(const TDistributeConfigForm&) = delete;
  TDistributeConfigForm& operator=(const TDistributeConfigForm&) = delete;

  // Creates the window from its template the first time, loads the controls
  // (FormShow) and shows it, centred on the desktop.
  void Show();
  // Closes without storing anything, as the close box does.
  void Close();

  HWND Handle() const { return handle_; }
  // A control of the window or of one of its pages, by its resource number.
  HWND Control(int id) const;

  // The edited record once OK was accepted; nullopt until then (Cancel and
  // the close box give none).
  const std::optional<TSaverSetting>& Result() const { return result_; }

  TSettingAccept OnAccept;
  // Raised once the window is gone, however it was closed.
  std::function<void()> OnClose;
  // How a record that OnAccept refused is reported; the default shows the
  // message in a box.
  std::function<void(const std::string& message)> OnAcceptError;

  // Dialog keys; true when the message was taken. The message loop calls it first.
  bool PreTranslateMessage(MSG& msg);

  // Event handlers.
  void FormShow();
  void BtnOKClick();
  void Button1Click();
  void TextWebsiteClick(HWND label);

 private:
  // The pages hand their messages to the form.
  struct TPage : form::TDialogHandler {
    TDistributeConfigForm* owner = nullptr;
    INT_PTR HandleMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;
    INT_PTR EarlyMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;
  };
  INT_PTR InitDialog(HWND window) override;
  INT_PTR HandleMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;

  void CreateWindowFromTemplate();
  void InitWindow(HWND window);
  void LayOut();
  void CreateFonts();
  void SelectPage(int index);
  int Scaled(int pixels) const;

  TSettingControls ReadControls() const;
  void WriteControls(const TSettingControls& c);
  void WriteSpin(int editId, int spinId, const TSpinRange& range, int32_t value);
  int32_t ReadSpin(int editId, const TSpinRange& range) const;
  INT_PTR ColorStatic(HDC dc, HWND control) const;

  TSaverSetting setting_;
  std::string instanceName_;
  std::string installFolder_;
  platform::IShell& shell_;
  std::optional<TSaverSetting> result_;

  HWND handle_ = nullptr;
  static constexpr int kPages = 3;
  form::TTabPages pages_;  // TabSheet1..3
  std::array<TPage, kPages> pageHandlers_{};
  UINT dpi_ = 96;  // the window's, fixed when it is made
  TColorCombo backcolorCb_;
  form::TFont titleFont_, boldFont_, linkFont_;
};

// Runs the dialog on setting as the program's main window: the message loop
// ends, and with it the program, when the dialog closes. Returns the edited
// record after OK (once accept, if given, took it), nullopt after Cancel or
// the close box.
std::optional<TSaverSetting> RunDistributeConfigForm(const TSaverSetting& setting, const std::string& instanceName,
                                                     const std::string& installFolder, platform::IShell& shell,
                                                     const TSettingAccept& accept = {});

}  // namespace vanta
