#include "builder/ConfigControls.h"

#include <algorithm>
#include <array>
#include <string>

#include "base/Text.h"
#include "platform/Files.h"

namespace vanta {
namespace {

constexpr std::array<TOptionCheck, 12> kOptionChecks{{
    {"FilenameCheck", &TConfigControls::FilenameCheck, &TSaverSetting::IncludeFilename},
    {"PathCheck", &TConfigControls::PathCheck, &TSaverSetting::Filepath},
    {"ExtensionCheck", &TConfigControls::ExtensionCheck, &TSaverSetting::FileExt},
    {"AdditionalTextCheck", &TConfigControls::AdditionalTextCheck, &TSaverSetting::IncludeAdditionalText},
    {"PlayMusicCheck", &TConfigControls::PlayMusicCheck, &TSaverSetting::PlayMusic},
    {"RandomMusicCheck", &TConfigControls::RandomMusicCheck, &TSaverSetting::RandomMusic},
    {"LoopMusicCheck", &TConfigControls::LoopMusicCheck, &TSaverSetting::LoopMusic},
    {"ReverseCheck", &TConfigControls::ReverseCheck, &TSaverSetting::AllowReverseTransition},
    {"ClearOldCheck", &TConfigControls::ClearOldCheck, &TSaverSetting::ClearOldImage},
    {"MouseMoveCheck", &TConfigControls::MouseMoveCheck, &TSaverSetting::MouseMove},
    {"MousePressCheck", &TConfigControls::MousePressCheck, &TSaverSetting::MousePress},
    {"KeyboardCheck", &TConfigControls::KeyboardCheck, &TSaverSetting::KeyboardPress},
}};

// The "Transitions" section names the effects switched off, as key
// effect number * 3 with the value 0.
void WriteTransitions(TIniFile& ini, const std::vector<int32_t>& unticked) {
  std::vector<std::pair<std::string, std::string>> off;
  for (int32_t e : unticked) off.emplace_back(std::to_string(int64_t{e} * 3), "0");
  ini.ReplaceSection(settings_keys::kTransitions, off);
}

}  // namespace

std::span<const TOptionCheck> OptionChecks() { return kOptionChecks; }

bool UnsavedChanges(const TConfigControls& now, const TConfigControls& saved) {
  const auto edits = [](TConfigControls c) {
    c.ChangedSections = 0;
    c.UntickedEffects.clear();
    c.ImageList.Selected = c.MusicList.Selected = -1;
    return c;
  };
  TConfigControls a = edits(now);
  // The tree, once filled, may tick differently from the record without a
  // click; only a turned tick (its section flagged) is an edit.
  if (!(now.ChangedSections & csTransitions)) a.EffectTicks = saved.EffectTicks;
  return !(a == edits(saved));
}

TFontSample FontSampleFor(const TSaverSetting& s) {
  return {s.FontName, s.FontSize, s.FontColor, s.FontBold, s.FontItalic, s.FontUnderline, s.FontStrikeout,
          s.BackgroundColor};
}

TConfigControls LoadControls(const TSaverSetting& s, TIniFile& ini, const TMediaFolders& folders) {
  TConfigControls c;
  c.ImageList = FillMediaList(ini, settings_keys::kPictures, folders);
  c.MusicList = FillMediaList(ini, settings_keys::kMusic, folders);
  c.PicturePath = s.PicturePath;
  c.MusicPath = s.MusicPath;
  c.SizeRadio = ImageSizingOf(s);
  c.RandomizeRadio = s.RandomImage;
  // A position the radio group does not have leaves every button unchecked.
  c.CaptionRadio = s.CaptionPosition;
  c.XSpin = SettingRange(&TSaverSetting::CaptionX).Clamp(s.CaptionX);
  c.YSpin = SettingRange(&TSaverSetting::CaptionY).Clamp(s.CaptionY);
  for (const TOptionCheck& k : kOptionChecks) c.*k.State = s.*k.Setting;
  c.ImageCaptionEdit = s.AdditionalText;
  c.FontLabel = FontSampleFor(s);
  c.BackcolorCb = s.BackgroundColor;
  c.ScreensCombo = s.MultiScreen;
  c.MotionCombo = static_cast<int32_t>(s.PanZoom);
  c.IntervalEdit = SettingRange(&TSaverSetting::ImageInterval).Clamp(s.ImageInterval);
  // Until the tree is filled, the effects it would show unticked.
  c.EffectTicks = s.Transitions;
  for (int32_t e = 1; e <= 127; ++e)
    if (!s.Transitions.test(static_cast<size_t>(e))) c.UntickedEffects.push_back(e);
  c.SpeedScrollBar = SpeedPositionOf(s.EffectSpeed);
  c.AuthorEdit = s.Author;
  c.ShrinkCheck = s.ShrinkPhotos;
  c.ShrinkSizeCombo = SettingRange(&TSaverSetting::ShrinkSize).Clamp(s.ShrinkSize);
  c.WebsiteEdit = s.Website.empty() ? kWebsitePrompt : s.Website;
  c.VersionEdit = s.Version;
  return c;
}

void ApplyControls(const TConfigControls& c, TSaverSetting& s, TIniFile* writeLists) {
  const uint8_t changed = c.ChangedSections;
  if (writeLists) {
    TIniFile::TBatch batch(*writeLists);
    if (changed & csPictures) WriteMediaList(*writeLists, settings_keys::kPictures, c.ImageList);
    if (changed & csMusic) WriteMediaList(*writeLists, settings_keys::kMusic, c.MusicList);
    if (changed & csTransitions) WriteTransitions(*writeLists, c.UntickedEffects);
    // The setup's version lives in the builder's file (and so its projects) once it is changed.
    if (c.VersionEdit != s.Version) writeLists->WriteString(settings_keys::kSet, settings_keys::kVersion, c.VersionEdit);
  }
  if (changed & csPictures) s.Pictures = CheckedEntries(c.ImageList);
  if (changed & csMusic) s.Music = CheckedEntries(c.MusicList);
  if (changed & csTransitions) s.Transitions = c.EffectTicks;
  s.PicturePath = c.PicturePath;
  s.MusicPath = c.MusicPath;
  SetImageSizing(s, c.SizeRadio);
  s.RandomImage = c.RandomizeRadio;
  s.CaptionPosition = static_cast<TCaptionPosition>(c.CaptionRadio);
  s.CaptionX = c.XSpin;
  s.CaptionY = c.YSpin;
  for (const TOptionCheck& k : kOptionChecks) s.*k.Setting = c.*k.State;
  s.AdditionalText = c.ImageCaptionEdit;
  s.FontName = c.FontLabel.Name;
  s.FontSize = c.FontLabel.Size;
  s.FontColor = c.FontLabel.Color;
  s.FontBold = c.FontLabel.Bold;
  s.FontItalic = c.FontLabel.Italic;
  s.FontUnderline = c.FontLabel.Underline;
  s.FontStrikeout = c.FontLabel.Strikeout;
  s.BackgroundColor = c.BackcolorCb;
  s.ImageInterval = c.IntervalEdit;
  s.ShrinkPhotos = c.ShrinkCheck;
  s.ShrinkSize = c.ShrinkSizeCombo;
  s.EffectSpeed = EffectSpeedAt(c.SpeedScrollBar);
  s.MultiScreen = MultiScreenOf(c.ScreensCombo);
  s.Version = c.VersionEdit;
  s.PanZoom = PanZoomOf(c.MotionCombo);
}

TMediaList& ListOf(TConfigControls& c, TMediaKind kind) {
  return kind == TMediaKind::Pictures ? c.ImageList : c.MusicList;
}

namespace {
// Runs an edit of the kind's list and marks its section when it changed.
template <typename TEdit>
bool EditList(TConfigControls& c, TMediaKind kind, TEdit&& edit) {
  if (!edit(ListOf(c, kind))) return false;
  c.ChangedSections |= kind == TMediaKind::Pictures ? csPictures : csMusic;
  return true;
}
}  // namespace

bool AddToList(TConfigControls& c, TMediaKind kind, const std::vector<std::string>& chosen) {
  if (!EditList(c, kind, [&](TMediaList& l) { return AddChosenFiles(l, kind, chosen); })) return false;
  (kind == TMediaKind::Pictures ? c.PicturePath : c.MusicPath) = DialogFolderOf(chosen);
  return true;
}

bool DropOnList(TConfigControls& c, TMediaKind kind, const std::vector<std::string>& dropped, std::string* message) {
  std::vector<std::string> files;
  TMediaList withFolders = c.ImageList;  // what the list holds once the folders came in
  bool folders = false;
  for (const std::string& n : dropped) {
    if (kind != TMediaKind::Pictures || !platform::FolderExists(n)) {
      files.push_back(n);
      continue;
    }
    folders = true;
    const TFolderPictures found = PicturesInFolder(withFolders, n);
    for (const std::string& f : found.Files) withFolders.Items.push_back({f, true});
    if (message && found.LeftOut) *message = LeftOutText(found);
  }
  if (!folders) return EditList(c, kind, [&](TMediaList& l) { return DropFiles(l, kind, files); });
  // Folders bring what the loader reads (".jpeg" too); files still pass the drop filter.
  if (!files.empty()) DropFiles(withFolders, kind, files);
  return EditList(c, kind, [&](TMediaList& l) {
    const bool grew = withFolders.Items.size() != l.Items.size();
    l = std::move(withFolders);
    l.Selected = static_cast<int>(l.Items.size()) - 1;
    return grew || !files.empty();
  });
}

bool AddFolderToList(TConfigControls& c, const std::string& folder, std::string& message) {
  const TFolderPictures found = PicturesInFolder(c.ImageList, folder);
  message = LeftOutText(found);
  return AddToList(c, TMediaKind::Pictures, found.Files);
}

bool SortList(TConfigControls& c, TListOrder order) {
  return EditList(c, TMediaKind::Pictures, [order](TMediaList& l) {
    std::vector<int> selected;
    if (l.HasSelection()) selected.push_back(l.Selected);
    return SortEntries(l, selected, order, PictureDateTaken);
  });
}

bool RemoveFromList(TConfigControls& c, TMediaKind kind) { return EditList(c, kind, RemoveSelected); }
bool ClearMediaList(TConfigControls& c, TMediaKind kind) { return EditList(c, kind, ClearList); }

bool MoveInList(TConfigControls& c, TMediaKind kind, int delta) {
  return EditList(c, kind, [delta](TMediaList& l) { return MoveSelected(l, delta); });
}

bool RemoveSeveralFromList(TConfigControls& c, TMediaKind kind, std::vector<int>& selected) {
  return EditList(c, kind, [&](TMediaList& l) { return RemoveEntries(l, selected); });
}

bool MoveSeveralInList(TConfigControls& c, TMediaKind kind, std::vector<int>& selected, int delta) {
  return EditList(c, kind, [&](TMediaList& l) { return MoveEntries(l, selected, delta); });
}

bool ToggleInList(TConfigControls& c, TMediaKind kind, int index) {
  return EditList(c, kind, [index](TMediaList& l) { return ToggleChecked(l, index); });
}

void SetBackground(TConfigControls& c, TColor color) {
  c.BackcolorCb = color;
  c.FontLabel.Background = color;
}

void TakeEffectTree(TConfigControls& c, const TEffectTree& tree, bool changed) {
  c.EffectTicks = TickedEffects(tree);
  c.UntickedEffects = UntickedNumbers(tree);
  if (changed) c.ChangedSections |= csTransitions;
}

int32_t CaptionRadioRead(std::span<const bool> checked, int32_t given) {
  for (size_t i = 0; i < checked.size(); ++i)
    if (checked[i]) return static_cast<int32_t>(i);
  return given;
}

TBuilderPage NextPage(TBuilderPage page) {
  return static_cast<TBuilderPage>(std::min<int32_t>(page + 1, bpBuild));
}

void ApplyForPreview(const TConfigControls& c, TSaverSetting& s) {
  ApplyControls(c, s, nullptr);
  if (!s.MouseMove && !s.MousePress && !s.KeyboardPress) s.KeyboardPress = true;
}

platform::TFontChoice FontChoiceOf(const TFontSample& s) {
  return {s.Name, s.Size, s.Color, s.Bold, s.Italic, s.Underline, s.Strikeout};
}

TFontSample WithFont(TFontSample sample, const platform::TFontChoice& f) {
  sample.Name = f.Name;
  sample.Size = f.Size;
  sample.Color = f.Color;
  sample.Bold = f.Bold;
  sample.Italic = f.Italic;
  sample.Underline = f.Underline;
  sample.Strikeout = f.Strikeout;
  return sample;
}

TNotebookButtons NotebookButtons(int32_t page) {
  if (page >= kNotebookBuildPage) return {true, std::nullopt};
  return {page > 0, true};
}
bool NotebookNextBuilds(int32_t page) { return page >= 2; }
int32_t NotebookNext(int32_t page) { return std::clamp(page + 1, 0, 2); }
int32_t NotebookBack(int32_t page) { return page >= kNotebookBuildPage ? 0 : std::clamp(page - 1, 0, 2); }

platform::TShellRequest HelpRequest(const std::string& installFolder) {
  const bool known = !(installFolder.size() == 1 && IsPathDelimiter(installFolder[0])) && !installFolder.empty();
  const std::string help = installFolder + kHelpFileName;
  if (known && platform::FileExists(help)) return {"Open", help, "", ""};
  return HomePageRequest();
}

platform::TShellRequest HomePageRequest() { return {"", kMakerWebsite, "", ""}; }
platform::TShellRequest MailRequest() { return {"", std::string("mailto:") + kMakerEmail, "", ""}; }
platform::TShellRequest DefaultSaverRequest(const std::string& programFile) {
  return {"install", programFile, "", ""};
}

}  // namespace vanta
