#include "settings/SaverSettings.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "base/EffectFamilies.h"
#include "base/Text.h"
#include "platform/Files.h"

namespace vanta {
using namespace settings_keys;

namespace {

// Existing files of one list section, in file order; an entry whose value
// reads false stays in the file but not in the list.
std::vector<std::string> ReadMediaList(TIniFile& ini, const char* section, const TMediaFolders& folders) {
  std::vector<std::string> list;
  for (const std::string& key : ini.ReadSectionKeys(section)) {
    std::string path = key;
    if (LocateMediaFile(folders, path) && ini.ReadBool(section, key, true)) list.push_back(std::move(path));
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

// Names compare without regard to ASCII letter case, as in the file.
constexpr bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

constexpr bool EachKeyAndFieldOnce() {
  const auto& keys = kSaverSettingKeys;
  for (size_t i = 0; i < std::size(keys); ++i)
    for (size_t j = i + 1; j < std::size(keys); ++j)
      if ((SameName(keys[i].Section, keys[j].Section) && SameName(keys[i].Name, keys[j].Name)) ||
          keys[i].Field == keys[j].Field)
        return false;
  return true;
}
static_assert(EachKeyAndFieldOnce(), "two keys of the settings table share a name or a field");

const TSaverSetting& Defaults() {
  static const TSaverSetting defaults;
  return defaults;
}

// How each type of field is read and written.
bool ReadValue(TIniFile& ini, const TSettingKey& k, bool def) { return ini.ReadBool(k.Section, k.Name, def); }
int32_t ReadValue(TIniFile& ini, const TSettingKey& k, int32_t def) { return ini.ReadInteger(k.Section, k.Name, def); }
TColor ReadValue(TIniFile& ini, const TSettingKey& k, TColor def) {
  return static_cast<TColor>(ini.ReadInteger(k.Section, k.Name, static_cast<int32_t>(def)));
}
std::string ReadValue(TIniFile& ini, const TSettingKey& k, const std::string& def) {
  return ini.ReadString(k.Section, k.Name, def);
}
TCaptionPosition ReadValue(TIniFile& ini, const TSettingKey& k, TCaptionPosition def) {
  const int32_t n = ini.ReadInteger(k.Section, k.Name, def);
  return n >= cpBelowImage && n <= cpFixed ? static_cast<TCaptionPosition>(n) : cpOff;
}
TMultiScreen ReadValue(TIniFile& ini, const TSettingKey& k, TMultiScreen def) {
  return MultiScreenOf(ini.ReadInteger(k.Section, k.Name, def));
}
TPanZoom ReadValue(TIniFile& ini, const TSettingKey& k, TPanZoom def) {
  return PanZoomOf(ini.ReadInteger(k.Section, k.Name, static_cast<int32_t>(def)));
}

void WriteValue(TIniFile& ini, const TSettingKey& k, bool v) { ini.WriteBool(k.Section, k.Name, v); }
void WriteValue(TIniFile& ini, const TSettingKey& k, int32_t v) { ini.WriteInteger(k.Section, k.Name, v); }
void WriteValue(TIniFile& ini, const TSettingKey& k, TColor v) {
  ini.WriteInteger(k.Section, k.Name, static_cast<int32_t>(v));
}
void WriteValue(TIniFile& ini, const TSettingKey& k, const std::string& v) { ini.WriteString(k.Section, k.Name, v); }
void WriteValue(TIniFile& ini, const TSettingKey& k, TCaptionPosition v) { ini.WriteInteger(k.Section, k.Name, v); }
void WriteValue(TIniFile& ini, const TSettingKey& k, TMultiScreen v) { ini.WriteInteger(k.Section, k.Name, v); }
void WriteValue(TIniFile& ini, const TSettingKey& k, TPanZoom v) {
  ini.WriteInteger(k.Section, k.Name, static_cast<int32_t>(v));
}
}  // namespace

TEffectSet DefaultTransitions() {
  TEffectSet set;
  for (int e = 1; e <= kLastEffect; ++e)
    if (FamilyOf(e) != TEffectFamily::Rotations) set.set(static_cast<size_t>(e));
  return set;
}

void ReadSettingKey(TIniFile& ini, const TSettingKey& key, TSaverSetting& s) {
  std::visit([&](auto field) { s.*field = ReadValue(ini, key, Defaults().*field); }, key.Field);
}

void WriteSettingKey(TIniFile& ini, const TSettingKey& key, const TSaverSetting& s) {
  std::visit([&](auto field) { WriteValue(ini, key, s.*field); }, key.Field);
}

bool LocateMediaFile(const TMediaFolders& folders, std::string& path) {
  if (platform::FileExists(path)) return true;
  const std::string name = ExtractFileName(path);
  if (name.empty()) return false;
  for (const std::string& candidate :
       {folders.ProgramFolder + name,
        folders.InstallFolder.empty() ? "" : folders.InstallFolder + "sample" + kPathDelim + name}) {
    if (platform::FileExists(candidate)) {
      path = candidate;
      return true;
    }
  }
  return false;
}

TSettingsStore::TSettingsStore(TInstanceIdentity identity)
    : identity_(std::move(identity)),
      ini_(identity_.UserFolder + identity_.InstanceName + kSettingsExt, InstalledFileName()) {}

std::string TSettingsStore::InstalledFileName() const {
  return identity_.ProgramFolder + identity_.InstanceName + kSettingsExt;
}

void TSettingsStore::Load() {
  const std::string installed = InstalledFileName();
  if (IsBuilderInstance(identity_.InstanceName) && installed != FileName() && !platform::FileExists(FileName())) {
    // A failed copy is no error: the installed file is then read in its place.
    std::string text;
    if (platform::ReadWholeFile(installed, text, TIniFile::kMaxFileBytes) == platform::TReadResult::Ok &&
        platform::CreateFolders(identity_.UserFolder))
      platform::WriteFileAtomically(FileName(), text);
  }
  TIniFile& ini = ini_;
  ini.Reload();  // a project may have been copied over the file since the last load

  TSaverSetting& s = setting_;
  s.Pictures = ReadMediaList(ini, kPictures, MediaFoldersOf(identity_));
  s.Music = ReadMediaList(ini, kMusic, MediaFoldersOf(identity_));
  s.Transitions = ReadTransitions(ini);

  for (const TSettingKey& key : kSaverSettingKeys) ReadSettingKey(ini, key, s);
  // A builder with no settings of its own yet starts with whole pictures;
  // any existing file keeps what its keys say.
  if (IsBuilderInstance(identity_.InstanceName) && !ini.SectionExists(kSet)) SetImageSizing(s, kNewProjectSizing);
}

void TSettingsStore::Save() {
  TIniFile& ini = ini_;
  const TSaverSetting& s = setting_;
  TIniFile::TBatch batch(ini);  // one replacement of the file for all keys

  for (const TSettingKey& key : kSaverSettingKeys)
    if (key.Use == TKeyUse::LoadAndSave) WriteSettingKey(ini, key, s);
}

TImageSizing ImageSizingOf(const TSaverSetting& s) {
  if (s.ImageFit == ifFit) return TImageSizing::Fit;
  if (s.ImageFit == ifFill) return TImageSizing::Fill;
  return s.StretchImage ? TImageSizing::Stretch : TImageSizing::Original;
}

void SetImageSizing(TSaverSetting& s, TImageSizing sizing) {
  s.StretchImage = sizing == TImageSizing::Stretch;
  s.ImageFit = sizing == TImageSizing::Fit ? ifFit : sizing == TImageSizing::Fill ? ifFill : ifByStretch;
}

}  // namespace vanta
