// The settings of a saver: its record and its file.
//
// The file is an INI file named after the instance, beside the executable.
// The show only reads the record; the builder and the "Setting" dialog
// change the record and write it back with TSettingsStore::Save.
//
// Each scalar field is stored under the one key that kSaverSettingKeys
// gives it; loading, saving and any other writer of the file go through
// that table, so a key name is written once. A field's default is its
// initialiser in TSaverSetting.
#pragma once
#include <bitset>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/SpinRange.h"
#include "base/Types.h"
#include "settings/IniFile.h"
#include "settings/InstanceIdentity.h"

namespace vanta {

namespace settings_keys {
inline constexpr const char* kSet = "Set";
inline constexpr const char* kCaption = "Caption";
inline constexpr const char* kPictures = "Pictures";
inline constexpr const char* kMusic = "Music";
inline constexpr const char* kTransitions = "Transitions";
inline constexpr const char* kSettingsExt = ".002";
// The Build page's author fields; the builder writes them into a saver's copy.
inline constexpr const char* kAuthor = "Author";
inline constexpr const char* kWebsite = "Website";
inline constexpr const char* kVersion = "Version";  // the setup's version
}  // namespace settings_keys

using TEffectSet = std::bitset<128>;

// Effects a fresh load enables: every effect but the rotations.
TEffectSet DefaultTransitions();

struct TSaverSetting {
  std::vector<std::string> Pictures;
  bool StretchImage = false;
  int32_t ImageFit = 0;  // TImageFit; 0 leaves the size to StretchImage
  bool RandomImage = true;
  bool AllowReverseTransition = false;
  bool ClearOldImage = false;
  int32_t ImageInterval = 3;
  TColor BackgroundColor = 0;
  std::string PicturePath;
  std::vector<std::string> Music;
  bool PlayMusic = true;
  bool RandomMusic = false;
  bool LoopMusic = false;
  std::string MusicPath;
  int32_t EffectSpeed = 3;
  TEffectSet Transitions = DefaultTransitions();
  std::string Author;
  std::string Website;
  std::string Version = "1.0";
  bool ForceHide = false;
  TCaptionPosition CaptionPosition = cpOff;
  int32_t CaptionX = 10;
  int32_t CaptionY = 10;
  bool IncludeFilename = true;
  bool Filepath = false;
  bool FileExt = false;
  bool IncludeAdditionalText = true;
  std::string AdditionalText;
  std::string FontName = "MS Sans Serif";
  int32_t FontSize = 9;
  TColor FontColor = 0xFFFFFF;
  bool FontBold = false;
  bool FontItalic = false;
  bool FontUnderline = false;
  bool FontStrikeout = false;
  // The Build page: "Make photos smaller for sharing", to kShrinkSizes[ShrinkSize].
  bool ShrinkPhotos = true;
  int32_t ShrinkSize = 0;
  bool MouseMove = true;
  bool MousePress = true;
  bool KeyboardPress = true;
  TMultiScreen MultiScreen = msOwnPicture;
  TPanZoom PanZoom = TPanZoom::Off;

