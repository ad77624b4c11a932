// What the builder window shows and stores, apart from its window.
//
// The window (ConfigFormP, Win32) keeps one TConfigControls, the unsaved
// state, and its pages move their slices of it in and out of their
// controls. Which control carries which setting, how the lists are filled,
// edited and written, and which list sections a close must rewrite are
// decided here, where native tests reach them. The window edits a copy:
// nothing reaches the settings record or its file until ApplyControls.
#pragma once
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/Maker.h"
#include "builder/EffectTreeRules.h"
#include "builder/MediaLists.h"
#include "platform/Shell.h"
#include "settings/SaverSettings.h"

namespace vanta {

// The sample panel of the caption font: the font as the settings hold it,
// on the background colour.
struct TFontSample {
  std::string Name;
  int32_t Size = 0;
  TColor Color = 0;
  bool Bold = false, Italic = false, Underline = false, Strikeout = false;
  TColor Background = 0;
  bool operator==(const TFontSample&) const = default;
};

// The states of the window's controls that carry settings. Names are the
// controls' names; a radio group is the index of its checked button.
struct TConfigControls {
  // Images and Music pages.
  TMediaList ImageList, MusicList;
  std::string PicturePath, MusicPath;  // where the Add dialogs open
  // Options page.
  TImageSizing SizeRadio = TImageSizing::Original;  // Original, Fit, Fill, Stretch
  bool RandomizeRadio = false; // else NormalizeRadio
  int32_t CaptionRadio = cpOff;  // Off, Below, Above, Bottom, Top, Fixed
  int32_t XSpin = 10, YSpin = 10;
  bool FilenameCheck = false, PathCheck = false, ExtensionCheck = false, AdditionalTextCheck = false;
  std::string ImageCaptionEdit;
  TFontSample FontLabel;
  bool PlayMusicCheck = false, RandomMusicCheck = false, LoopMusicCheck = false;
  TColor BackcolorCb = 0;
  int32_t IntervalEdit = 1;
  bool ReverseCheck = false, ClearOldCheck = false;
  bool MouseMoveCheck = false, MousePressCheck = false, KeyboardCheck = false;
  int32_t ScreensCombo = msOwnPicture;  // the index of kMultiScreenChoices
  int32_t MotionCombo = 0;              // the index of kPanZoomChoices
  // Effects page.
  TEffectSet EffectTicks;      // the effects ticked in the tree
  // The tree's unticked effects in tree order, as the "Transitions" section
  // lists them (number x 3 = 0); numbers above 127 and repeats included.
  std::vector<int32_t> UntickedEffects;
  int32_t SpeedScrollBar = 0;  // 0..4, the effect speed is 5 minus it
  // Build page.
  std::string AuthorEdit, WebsiteEdit;
  bool ShrinkCheck = true;        // "Make photos smaller for sharing"
  int32_t ShrinkSizeCombo = 0;    // kShrinkSizes' index
  std::string VersionEdit = "1.0";
  // Which list sections a save must rewrite (TChangedSection bits).
  uint8_t ChangedSections = 0;

