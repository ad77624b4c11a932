// The builder window, TVantaConfigForm (Win32): "Vanta Screensaver Builder",
// the five-page wizard in which a user collects pictures and music, chooses
// effects and options, and builds a screensaver of his own.
//
// The window is made from the dialog templates in ConfigFormP.rc and laid
// out from a table in pixels of a 96-DPI design scaled to the window's DPI.
// What each control shows and stores is decided in ConfigControls.h and
// MediaLists.h: the form only moves a TConfigControls in and out of its
// controls, and each handler is one call into those rules. The picture and
// music lists are kept as TMediaLists, which the two check-list boxes show.
//
// The form edits what it is given (a record and the settings file, read for
// the list sections) and never writes either. On OK, "Save and Exit" or the
// close box it hands the edited controls to its accept step while the window
// is still open; the caller applies and saves them, and a failure there is
// shown while the window stays open with nothing lost. Cancel and "Undo and
// Exit" end with nothing handed over.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "builder/BuildPipeline.h"
#include "builder/CheckListView.h"
#include "forms/ColorCombo.h"
#include "builder/CompileSession.h"
#include "builder/ConfigControls.h"
#include "builder/EffectTreeRules.h"
#include "builder/QELOLEDrop.h"
#include "builder/SideBar.h"
#include "platform/Shell.h"
#include "engine/Bitmap.h"

namespace vanta {

class TAboutForm;
class TFullscreenForm;
class TRunVantascreen;
namespace platform {
class TWin32SurfaceHost;
}

inline constexpr const char* kBuilderCaption = "Vanta Screensaver Builder";

// Where the builder finds its help file and compiler, its own executable
// for "Default Screensaver", the user's folder it builds in, and where the
// project and setup dialogs start.
struct TBuilderPlaces {
  std::string InstallFolder;  // with its delimiter; empty when unknown
  std::string ProgramFile;
  std::string UserFolder;       // with its delimiter
  std::string DocumentsFolder;  // with its delimiter; empty: the system's choice
};

// Asked on OK with the edited controls while the window is still open. What
// it throws (a settings file that could not be written) is shown, and the
// window stays open.
using TBuilderAccept = std::function<void(const TConfigControls& edited)>;

class TVantaConfigForm : private ICompileView, private ICompilePrograms {
 public:
  // Client area in pixels at 96 DPI.
  static constexpr int kClientWidth = 538;
  static constexpr int kClientHeight = 333;
  static constexpr int kSideBarWidth = 100;
  static constexpr UINT kHintPauseMs = 100;
  static constexpr TSpinRange kCaptionRange = SettingRange(&TSaverSetting::CaptionX);
  static constexpr TSpinRange kIntervalRange = SettingRange(&TSaverSetting::ImageInterval);

  // setting and ini must outlive the form; ini is only read (LoadControls,
  // and the build's settings copy after the commit through OnAccept).
  TVantaConfigForm(const TSaverSetting& setting, TIniFile& ini, TBuilderPlaces places);
  ~TVantaConfigForm();
  TVantaConfigForm(const TVantaConfigForm&) = delete;
  TVantaConfigForm& operator=(const TVantaConfigForm&) = delete;

  // Creates the window the first time (FormCreate), loads the controls
  // (FormShow) and shows it, centred on the desktop.
  void Show();
  HWND Handle() const { return handle_; }
  // A control of the window, of a page or of a sub-page, by its resource
  // number; the bottom bars' buttons are on each page: see PageControl.
  // Pages are made at their first showing; asking for a control of a page
  // not made yet makes it.
  HWND Control(int id) const;
  HWND Page(TBuilderPage page) const;
  bool PageMade(TBuilderPage page) const { return pages_[page] != nullptr; }
  HWND PageControl(TBuilderPage page, int id) const;
  HWND Hints() const { return hints_; }
  const TAboutForm* About() const { return about_.get(); }
  // The drop targets of the picture and the music list.
  TQELOLEDrop* QELOLEDrop1() const { return qelOLEDrop1_.get(); }
  TQELOLEDrop* QELOLEDrop2() const { return qelOLEDrop2_.get(); }
  // The thumbnail the picture panel shows (Image1); empty while blank.
  const TBitmap24& Image1() const { return thumbnail_; }
  // The full-screen preview's window, once it was first shown; and the
  // small preview's window in the picture panel, while it shows.
  HWND FullscreenWindow() const;
  HWND ImagePreviewWindow() const;
  // The Effects page's preview, once the page was first shown; the tree.
  TRunVantascreen* EffectPreviewRunner() const { return effectPreviewRunner_.get(); }
  // The unsaved record the previews show, as the last preview made it.
  const TSaverSetting& PreviewSetting() const { return preview_; }
  HWND EffectPreviewWindow() const;
  const TEffectTree& StyleTree() const { return styleTree_; }
  // Posted after a click or Space in the tree, when its tick has turned.
  static constexpr UINT kStyleCheckMessage = WM_APP + 30;
  // Posted by a drop on the picture list: the thumbnail (and the error box
  // of a picture that cannot be shown) after the drop has returned, so the
  // source's drag loop is never held up by the box.
  static constexpr UINT kDroppedPictureMessage = WM_APP + 31;

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
  // from it (LoadSaverSettings for the program's window).
  std::function<TSaverSetting()> OnLoadSettings;

