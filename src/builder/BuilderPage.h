// A page of the builder window (Win32): one of the side bar's five, made
// from its dialog template at its first showing. A page owns its controls
// (and its sub-pages') and moves its slice of the window's one record in
// and out of them: Write shows the record, Read gives back what the
// controls hold. What has no control of its own to live in (the lists, the
// font, the colour, the effect ticks) a page edits in the record directly,
// through the rules of ConfigControls.h.
//
// Pages never reach each other: what one page does that others show goes
// to the frame as an event (IBuilderFrame), and the frame tells every page
// through the page's own interface (the background changed, a project was
// loaded, a record came from another program, a key was pressed).
#pragma once
#include <windows.h>

#include <array>
#include <span>
#include <string>
#include <vector>

#include "base/CompilerProtocol.h"
#include "base/Text.h"
#include "builder/ConfigControls.h"
#include "forms/Anchor.h"
#include "forms/Dialog.h"
#include "forms/FormLayout.h"
#include "platform/Registry.h"
#include "platform/Scheduler.h"
#include "platform/Shell.h"

namespace vanta {

class TMusicSet;

// Where the builder finds its help file and compiler, its own executable
// for "Default Screensaver", the user's folder it builds in, and where the
// project and setup dialogs start.
struct TBuilderPlaces {
  std::string InstallFolder;  // with its delimiter; empty when unknown
  std::string ProgramFile;
  std::string UserFolder;       // with its delimiter
  std::string DocumentsFolder;  // with its delimiter; empty: the system's choice
  std::string CompilerFolder;   // with its delimiter: never one a user's own value named

  std::string ProgramFolder() const { return ExtractFilePath(ProgramFile); }
  // Where a listed file not at its own path is looked for.
  TMediaFolders MediaFolders() const { return {ProgramFolder(), InstallFolder}; }
};

// What the builder's window and pages work with besides their records; each
// must outlive the window.
struct TBuilderSeams {
  platform::IScheduler& Scheduler;
  platform::IShell& Shell;
  platform::IRegistry& Registry;  // the full-screen preview's password setting
  TMusicSet& Music;
};

enum class TButtonIcon { Next, Back, Up, Down, kCount };

// What the pages are made in: the frame's window, its DPI, its hints and
// the buttons' icons; set once the window is made.
struct TPageHost {
  HWND Window = nullptr;
  UINT Dpi = 96;
  HWND Hints = nullptr;
  std::array<HICON, static_cast<size_t>(TButtonIcon::kCount)> Icons{};
  HICON Icon(TButtonIcon icon) const { return Icons[static_cast<size_t>(icon)]; }
};

struct TBuildInput;
struct TShrinkReport;

// What a page asks of the window that hosts it, and the events it raises.
class IBuilderFrame {
 public:
  virtual ~IBuilderFrame() = default;
  // The unsaved state: what pages not made yet show once made.
  virtual TConfigControls& Record() = 0;
  // The unsaved record the previews show, made afresh from the controls;
  // the drivers read it for as long as they run.
  virtual const TSaverSetting& PreviewRecord() = 0;
  // The record the window was opened on (or a loaded project's).
  virtual const TSaverSetting& Setting() const = 0;
  virtual const TBuilderPlaces& Places() const = 0;
  virtual const TPageHost& Host() const = 0;
  // Shows a failure: the error box over the window, or the window's OnError.
  virtual void Fail(const std::string& message) = 0;
  // The messages a page leaves to the window: its bottom bar, the cursor.
  virtual INT_PTR FrameMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) = 0;
  // A build's files: OK's commit (the controls into the working settings
  // file), then the settings copy, the readme and the script (WriteScript).
  virtual void WriteBuild(const TBuildInput& in, TShrinkReport* shrunk) = 0;

  // Events.
  // The record's background colour changed: every panel painted in it.
  virtual void BackgroundChanged() = 0;
  // The speed was moved: only the previews' record takes it (the file
  // gets it with a save).
  virtual void PreviewSpeedChanged(int32_t effectSpeed) = 0;
};

using form::kOnPage;
using form::TPlace;

// How a control of the page (kOnPage) or of a sub-page follows the page's
// growth when the window is sized; a control not named keeps its place.
struct TAnchor {
  int sub;
  int id;
  form::TAnchors anchors;
};

