// The builder window, TVantaConfigForm (Win32): "Vanta Screensaver Builder",
// the five-page wizard in which a user collects pictures and music, chooses
// effects and options, and builds a screensaver of his own.
//
// The window is a frame: the side bar, the menu and its keys, and the five
// pages (BuilderPages.h), each made from its dialog template at its first
// showing. The frame keeps the one unsaved record, a TConfigControls; each
// page moves its slice of it in and out of its controls, and what each
// control shows and stores is decided in ConfigControls.h and MediaLists.h.
// The frame knows the pages only through their common interface, and the
// pages know the frame only as IBuilderFrame.
//
// The form edits what it is given (a record and the settings file, read for
// the list sections) and never writes either itself. On OK, "Save and Exit"
// or the close box it hands the edited controls to its accept step while
// the window is still open; the caller applies and saves them, and a
// failure there is shown while the window stays open with nothing lost.
// Cancel and "Undo and Exit" end with nothing handed over, after asking
// "Save changes?" when the controls differ from what was last loaded or
// written (Yes then accepts as OK does, Cancel stays). Projects go
// through ProjectFiles, whose errors the window shows.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "builder/BuilderPage.h"
#include "builder/BuilderPages.h"
#include "builder/SideBar.h"
#include "forms/Dialog.h"

namespace vanta {

class TAboutForm;
class TFullscreenForm;

// Asked on OK with the edited controls while the window is still open. What
// it throws (a settings file that could not be written) is shown, and the
// window stays open.
using TBuilderAccept = std::function<void(const TConfigControls& edited)>;

class TVantaConfigForm final : private form::TDialogHandler, private IBuilderFrame {
 public:
  // Client area in pixels at 96 DPI.
  static constexpr int kClientWidth = 538;
  static constexpr int kClientHeight = TBuilderPageBase::kClientHeight;
  static constexpr UINT kHintPauseMs = 100;

  // setting and ini must outlive the form; ini is only read (LoadControls,
  // and the build's settings copy after the commit through OnAccept).
  TVantaConfigForm(const TSaverSetting& setting, TIniFile& ini, TBuilderPlaces places, const TBuilderSeams& seams);
  ~TVantaConfigForm() override;
  TVantaConfigForm(const TVantaConfigForm&) = delete;
  TVantaConfigForm& operator=(const TVantaConfigForm&) = delete;

  // Creates the window the first time, loads the controls (FormShow) and
  // shows it, centred on the desktop.
  void Show();
  HWND Handle() const { return handle_; }
  HWND Hints() const { return host_.Hints; }
  // The pages; each made at its first showing (or by its Make).
  TBuilderPages& Pages() { return pages_; }
  const TBuilderPages& Pages() const { return pages_; }
  const TAboutForm* About() const { return about_.get(); }
  // The full-screen preview's window, once it was first shown.
  HWND FullscreenWindow() const;
  // The unsaved record the previews show, as the last preview made it.
  const TSaverSetting& PreviewSetting() const { return preview_; }

  // The controls as they stand (lists included).
  TConfigControls ReadControls() const;
  // The edited controls once OK was accepted; nullopt until then.
  const std::optional<TConfigControls>& Result() const { return result_; }

  // Keys of the main menu (accelerators) and the dialog keys; true when the
  // message was taken. The message loop calls it first.
  bool PreTranslateMessage(MSG& msg);

  TBuilderAccept OnAccept;
  // Raised once the window is gone, however it was closed.
  std::function<void()> OnClose;
  // How errors are shown: a refused OK, a picture that cannot be shown. The
  // default is the error box over the window.
  std::function<void(const std::string& message)> OnError;
  // After "Load Project" replaced the settings file: the record read again
  // from it (the settings store's Load for the program's window).
  std::function<TSaverSetting()> OnLoadSettings;

 private:
  struct TCommand;
  static const TCommand kCommands[];

  // The dialog and the frame the pages see.
  INT_PTR InitDialog(HWND window) override;
  INT_PTR HandleMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;
  TConfigControls& Record() override { return record_; }
  const TSaverSetting& PreviewRecord() override;
  const TSaverSetting& Setting() const override { return setting_; }
  const TBuilderPlaces& Places() const override { return places_; }
  const TPageHost& Host() const override { return host_; }
  void Fail(const std::string& message) override;
  INT_PTR FrameMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;
  void WriteBuild(const TBuildInput& in, TShrinkReport* shrunk) override;
  void BackgroundChanged() override;
  void PreviewSpeedChanged(int32_t effectSpeed) override;

  bool Command(int id, int code);
  void CreateWindowIcons();
  void SelectPage(TBuilderPage page);
  // The client area became width x height: the side bar and the pages follow.
  void Resized(int width, int height);
  void Settled();  // the size settled: the previews follow their panels
  void WriteControls(const TConfigControls& c);
  void Commit();  // OK's: the controls through OnAccept into the working file
  void EndWith(std::optional<TConfigControls> result);
  void DropPreviews();  // and the drop targets: what must go before the window

  // Event handlers, by the names the design gives them.
  void FormShow();
  void Exit1Click();             // OK, "Save and Exit", the close box
  void FlatSpeedButton10Click();  // Cancel, "Undo and Exit"
  void OutlookBarChange();
  void SpeedButton1Click();  // "Next (n/5)"
  void SpeedButton5Click();  // "Back (5/5)"
  void BuildandSend1Click();
  void Preview1Click();
  void SetAsDefaultScreenSaver1Click();
  void Help2Click();
  void HomePage1Click();
  void Email1Click();
  void About1Click();
  void Save1Click();         // "Save Project" (F4)
  void SaveProject1Click();  // "Save Project As..." (F5)
  void LoadProject1Click();  // "Load Project" (F3)
  void OfferToFindMissing();   // after a load: says what is missing, looks in a folder

  TSaverSetting setting_;
  TIniFile& ini_;
  // The unsaved state: what the pages edit and show.
  TConfigControls record_;
  // The controls as last loaded or written: Cancel asks before losing more.
  TConfigControls saved_;
  TBuilderPlaces places_;
  TBuilderSeams seams_;
  std::optional<TConfigControls> result_;

  HWND handle_ = nullptr;
  TPageHost host_;       // the window, its DPI, hints and the buttons' icons
  SIZE minimum_{};       // the window's size at its template's client size
  bool sizing_ = false;  // between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE
  HACCEL accelerators_ = nullptr;
  std::array<HICON, 2> windowIcons_{};  // large and small
  TSideBar sideBar_;
  TBuilderPages pages_{*this, seams_};
  std::unique_ptr<TAboutForm> about_;
  // The unsaved record the previews show (PreviewRecord makes it afresh
  // from the controls); the drivers read it for as long as they run.
  TSaverSetting preview_;
  std::unique_ptr<TFullscreenForm> fullscreen_;
};

// Runs the builder on the settings' record and file as the program's main
// window: the message loop ends, and with it the program, when the window
// closes. Returns the edited controls after OK (once accept, if given, took
// it), nullopt after Cancel.
std::optional<TConfigControls> RunVantaConfigForm(TSettingsStore& settings, const TBuilderPlaces& places,
                                                  const TBuilderSeams& seams, const TBuilderAccept& accept = {});

}  // namespace vanta
