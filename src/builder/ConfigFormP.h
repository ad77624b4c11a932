// The builder window, TVantaConfigForm (Win32): "Vanta Screensaver Builder",
// the five-page wizard in which a user collects pictures and music, chooses
// effects and options, and builds a screensaver of his own.
//
// The window is a frame: the side bar, the menu and its keys, and the five
// pages (ImagesPage, MusicPage, EffectsPage, OptionsPage, BuildPage), each
// made from its dialog template at its first showing. The frame keeps the
// one unsaved record, a TConfigControls; each page moves its slice of it in
// and out of its controls, and what each control shows and stores is
// decided in ConfigControls.h and MediaLists.h.
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

#include "builder/BuildPage.h"
#include "builder/BuilderPage.h"
#include "builder/EffectsPage.h"
#include "builder/ImagesPage.h"
#include "builder/MusicPage.h"
#include "builder/OptionsPage.h"
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
  // A control of the window, of a page or of a sub-page, by its resource
  // number; the bottom bars' buttons are on each page: see PageControl.
  // Pages are made at their first showing; asking for a control of a page
  // not made yet makes it.
  HWND Control(int id);
  HWND Page(TBuilderPage page);
  bool PageMade(TBuilderPage page) const { return pages_[page]->Made(); }
  HWND PageControl(TBuilderPage page, int id);
  HWND Hints() const override { return hints_; }
  const TAboutForm* About() const { return about_.get(); }
  // The drop targets of the picture and the music list.
  TQELOLEDrop* QELOLEDrop1() const { return images_.DropTarget(); }
  TQELOLEDrop* QELOLEDrop2() const { return music_.DropTarget(); }
  // The thumbnail the picture panel shows (Image1); empty while blank.
  const TBitmap24& Image1() const { return images_.Thumbnail(); }
  // The full-screen preview's window, once it was first shown; and the
  // small preview's window in the picture panel, while it shows.
  HWND FullscreenWindow() const;
  HWND ImagePreviewWindow() const { return images_.PreviewWindow(); }
  // The Effects page's preview, once the page was first shown.
  TRunVantascreen* EffectPreviewRunner() const { return effects_.PreviewRunner(); }
  // The unsaved record the previews show, as the last preview made it.
  const TSaverSetting& PreviewSetting() const { return preview_; }
  HWND EffectPreviewWindow() const { return effects_.PreviewWindow(); }
  // Whether a compile runs: from its start until the compiler's end message.
  bool Compiling() const { return build_.Compiling(); }

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
  TSaverSetting& Preview() override { return preview_; }
  const TSaverSetting& Setting() const override { return setting_; }
  const TBuilderPlaces& Places() const override { return places_; }
  TIniFile& WorkingFile() override { return ini_; }
  HWND Window() const override { return handle_; }
  UINT Dpi() const override { return dpi_; }
  HICON ButtonIcon(TButtonIcon icon) const override { return icons_[static_cast<size_t>(icon)]; }
  HWND FindControl(int id) const override;
  void Fail(const std::string& message) override;
  void Commit() override;
  INT_PTR FrameMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;

  bool Command(int id, int code);
  void CreateWindowIcons();
  void SelectPage(TBuilderPage page);
  // The client area became width x height: the side bar and the pages follow.
  void Resized(int width, int height);
  void Settled();  // the size settled: the previews follow their panels
  void WriteControls(const TConfigControls& c);
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
  UINT dpi_ = 96;
  SIZE minimum_{};       // the window's size at its template's client size
  bool sizing_ = false;  // between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE
  HACCEL accelerators_ = nullptr;
  HWND hints_ = nullptr;
  std::array<HICON, 6> icons_{};  // next, back, up, down, and the window's two
  TSideBar sideBar_;
  TImagesPage images_{*this, seams_.Scheduler, seams_.Shell};
  TMusicPage music_{*this, seams_.Shell, seams_.Music};
  TEffectsPage effects_{*this, seams_.Scheduler};
  TOptionsPage options_{*this, seams_.Shell};
  TBuildPage build_{*this, seams_.Scheduler, seams_.Shell};
  const std::array<TBuilderPageBase*, kBuilderPages> pages_{&images_, &music_, &effects_, &options_, &build_};
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