class TBuilderPageBase : protected form::TDialogHandler {
 public:
  // Pixels at 96 DPI: the pages stand beside the side bar.
  static constexpr int kSideBarWidth = 100;
  static constexpr int kPageWidth = 438;
  static constexpr int kClientHeight = 333;

  TBuilderPageBase(IBuilderFrame& frame, TBuilderPage page);
  ~TBuilderPageBase() override = default;
  TBuilderPageBase(const TBuilderPageBase&) = delete;
  TBuilderPageBase& operator=(const TBuilderPageBase&) = delete;

  // Makes the page (hidden) with its sub-pages, lays it out, sets it up
  // and shows the record's slice; nothing when it is made already.
  void Make();
  bool Made() const { return window_ != nullptr; }
  HWND Window() const { return window_; }
  // A control of the page or of its sub-pages; null while not made.
  HWND Find(int id) const;
  // The window was sized: the page takes width x height pixels beside the
  // side bar and its controls follow their anchors. Never below the
  // template's size: the window's minimum is that.
  void Resize(int width, int height);
  // The window's size has settled (the user let go of its frame, or it was
  // maximised or restored): what is costly to size follows now.
  virtual void Settled() {}

  // The record's slice into the controls; the controls into the slice.
  virtual void Write(const TConfigControls& c) = 0;
  virtual void Read(TConfigControls& c) const { (void)c; }
  // The window shows again (its FormShow): sub-pages back to the first.
  virtual void Reopened() {}
  // Each time the side bar selects the page.
  virtual void Selected() {}
  // Where the focus goes when the page is selected; null: where it was, or
  // the page's first control.
  virtual HWND FirstFocus() const { return nullptr; }
  // The window is going: what draws on the page or holds it goes first.
  virtual void Dropping() {}
  void Forget();  // the window is gone

  // What the frame tells every page made.
  // The record's background colour changed (IBuilderFrame::BackgroundChanged).
  virtual void BackgroundChanged() {}
  // A project was loaded into the working file; Write follows.
  virtual void ProjectLoaded() {}
  // A record another program sent the window (the compiler's status);
  // true when it was the page's.
  virtual bool Received(const COPYDATASTRUCT& data) {
    (void)data;
    return false;
  }
  // A key went down in control, from the message loop; true when taken.
  virtual bool KeyDown(HWND control, WPARAM key) {
    (void)control, (void)key;
    return false;
  }
  // The hourglass over the window while true.
  virtual bool Busy() const { return false; }

 protected:
  // The sub-pages' templates and window numbers, and the layout.
  virtual std::vector<std::pair<int, int>> SubPages() const { return {}; }
  virtual std::span<const TPlace> Layout() const = 0;
  virtual std::span<const TAnchor> Anchors() const { return {}; }
  // Whether the sub-pages stretch with the page (else they keep their place).
  virtual bool SubPagesGrow() const { return false; }
  // Whether the page has the bar with Next, Preview, OK and Cancel.
  virtual bool HasBottomBar() const { return true; }
  // After the layout: icons, hints, ranges; then Write(Record()).
  virtual void SetUp() {}
  // A command of the page's controls; true when it was the page's.
  virtual bool Command(int id, int code, HWND control) {
    (void)id, (void)code, (void)control;
    return false;
  }
  // Other messages of the page and its sub-pages.
  virtual INT_PTR PageMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    (void)window, (void)msg, (void)wp, (void)lp;
    return FALSE;
  }
  HWND Own(int id) const { return GetDlgItem(window_, id); }
  HWND Sub(size_t index) const { return index < subs_.size() ? subs_[index] : nullptr; }
  size_t SubCount() const { return subs_.size(); }
  int Scaled(int pixels) const;
  // The bottom bar of the first four pages: icon and hints.
  void SetUpBottomBar();
  // Answers an owner-drawn item: the dialog's result is TRUE.
  static INT_PTR Drawn(HWND window);

  IBuilderFrame& frame_;
  const TBuilderPage page_;

 private:
  INT_PTR HandleMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) final;
  HWND window_ = nullptr;
  std::vector<HWND> subs_;
  std::vector<RECT> subPlaces_;  // as SetUp placed them, in the template's size
};

// The bar at the foot of the Images, Music, Effects and Options pages.
std::span<const TPlace> BottomBarLayout();

}  // namespace vanta