  bool operator==(const TConfigControls&) const = default;
};

// The Options page's check boxes, each with the setting it carries: one
// table for both directions.
struct TOptionCheck {
  const char* Control;
  bool TConfigControls::*State;
  bool TSaverSetting::*Setting;
};
std::span<const TOptionCheck> OptionChecks();

inline constexpr int32_t kSpeedPositions = 5;  // scroll bar positions 0..4
// The speed scroll bar runs the other way round from the effect speed (1 is
// the fastest): position p is speed 5 - p.
constexpr int32_t EffectSpeedAt(int32_t position) {
  return kSpeedPositions - std::clamp(position, 0, kSpeedPositions - 1);
}
inline int32_t SpeedPositionOf(int32_t effectSpeed) {
  return kSpeedPositions - SettingRange(&TSaverSetting::EffectSpeed).Clamp(effectSpeed);
}
inline constexpr const char* kWebsitePrompt = "http://";

// The controls for the record and its file: every Options control from its
// setting, the lists filled from the file's sections (LocateMediaFile in
// folders), the author fields (an empty website shows "http://").
// ChangedSections starts empty.
TConfigControls LoadControls(const TSaverSetting& setting, TIniFile& ini, const TMediaFolders& folders);

// The controls into the record: every Options setting and the speed, and the
// lists and effect set whose bits are set in ChangedSections. With a file
// (WriteLists) the flagged list sections are also rewritten there; the
// record's own keys are left to TSettingsStore::Save. ChangedSections stays
// as it is: every later save rewrites the flagged sections again.
void ApplyControls(const TConfigControls& controls, TSaverSetting& setting, TIniFile* writeLists);

// The controls into the record for a preview, which runs on the unsaved
// settings and writes nothing. A preview can always be left: with every
// exit condition off, a key ends it (the saver itself keeps the setting).
void ApplyForPreview(const TConfigControls& controls, TSaverSetting& setting);

// Edits of the record that have no control of their own to live in: each
// marks the section a save must rewrite when it changed something, and
// says whether it did (the list's window then shows the list again).
TMediaList& ListOf(TConfigControls& c, TMediaKind kind);
// Files chosen in an Add dialog; the next dialog opens where they were.
bool AddToList(TConfigControls& c, TMediaKind kind, const std::vector<std::string>& chosen);
// A dropped folder brings its pictures as "Add Folder..." does; what the
// list's limit left out is said in `message`.
bool DropOnList(TConfigControls& c, TMediaKind kind, const std::vector<std::string>& dropped,
                std::string* message = nullptr);
// "Add Folder...": the folder's pictures (PicturesInFolder) appended.
bool AddFolderToList(TConfigControls& c, const std::string& folder, std::string& message);
// The picture list sorted; the one selected stays selected.
bool SortList(TConfigControls& c, TListOrder order);
bool RemoveFromList(TConfigControls& c, TMediaKind kind);
bool ClearMediaList(TConfigControls& c, TMediaKind kind);
bool MoveInList(TConfigControls& c, TMediaKind kind, int delta);
// The same on several selected entries (MediaLists' RemoveEntries, MoveEntries).
bool RemoveSeveralFromList(TConfigControls& c, TMediaKind kind, std::vector<int>& selected);
bool MoveSeveralInList(TConfigControls& c, TMediaKind kind, std::vector<int>& selected, int delta);
bool ToggleInList(TConfigControls& c, TMediaKind kind, int index);
// The background colour, which the caption font's sample is drawn on too.
void SetBackground(TConfigControls& c, TColor color);
// The effects as the tree gives them, once it knows its numbers; changed:
// a tick was turned, so the "Transitions" section must be rewritten.
void TakeEffectTree(TConfigControls& c, const TEffectTree& tree, bool changed);

// The caption position read back from the radio group (checked[i]: the
// button of position i): the checked one, else, with none checked (a
// position the group does not have), what the record was given.
int32_t CaptionRadioRead(std::span<const bool> checked, int32_t given);

// Whether leaving with `now` would lose something that `saved` (the
// controls as last loaded or written) does not hold. Which sections a save
// must rewrite, the selections, and the order the effect tree lists its
// unticked effects in are bookkeeping, not edits; the ticks count once one
// was turned (the "Transitions" bit), the lists and values always.
bool UnsavedChanges(const TConfigControls& now, const TConfigControls& saved);
inline constexpr const char* kSaveChangesPrompt = "Save changes?";

// The caption font's sample as the record gives it.
TFontSample FontSampleFor(const TSaverSetting& setting);

// The font dialog edits the sample's font; the sample keeps its background.
platform::TFontChoice FontChoiceOf(const TFontSample& sample);
TFontSample WithFont(TFontSample sample, const platform::TFontChoice& font);

// Page navigation of the side bar: Images, Music, Effects, Options, Build.
enum TBuilderPage : int32_t { bpImages, bpMusic, bpEffects, bpOptions, bpBuild, kBuilderPages };
TBuilderPage NextPage(TBuilderPage page);  // the "Next (n/5)" buttons; Build stays Build

// The Build page's notebook: 0 names the saver, 1 its author, 2 holds the
// readme, 3 shows the compiler's progress. "<< Back" works from every page
// but the first and goes from 3 straight back to 0; "Next >>" is enabled on
// 0..2 (on 3 the build decides) and on 2 and 3 starts a build.
inline constexpr int32_t kNotebookPages = 4;
inline constexpr int32_t kNotebookBuildPage = 3;
struct TNotebookButtons {
  bool Back = false;
  std::optional<bool> Next;  // nullopt: left as it is
  bool operator==(const TNotebookButtons&) const = default;
};
TNotebookButtons NotebookButtons(int32_t page);
bool NotebookNextBuilds(int32_t page);
int32_t NotebookNext(int32_t page);
int32_t NotebookBack(int32_t page);

inline constexpr const char* kHelpFileName = "help.chm";

// What the menu asks of the shell. Help opens help.chm of the install folder
// when it is there, else the web site; an unknown install folder (a lone
// delimiter) has no help file, as the root of a drive holds someone else's.
platform::TShellRequest HelpRequest(const std::string& installFolder);
platform::TShellRequest HomePageRequest();
platform::TShellRequest MailRequest();
// "Default Screensaver": the system makes the program its screensaver.
platform::TShellRequest DefaultSaverRequest(const std::string& programFile);

}  // namespace vanta
