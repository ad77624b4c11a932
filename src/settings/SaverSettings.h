// The settings of a saver: the one record of the process and its file.
//
// The file is an INI file named after the instance, beside the executable.
// The show only reads the record; the builder and the "Setting" dialog
// change the record and write it back with SaveSaverSettings. Some key names
// carry old misspellings ("StetchImage", "AddtionalText") that existing
// files rely on.
#pragma once
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Types.h"
#include "settings/IniFile.h"

namespace vanta {

using TEffectSet = std::bitset<128>;

// Effects a fresh load enables: 1..127 but the rotations 119..122.
TEffectSet DefaultTransitions();

struct TSaverSetting {
  std::vector<std::string> Pictures;
  bool StretchImage = false;
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
  bool MouseMove = true;
  bool MousePress = true;
  bool KeyboardPress = true;

  bool operator==(const TSaverSetting&) const = default;
};

// The record of the process.
TSaverSetting& SaverSetting();
// ProgramFolder + InstanceName + ".002", as the last load computed it.
const std::string& SettingsFileName();
// The one INI object on the settings file, opened by the first load and kept
// (with that file name) for the life of the process. Throws before a load.
TIniFile& SettingsIni();

// Fixes the instance identity, then fills the record from the settings file
// (missing keys and values that do not convert give the defaults).
void LoadSaverSettings();
// Writes the scalar settings, not "Author", "Website" or the lists.
void SaveSaverSettings();
// True when the file is at path, in the program folder, or in the install
// folder's "sample" folder (the path then becomes that place).
bool LocateMediaFile(std::string& path);

// Forgets the record, the INI object and the identity.
void ResetSaverSettingsForTests();

namespace settings_keys {
inline constexpr const char* kSet = "Set";
inline constexpr const char* kCaption = "Caption";
inline constexpr const char* kPictures = "Pictures";
inline constexpr const char* kMusic = "Music";
inline constexpr const char* kTransitions = "Transitions";
inline constexpr const char* kSettingsExt = ".002";
}  // namespace settings_keys

}  // namespace vanta