  // Event handlers, by the names the design gives them.
  void FormCreate();
  void FormShow();
  void Exit1Click();             // OK, "Save and Exit", the close box
  void FlatSpeedButton10Click();  // Cancel, "Undo and Exit"
  void OutlookBarChange();
  void SpeedButton1Click();  // "Next (n/5)"
  void SpeedButton5Click();  // "Back (5/5)"
  void BuildandSend1Click();
  void Preview1Click();
  void PreviewB2Click();
  void SetAsDefaultScreenSaver1Click();
  void Help2Click();
  void HomePage1Click();
  void Email1Click();
  void About1Click();
  void FlatButton11Click();  // "Caption Font..."
  void BackcolorCbChange();
  void FlatButton1Click();   // Images: Add
  void FlatButton2Click();   // Remove
  void FlatButton3Click();   // Clear
  void FlatSpeedButton2Click();  // up
  void FlatSpeedButton1Click();  // down
  void ImageListClick();
  void ImageListClickCheck(int index);
  void FlatButton4Click();   // Music: Add
  void FlatButton5Click();   // Remove
  void FlatButton6Click();   // Clear
  void FlatSpeedButton6Click();  // up
  void FlatSpeedButton5Click();  // down
  void FlatSpeedButton7Click();  // Play, double click
  void FlatSpeedButton8Click();  // Stop
  void MusicListClick();
  void MusicListClickCheck(int index);
  void QELOLEDrop1DropFiles(TMyDragDrop& sender, const std::vector<std::string>& fileNames);
  void QELOLEDrop2DropFiles(TMyDragDrop& sender, const std::vector<std::string>& fileNames);
  void NextBClick();
  void BackBClick();
  void Notebook1PageChanged();
  // The Build page's build (ConfigFormBuild.cpp).
  void BuildBClick();
  void Button6Click();  // "Load From File..."
  bool NameEditKeyDown(HWND edit, WPARAM key);  // true when the key was taken
  void WMCopyData(const COPYDATASTRUCT& data);
  // Whether a compile runs: from its start until the compiler's end message.
  bool Compiling() const { return compile_ && compile_->Running(); }
  void SpeedScrollBarScroll();
  // The Effects page and the project menu (ConfigFormEffects.cpp).
  void StyleListClick();
  void StyleListChecked(TEffectNodeRef node, bool ticked);
  void FlatButton8Click();        // "Select All"
  void FlatButton7Click();        // "Disable All"
  void FlatSpeedButton11Click();  // "+"
  void FlatSpeedButton12Click();  // "-"
  void Save1Click();              // "Save Project" (F4)
  void SaveProject1Click();       // "Save Project As..." (F5)
  void LoadProject1Click();       // "Load Project" (F3)