  bool operator==(const TSaverSetting&) const = default;
};

// How the show sizes a picture. A value outside 0..2 reads as 0.
enum TImageFit : int32_t { ifByStretch = 0, ifFit = 1, ifFill = 2 };
// The one "Image Size" choice the builder and the "Setting" dialog offer,
// carried by StetchImage and ImageFit together.
enum class TImageSizing : int32_t { Original, Fit, Fill, Stretch };
inline constexpr const char* kImageSizingCaptions[] = {"Original size", "Fit to screen", "Fill the screen",
                                                       "Stretch to screen"};
TImageSizing ImageSizingOf(const TSaverSetting& s);
// Fit and Fill clear StretchImage, so an older saver shows them unscaled.
void SetImageSizing(TSaverSetting& s, TImageSizing sizing);
// What new projects and the builder's own settings start with.
inline constexpr TImageSizing kNewProjectSizing = TImageSizing::Fit;

// The field a key holds. Its type says how the value is stored: a Boolean
// as 1 or 0, an integer in decimal, a colour as its 32 bits in decimal
// (white 16777215, 0xFFFFFFFF as -1), a text as it is, the caption
// position, the several-screens choice and the motion as their numbers (read: a number
// out of their range is the first choice).
using TSettingField = std::variant<bool TSaverSetting::*, int32_t TSaverSetting::*, TColor TSaverSetting::*,
                                   std::string TSaverSetting::*, TCaptionPosition TSaverSetting::*,
                                   TMultiScreen TSaverSetting::*, TPanZoom TSaverSetting::*>;

enum class TKeyUse : uint8_t {
  LoadAndSave,
  LoadOnly,  // TSettingsStore::Save leaves it alone; the builder writes it itself
};

struct TSettingKey {
  std::string_view Section;
  std::string_view Name;  // as existing files spell it, old misspellings included
  TSettingField Field;
  TKeyUse Use = TKeyUse::LoadAndSave;
  // What the editors of an integer setting allow. Loading does not apply
  // it: a hand-edited value stands until someone edits it.
  TSpinRange Range = kAnyInteger;
};

// Every scalar key of the file, in the order TSettingsStore::Save writes them,
// which is the order they appear in a new file.
inline constexpr TSettingKey kSaverSettingKeys[] = {
    {settings_keys::kSet, "StetchImage", &TSaverSetting::StretchImage},
    {settings_keys::kSet, "ImageFit", &TSaverSetting::ImageFit, TKeyUse::LoadAndSave, {0, 2}},
    {settings_keys::kSet, "RandomImage", &TSaverSetting::RandomImage},
    {settings_keys::kSet, "AllowReverseTransition", &TSaverSetting::AllowReverseTransition},
    {settings_keys::kSet, "ClearOldImage", &TSaverSetting::ClearOldImage},
    {settings_keys::kSet, "PlayMusic", &TSaverSetting::PlayMusic},
    {settings_keys::kSet, "RandomMusic", &TSaverSetting::RandomMusic},
    {settings_keys::kSet, "LoopMusic", &TSaverSetting::LoopMusic},
    {settings_keys::kSet, "ImageInterval", &TSaverSetting::ImageInterval, TKeyUse::LoadAndSave, {1, 1000}},
    {settings_keys::kSet, "BackgroundColor", &TSaverSetting::BackgroundColor},
    {settings_keys::kSet, "EffectSpeed", &TSaverSetting::EffectSpeed, TKeyUse::LoadAndSave, {1, 5}},
    {settings_keys::kSet, "PicturePath", &TSaverSetting::PicturePath},
    {settings_keys::kSet, "MusicPath", &TSaverSetting::MusicPath},
    {settings_keys::kSet, settings_keys::kAuthor, &TSaverSetting::Author, TKeyUse::LoadOnly},
    {settings_keys::kSet, settings_keys::kWebsite, &TSaverSetting::Website, TKeyUse::LoadOnly},
    {settings_keys::kSet, settings_keys::kVersion, &TSaverSetting::Version, TKeyUse::LoadOnly},
    {settings_keys::kCaption, "ForceHide", &TSaverSetting::ForceHide},
    {settings_keys::kCaption, "Position", &TSaverSetting::CaptionPosition},
    {settings_keys::kCaption, "X", &TSaverSetting::CaptionX, TKeyUse::LoadAndSave, {0, 5000}},
    {settings_keys::kCaption, "Y", &TSaverSetting::CaptionY, TKeyUse::LoadAndSave, {0, 5000}},
    {settings_keys::kCaption, "IncludeFilename", &TSaverSetting::IncludeFilename},
    {settings_keys::kCaption, "Filepath", &TSaverSetting::Filepath},
    {settings_keys::kCaption, "FileExt", &TSaverSetting::FileExt},
    {settings_keys::kCaption, "IncludeAdditionalText", &TSaverSetting::IncludeAdditionalText},
    {settings_keys::kCaption, "AddtionalText", &TSaverSetting::AdditionalText},
    {settings_keys::kCaption, "FontName", &TSaverSetting::FontName},
    {settings_keys::kCaption, "FontSize", &TSaverSetting::FontSize},
    {settings_keys::kCaption, "FontColor", &TSaverSetting::FontColor},
    {settings_keys::kCaption, "FontBold", &TSaverSetting::FontBold},
    {settings_keys::kCaption, "FontItalic", &TSaverSetting::FontItalic},
    {settings_keys::kCaption, "FontUnderline", &TSaverSetting::FontUnderline},
    {settings_keys::kCaption, "FontStrikeout", &TSaverSetting::FontStrikeout},
    {settings_keys::kSet, "ShrinkPhotos", &TSaverSetting::ShrinkPhotos},
    {settings_keys::kSet, "ShrinkSize", &TSaverSetting::ShrinkSize, TKeyUse::LoadAndSave, {0, 1}},
    {settings_keys::kSet, "MouseMove", &TSaverSetting::MouseMove},
    {settings_keys::kSet, "MousePress", &TSaverSetting::MousePress},
    {settings_keys::kSet, "KeyboardPress", &TSaverSetting::KeyboardPress},
    {settings_keys::kSet, "MultiScreen", &TSaverSetting::MultiScreen},
    {settings_keys::kSet, "PanZoom", &TSaverSetting::PanZoom},
};

// The range of an integer setting, from the table.
constexpr TSpinRange SettingRange(int32_t TSaverSetting::*field) {
  for (const TSettingKey& k : kSaverSettingKeys) {
    const auto* f = std::get_if<int32_t TSaverSetting::*>(&k.Field);
    if (f && *f == field) return k.Range;
  }
  return kAnyInteger;
}

// The key's value into its field; a missing key, or a value that does not
// convert, gives the field's default.
void ReadSettingKey(TIniFile& ini, const TSettingKey& key, TSaverSetting& s);
// The field under its key.
void WriteSettingKey(TIniFile& ini, const TSettingKey& key, const TSaverSetting& s);

// Where a listed file may be found when it is not at its own path: beside
// the program, or in the install folder's "sample" folder.
struct TMediaFolders {
  std::string ProgramFolder;  // with its delimiter
  std::string InstallFolder;  // with its delimiter; empty when unknown
};
inline TMediaFolders MediaFoldersOf(const TInstanceIdentity& id) { return {id.ProgramFolder, id.InstallFolder}; }

// True when the file is at path, in the program folder, or in the install
// folder's "sample" folder (the path then becomes that place).
bool LocateMediaFile(const TMediaFolders& folders, std::string& path);

// The settings of one copy of the program: its record and its file. Start-up
// makes the one of the process and hands the record and the file down.
class TSettingsStore {
 public:
  explicit TSettingsStore(TInstanceIdentity identity);
  TSettingsStore(const TSettingsStore&) = delete;
  TSettingsStore& operator=(const TSettingsStore&) = delete;

  const TInstanceIdentity& Identity() const { return identity_; }
  TSaverSetting& Setting() { return setting_; }
  // The settings file this user's copy reads and writes: UserFolder +
  // InstanceName + ".002". While it does not exist, the installed file
  // beside the program (InstalledFileName) is read in its place; the first
  // save makes the user's copy, and deleting that copy brings the installed
  // settings back.
  const std::string& FileName() const { return ini_.FileName(); }
  std::string InstalledFileName() const;
  // The one INI object on the settings file.
  TIniFile& Ini() { return ini_; }

  // Fills the record from the settings file (missing keys and values that
  // do not convert give the defaults). The builder's first start copies the
  // installed file to the user's, as its projects are byte copies of a file
  // that must exist.
  void Load();
  // Writes the keys of kSaverSettingKeys that are not LoadOnly (so not
  // "Author" and "Website"), and not the lists, in one replacement of the file.
  void Save();

 private:
  TInstanceIdentity identity_;
  TSaverSetting setting_;
  TIniFile ini_;
};

}  // namespace vanta
