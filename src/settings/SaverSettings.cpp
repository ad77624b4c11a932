#include "settings/SaverSettings.h"

#include <memory>

#include "base/Text.h"
#include "platform/Files.h"
#include "startup/Instance.h"

namespace vanta {
using namespace settings_keys;

namespace {
TSaverSetting gSetting;
std::string gSettingsFileName;
std::unique_ptr<TIniFile> gIni;

// Existing files of one list section, in file order; an entry whose value
// reads false stays in the file but not in the list.
std::vector<std::string> ReadMediaList(TIniFile& ini, const char* section) {
  std::vector<std::string> list;
  for (const std::string& key : ini.ReadSectionKeys(section)) {
    std::string path = key;
    if (LocateMediaFile(path) && ini.ReadBool(section, key, true)) list.push_back(std::move(path));
  }
  return list;
}

TEffectSet ReadTransitions(TIniFile& ini) {
  TEffectSet set = DefaultTransitions();
  // Keys name the effects switched off, as effect number * 3 with value 0.
  for (const std::string& key : ini.ReadSectionKeys(kTransitions)) {
    if (ini.ReadBool(kTransitions, key, false)) continue;
    const std::optional<int32_t> n = ParseDecimal32(key);
    if (!n) continue;
    const int32_t effect = *n / 3;
    if (effect >= 0 && effect <= 127) set.reset(static_cast<size_t>(effect));
  }
  return set;
}
}  // namespace

TEffectSet DefaultTransitions() {
  TEffectSet set;
  for (size_t e = 1; e <= 127; ++e)
    if (e < 119 || e > 122) set.set(e);
  return set;
}

TSaverSetting& SaverSetting() { return gSetting; }
const std::string& SettingsFileName() { return gSettingsFileName; }

TIniFile& SettingsIni() {
  if (!gIni) throw EIniFileError("The settings are not loaded yet.");
  return *gIni;
}

bool LocateMediaFile(std::string& path) {
  if (platform::FileExists(path)) return true;
  const std::string name = ExtractFileName(path);
  if (name.empty()) return false;
  const TInstanceIdentity& id = Instance();
  for (const std::string& candidate :
       {id.ProgramFolder + name, id.InstallFolder + "sample" + kPathDelim + name}) {
    if (platform::FileExists(candidate)) {
      path = candidate;
      return true;
    }
  }
  return false;
}

void LoadSaverSettings() {
  SetInstance(DetermineInstanceIdentity(InstanceExecutablePath()));
  gSettingsFileName = Instance().ProgramFolder + Instance().InstanceName + kSettingsExt;
  if (!gIni) gIni = std::make_unique<TIniFile>(gSettingsFileName);
  TIniFile& ini = *gIni;
  ini.Reload();  // a project may have been copied over the file since the last load

  TSaverSetting& s = gSetting;
  s.Pictures = ReadMediaList(ini, kPictures);
  s.Music = ReadMediaList(ini, kMusic);
  s.Transitions = ReadTransitions(ini);

  s.StretchImage = ini.ReadBool(kSet, "StetchImage", false);
  s.RandomImage = ini.ReadBool(kSet, "RandomImage", true);
  s.AllowReverseTransition = ini.ReadBool(kSet, "AllowReverseTransition", false);
  s.ClearOldImage = ini.ReadBool(kSet, "ClearOldImage", false);
  s.PlayMusic = ini.ReadBool(kSet, "PlayMusic", true);
  s.RandomMusic = ini.ReadBool(kSet, "RandomMusic", false);
  s.LoopMusic = ini.ReadBool(kSet, "LoopMusic", false);
  s.ImageInterval = ini.ReadInteger(kSet, "ImageInterval", 3);
  s.BackgroundColor = static_cast<TColor>(ini.ReadInteger(kSet, "BackgroundColor", 0));
  s.EffectSpeed = ini.ReadInteger(kSet, "EffectSpeed", 3);
  s.PicturePath = ini.ReadString(kSet, "PicturePath", "");
  s.MusicPath = ini.ReadString(kSet, "MusicPath", "");
  s.Author = ini.ReadString(kSet, "Author", "");
  s.Website = ini.ReadString(kSet, "Website", "");

  const int32_t position = ini.ReadInteger(kCaption, "Position", 0);
  s.CaptionPosition = position >= 1 && position <= 5 ? static_cast<TCaptionPosition>(position) : cpOff;
  s.ForceHide = ini.ReadBool(kCaption, "ForceHide", false);
  s.CaptionX = ini.ReadInteger(kCaption, "X", 10);
  s.CaptionY = ini.ReadInteger(kCaption, "Y", 10);
  s.IncludeFilename = ini.ReadBool(kCaption, "IncludeFilename", true);
  s.Filepath = ini.ReadBool(kCaption, "Filepath", false);
  s.FileExt = ini.ReadBool(kCaption, "FileExt", false);
  s.IncludeAdditionalText = ini.ReadBool(kCaption, "IncludeAdditionalText", true);
  s.AdditionalText = ini.ReadString(kCaption, "AddtionalText", "");
  s.FontName = ini.ReadString(kCaption, "FontName", "MS Sans Serif");
  s.FontSize = ini.ReadInteger(kCaption, "FontSize", 9);
  s.FontColor = static_cast<TColor>(ini.ReadInteger(kCaption, "FontColor", 0xFFFFFF));
  s.FontBold = ini.ReadBool(kCaption, "FontBold", false);
  s.FontItalic = ini.ReadBool(kCaption, "FontItalic", false);
  s.FontUnderline = ini.ReadBool(kCaption, "FontUnderline", false);
  s.FontStrikeout = ini.ReadBool(kCaption, "FontStrikeout", false);

  s.MouseMove = ini.ReadBool(kSet, "MouseMove", true);
  s.MousePress = ini.ReadBool(kSet, "MousePress", true);
  s.KeyboardPress = ini.ReadBool(kSet, "KeyboardPress", true);
}

void SaveSaverSettings() {
  TIniFile& ini = SettingsIni();
  const TSaverSetting& s = gSetting;
  TIniFile::TBatch batch(ini);  // one replacement of the file for all keys

  ini.WriteBool(kSet, "StetchImage", s.StretchImage);
  ini.WriteBool(kSet, "RandomImage", s.RandomImage);
  ini.WriteBool(kSet, "AllowReverseTransition", s.AllowReverseTransition);
  ini.WriteBool(kSet, "ClearOldImage", s.ClearOldImage);
  ini.WriteBool(kSet, "PlayMusic", s.PlayMusic);
  ini.WriteBool(kSet, "RandomMusic", s.RandomMusic);
  ini.WriteBool(kSet, "LoopMusic", s.LoopMusic);
  ini.WriteInteger(kSet, "ImageInterval", s.ImageInterval);
  ini.WriteInteger(kSet, "BackgroundColor", static_cast<int32_t>(s.BackgroundColor));
  ini.WriteInteger(kSet, "EffectSpeed", s.EffectSpeed);
  ini.WriteString(kSet, "PicturePath", s.PicturePath);
  ini.WriteString(kSet, "MusicPath", s.MusicPath);

  ini.WriteBool(kCaption, "ForceHide", s.ForceHide);
  ini.WriteInteger(kCaption, "Position", s.CaptionPosition);
  ini.WriteInteger(kCaption, "X", s.CaptionX);
  ini.WriteInteger(kCaption, "Y", s.CaptionY);
  ini.WriteBool(kCaption, "IncludeFilename", s.IncludeFilename);
  ini.WriteBool(kCaption, "Filepath", s.Filepath);
  ini.WriteBool(kCaption, "FileExt", s.FileExt);
  ini.WriteBool(kCaption, "IncludeAdditionalText", s.IncludeAdditionalText);
  ini.WriteString(kCaption, "AddtionalText", s.AdditionalText);
  ini.WriteString(kCaption, "FontName", s.FontName);
  ini.WriteInteger(kCaption, "FontSize", s.FontSize);
  ini.WriteInteger(kCaption, "FontColor", static_cast<int32_t>(s.FontColor));
  ini.WriteBool(kCaption, "FontBold", s.FontBold);
  ini.WriteBool(kCaption, "FontItalic", s.FontItalic);
  ini.WriteBool(kCaption, "FontUnderline", s.FontUnderline);
  ini.WriteBool(kCaption, "FontStrikeout", s.FontStrikeout);

  ini.WriteBool(kSet, "MouseMove", s.MouseMove);
  ini.WriteBool(kSet, "MousePress", s.MousePress);
  ini.WriteBool(kSet, "KeyboardPress", s.KeyboardPress);
}

void ResetSaverSettingsForTests() {
  gSetting = TSaverSetting{};
  gSettingsFileName.clear();
  gIni.reset();
  SetInstance({});
}

}  // namespace vanta