 private:
  struct TCommand;
  static const TCommand kCommands[];
  static INT_PTR CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM);
  static INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM);
  INT_PTR HandleMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp);
  bool Command(int id, int code, HWND control);

  void CreateWindowFromTemplate();
  void InitWindow(HWND window);
  HWND CreatePage(int templateId, HWND parent, int windowId);
  HWND FindControl(int id) const;  // among the pages made, making none
  void MakePage(TBuilderPage page);
  void LayOutPage(TBuilderPage page);
  void SetUpPage(TBuilderPage page);
  void CreateWindowIcons();
  void CreateDropTargets();
  void SelectPage(TBuilderPage page);
  void SelectOptionsPage(int index);
  void SelectNotebookPage(int index);
  // The compile session's view and programs (ConfigFormBuild.cpp).
  void RunStarting() override;
  void ShowBusy(bool busy) override;
  void AppendStatus(const std::string& line) override;
  void BuildEnded() override;
  bool Ask(const std::string& question) override;
  void Fail(const std::string& message) override;
  std::unique_ptr<IRunningProgram> Start(const std::string& file, const std::string& parameters) override;
  void Open(const std::string& file) override;
  int Scaled(int pixels) const;

  void WriteControls(const TConfigControls& c);
  void WriteOptionsControls(const TConfigControls& c);
  void WriteEffectsControls(const TConfigControls& c);
  void WriteBuildControls(const TConfigControls& c);
  void ShowImageList();
  void ShowMusicList();
  void DrawThumbnail();
  void BlankThumbnail();
  void SetFontSample(const TFontSample& sample);
  void WriteSpin(int editId, int upDownId, const TSpinRange& range, int32_t value);
  int32_t ReadSpin(int editId, const TSpinRange& range) const;
  void EndWith(std::optional<TConfigControls> result);
  void HideImagePreview();
  void DropPreviews();  // and the drop targets: what must go before the window

  void PrepareEffectsPage();
  void CreateStyleList();
  void ShowStyleTicks();
  bool StyleListNotify(const NMHDR& n);
  void StyleCheckReported(LPARAM node);
  TEffectNodeRef StyleNode(LPARAM param) const;
  void Commit();
  const TSaverSetting& PreviewRecord();

  void DrawPanel(const DRAWITEMSTRUCT& item) const;
  void DrawFontSample(const DRAWITEMSTRUCT& item) const;

  TSaverSetting setting_;
  TIniFile& ini_;
  // The values last written to the controls: what the pages not made yet
  // show once made, and give back meanwhile.
  TConfigControls pending_;
  TBuilderPlaces places_;
  std::optional<TConfigControls> result_;
  // The lists, the font and what must be rewritten: the state the form keeps
  // beside its controls.
  TMediaList imageList_, musicList_;
  std::string picturePath_, musicPath_;
  TFontSample fontSample_;
  TEffectSet effectTicks_;
  std::vector<int32_t> untickedEffects_;
  std::string authorEdit_, websiteEdit_;
  uint8_t changedSections_ = 0;
  // Made at the first build, on the main scheduler.
  std::unique_ptr<TCompileSession> compile_;

  HWND handle_ = nullptr;
  std::array<HWND, kBuilderPages> pages_{};
  std::array<HWND, 4> optionsPages_{};
  std::array<HWND, kNotebookPages> notebookPages_{};
  int notebookPage_ = 0;
  UINT dpi_ = 96;
  HACCEL accelerators_ = nullptr;
  HWND hints_ = nullptr;
  HFONT sampleFont_ = nullptr;
  std::array<HICON, 6> icons_{};  // next, back, up, down, and the window's two
  TSideBar sideBar_;
  TCheckListView imageView_, musicView_;
  TColorCombo backcolorCb_;
  TBitmap24 thumbnail_;  // Image1's picture; empty while blank
  std::unique_ptr<TAboutForm> about_;
  // Revoked while their lists still exist: in WM_DESTROY.
  std::unique_ptr<TQELOLEDrop> qelOLEDrop1_, qelOLEDrop2_;
  // The unsaved record the previews show (PreviewRecord makes it afresh
  // from the controls); the drivers read it for as long as they run.
  TSaverSetting preview_;
  std::unique_ptr<TFullscreenForm> fullscreen_;
  std::unique_ptr<platform::TWin32SurfaceHost> imagePreviewHost_;
  std::unique_ptr<TRunVantascreen> imagePreviewRunner_;  // ImagePreviewRunner
  // The Effects page: the tree's model (Filled is its marker), the tree
  // items in tree order, the effect table opened on the first visit.
  TEffectTree styleTree_ = DesignEffectTree();
  bool styleNumbered_ = false;  // filled at least once: the numbers are known
  std::vector<void*> styleItems_;
  std::unique_ptr<TIniFile> effectTable_;
  std::unique_ptr<platform::TWin32SurfaceHost> effectPreviewHost_;
  std::unique_ptr<TRunVantascreen> effectPreviewRunner_;  // EffectPreviewRunner
};

// The resource number of the Options check box that carries the rules'
// check of that name (OptionChecks), or 0.
int OptionCheckControl(std::string_view name);

// Runs the builder on setting and its file as the program's main window:
// the message loop ends, and with it the program, when the window closes.
// Returns the edited controls after OK (once accept, if given, took them),
// nullopt after Cancel.
std::optional<TConfigControls> RunVantaConfigForm(const TSaverSetting& setting, TIniFile& ini,
                                                  const TBuilderPlaces& places, const TBuilderAccept& accept = {});

}  // namespace vanta
