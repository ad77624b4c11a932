#include "builder/MediaLists.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <tuple>
#include <span>
#include <unordered_map>
#include <unordered_set>

#include "base/Text.h"
#include "engine/PictureLoader.h"
#include "engine/codecs/Exif.h"
#include "platform/Files.h"
#include "settings/SaverSettings.h"

namespace vanta {
namespace {

constexpr std::array<std::string_view, 12> kPictureDropExts = {".gif",  ".jpg", ".jpeg", ".bmp", ".wmf",  ".emf",
                                                               ".ico",  ".png", ".webp", ".heic", ".heif", ".avif"};
constexpr std::array<std::string_view, 3> kMusicDropExts = {".mp3", ".wav", ".mid"};

// Names as the duplicate rule compares them.
std::unordered_set<std::string> FoldedTexts(const TMediaList& list) {
  std::unordered_set<std::string> folded;
  folded.reserve(list.Items.size() * 2);
  for (const TListEntry& e : list.Items) folded.insert(LowerCase(e.Text));
  return folded;
}

void SelectLast(TMediaList& list) { list.Selected = static_cast<int>(list.Items.size()) - 1; }

// File names as the file system compares them.
std::string FileNameKey(std::string_view name) {
#ifdef _WIN32
  return LowerCase(name);
#else
  return std::string(name);
#endif
}

// A list of thousands of files asks the file system once per folder, not
// once per file (each question is slow under some systems). Folders with
// few listed files are asked per file, as a huge folder's listing would
// cost more than a few questions.
class TFolderListings {
 public:
  explicit TFolderListings(const TIniDocument::TPairs& pairs) {
    std::unordered_map<std::string, size_t> perFolder;
    for (const auto& p : pairs) {
      const std::string folder = ExtractFilePath(p.first);
      if (IsAbsolute(folder)) ++perFolder[folder];
    }
    for (const auto& [folder, count] : perFolder) {
      if (count < kListFrom) continue;
      std::unordered_set<std::string>& names = names_[folder];
      for (const std::string& n : platform::ListFiles(folder, "*")) names.insert(FileNameKey(n));
    }
  }
  // True when path names a listed file; false sends it the slow way.
  bool Listed(const std::string& path) const {
    const auto it = names_.find(ExtractFilePath(path));
    return it != names_.end() && it->second.count(FileNameKey(ExtractFileName(path))) != 0;
  }

 private:
  static constexpr size_t kListFrom = 16;
  static bool IsAbsolute(std::string_view folder) {
    return !folder.empty() && (IsPathDelimiter(folder.front()) || (folder.size() > 1 && folder[1] == ':'));
  }
  std::unordered_map<std::string, std::unordered_set<std::string>> names_;
};

void SortByName(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return LowerCase(a) < LowerCase(b); });
}

void CollectFiles(const std::string& folder, size_t limit, int depth, std::vector<std::string>& out) {
  std::vector<std::string> files = platform::ListFiles(folder, "*");
  SortByName(files);
  for (const std::string& f : files) {
    if (out.size() >= limit) return;
    out.push_back(folder + f);
  }
  if (depth >= kMaxFolderDepth) return;
  std::vector<std::string> folders = platform::ListFolders(folder);
  SortByName(folders);
  for (const std::string& sub : folders) {
    if (out.size() >= limit) return;
    CollectFiles(folder + sub + kPathDelim, limit, depth + 1, out);
  }
}

}  // namespace

std::vector<std::string> FilesUnder(const std::string& folder, size_t limit) {
  std::vector<std::string> out;
  if (folder.empty()) return out;
  CollectFiles(IsPathDelimiter(folder.back()) ? folder : folder + kPathDelim, limit, 0, out);
  return out;
}

TMediaList FillMediaList(TIniFile& ini, std::string_view section, const TMediaFolders& folders) {
  TMediaList list;
  const TIniDocument::TPairs pairs = ini.ReadSectionPairs(section);
  TFolderListings listings(pairs);
  for (auto& [key, value] : pairs) {
    // A file not found stays listed as written, so a drive that is not
    // plugged in loses nothing; the project's load names what is missing.
    std::string path = key;
    if (!listings.Listed(path)) LocateMediaFile(folders, path);
    // A missing or unreadable value counts as ticked, as ReadBool(..., true) reads it.
    const bool checked = !value || TIniDocument::BoolValue(*value, true);
    list.Items.push_back({std::move(path), checked});
  }
  if (!list.Items.empty()) list.Selected = 0;
  return list;
}

void WriteMediaList(TIniFile& ini, std::string_view section, const TMediaList& list) {
  std::vector<std::pair<std::string, std::string>> pairs;
  pairs.reserve(list.Items.size());
  for (const TListEntry& e : list.Items) pairs.emplace_back(e.Text, e.Checked ? "1" : "0");
  ini.ReplaceSection(section, pairs);
}

std::vector<std::string> CheckedEntries(const TMediaList& list) {
  std::vector<std::string> out;
  for (const TListEntry& e : list.Items)
    if (e.Checked) out.push_back(e.Text);
  return out;
}

bool AddChosenFiles(TMediaList& list, TMediaKind kind, const std::vector<std::string>& files) {
  if (files.empty()) return false;
  list.Items.reserve(list.Items.size() + files.size());
  if (kind == TMediaKind::Music) {
    for (const std::string& f : files) list.Items.push_back({f, true});
  } else {
    std::unordered_set<std::string> folded = FoldedTexts(list);
    for (const std::string& f : files)
      if (folded.insert(LowerCase(f)).second) list.Items.push_back({f, true});
  }
  SelectLast(list);
  return true;
}

std::string DialogFolderOf(const std::vector<std::string>& files) {
  return files.empty() ? std::string() : ExtractFilePath(files.front());
}

bool AcceptsDroppedName(TMediaKind kind, std::string_view name) {
  const std::string ext = LowerCase(ExtractFileExt(name));
  const auto& exts = kind == TMediaKind::Pictures ? std::span<const std::string_view>(kPictureDropExts)
                                                  : std::span<const std::string_view>(kMusicDropExts);
  return std::find(exts.begin(), exts.end(), ext) != exts.end();
}

bool DropFiles(TMediaList& list, TMediaKind kind, const std::vector<std::string>& names) {
  if (names.empty()) return false;
  std::unordered_set<std::string> folded = FoldedTexts(list);
  for (const std::string& n : names)
    if (AcceptsDroppedName(kind, n) && folded.insert(LowerCase(n)).second) list.Items.push_back({n, true});
  SelectLast(list);
  return true;
}

bool RemoveSelected(TMediaList& list) {
  if (!list.HasSelection()) return false;
  list.Items.erase(list.Items.begin() + list.Selected);
  list.Selected = std::min(list.Selected, static_cast<int>(list.Items.size()) - 1);
  return true;
}

bool ClearList(TMediaList& list) {
  list.Items.clear();
  list.Selected = -1;
  return true;
}

bool MoveSelected(TMediaList& list, int delta) {
  if (!list.HasSelection()) return false;
  const int to = list.Selected + delta;
  if (to < 0 || to >= static_cast<int>(list.Items.size())) return false;
  std::swap(list.Items[list.Selected], list.Items[to]);
  list.Selected = to;
  return true;
}

bool SetChecked(TMediaList& list, int index, bool checked) {
  if (index < 0 || index >= static_cast<int>(list.Items.size())) return false;
  list.Items[index].Checked = checked;
  return true;
}

bool ToggleChecked(TMediaList& list, int index) {
  return index >= 0 && index < static_cast<int>(list.Items.size()) && SetChecked(list, index, !list.Items[index].Checked);
}

std::string PictureDialogFilter() {
  struct TKind { const char* text; const char* patterns; };
  constexpr TKind kKinds[] = {
      {"JPEG Image File", "*.jpg;*.jpeg"}, {"PNG Image", "*.png"},          {"WebP Image", "*.webp"},
      {"HEIF Image", "*.heic;*.heif"},     {"AVIF Image", "*.avif"},
      {"GIF Image", "*.gif"},              {"Bitmaps", "*.bmp"},            {"Icons", "*.ico"},
      {"Enhanced Metafiles", "*.emf"},     {"Metafiles", "*.wmf"},
  };
  std::string all, each;
  for (const TKind& k : kKinds) {
    all += (all.empty() ? "" : ";") + std::string(k.patterns);
    each += "|" + std::string(k.text) + " (" + k.patterns + ")|" + k.patterns;
  }
  return "All pictures (" + all + ")|" + all + each;
}

std::optional<TPoint> PreviewPictureFile(const std::string& file, int width, int height, TColor background,
                                         TBitmap24& thumbnail) {
  if (PictureKindOf(file) == TPictureKind::Unknown) return std::nullopt;
  const TPictureSize natural = LoadPictureToBitmap(thumbnail, file, width, height, background);
  return TPoint{natural.Width, natural.Height};
}

TListSplice SpliceBetween(const std::vector<std::string>& shown, const TMediaList& list) {
  const size_t oldCount = shown.size(), newCount = list.Items.size();
  size_t head = 0;
  while (head < oldCount && head < newCount && shown[head] == list.Items[head].Text) ++head;
  size_t tail = 0;
  while (tail < oldCount - head && tail < newCount - head &&
         shown[oldCount - 1 - tail] == list.Items[newCount - 1 - tail].Text)
    ++tail;
  return {head, oldCount - head - tail, newCount - head - tail};
}

// ---- Selections.

namespace {
std::vector<int> SortedValid(const TMediaList& list, const std::vector<int>& selected) {
  std::vector<int> s;
  for (int i : selected)
    if (i >= 0 && i < static_cast<int>(list.Items.size())) s.push_back(i);
  std::sort(s.begin(), s.end());
  s.erase(std::unique(s.begin(), s.end()), s.end());
  return s;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}
}  // namespace

bool RemoveEntries(TMediaList& list, std::vector<int>& selected) {
  const std::vector<int> s = SortedValid(list, selected);
  if (s.empty()) return false;
  for (auto it = s.rbegin(); it != s.rend(); ++it) list.Items.erase(list.Items.begin() + *it);
  const int next = std::min(s.back() - static_cast<int>(s.size()) + 1, static_cast<int>(list.Items.size()) - 1);
  selected = next >= 0 ? std::vector<int>{next} : std::vector<int>{};
  list.Selected = next;
  return true;
}

bool MoveEntries(TMediaList& list, std::vector<int>& selected, int delta) {
  std::vector<int> s = SortedValid(list, selected);
  if (s.empty() || (delta != -1 && delta != 1)) return false;
  const int n = static_cast<int>(list.Items.size());
  bool moved = false;
  // From the side it moves towards: each goes when the place is free.
  std::vector<bool> taken(static_cast<size_t>(n), false);
  for (int i : s) taken[static_cast<size_t>(i)] = true;
  const auto step = [&](int& i) {
    const int to = i + delta;
    if (to < 0 || to >= n || taken[static_cast<size_t>(to)]) return;
    std::swap(list.Items[static_cast<size_t>(i)], list.Items[static_cast<size_t>(to)]);
    taken[static_cast<size_t>(i)] = false;
    taken[static_cast<size_t>(to)] = true;
    i = to;
    moved = true;
  };
  if (delta < 0) for (int& i : s) step(i);
  else for (auto it = s.rbegin(); it != s.rend(); ++it) step(*it);
  selected = s;
  if (moved && list.HasSelection()) list.Selected = s.front();
  return moved;
}

bool SortEntries(TMediaList& list, std::vector<int>& selected, TListOrder order,
                 const std::function<std::string(const std::string& file)>& dateOf) {
  struct TKey {
    std::string First, Second;
    size_t Was;
  };
  std::vector<TKey> keys;
  keys.reserve(list.Items.size());
  for (size_t i = 0; i < list.Items.size(); ++i) {
    const std::string& t = list.Items[i].Text;
    if (order == TListOrder::Name) keys.push_back({LowerCase(ExtractFileName(t)), LowerCase(ExtractFilePath(t)), i});
    else keys.push_back({dateOf ? dateOf(t) : std::string(), LowerCase(ExtractFileName(t)), i});
  }
  std::stable_sort(keys.begin(), keys.end(), [](const TKey& a, const TKey& b) {
    return std::tie(a.First, a.Second) < std::tie(b.First, b.Second);
  });
  std::vector<int> placeOf(keys.size());
  std::vector<TListEntry> items;
  items.reserve(keys.size());
  bool moved = false;
  for (size_t k = 0; k < keys.size(); ++k) {
    placeOf[keys[k].Was] = static_cast<int>(k);
    items.push_back(std::move(list.Items[keys[k].Was]));
    moved = moved || keys[k].Was != k;
  }
  list.Items = std::move(items);
  for (int& i : selected)
    if (i >= 0 && i < static_cast<int>(placeOf.size())) i = placeOf[static_cast<size_t>(i)];
  if (list.HasSelection()) list.Selected = placeOf[static_cast<size_t>(list.Selected)];
  return moved;
}

std::string PictureDateTaken(const std::string& file) {
  if (PictureKindOf(file) == TPictureKind::Jpeg) {
    std::string head;
    if (platform::ReadFileHead(file, head, 128 * 1024) == platform::TReadResult::Ok) {
      const TBytes bytes(reinterpret_cast<const uint8_t*>(head.data()), head.size());
      std::string taken = ExifDateTaken(JpegExifBlock(bytes));
      if (!taken.empty()) return taken;
    }
  }
  const std::optional<platform::TFileStamp> stamp = platform::FileStampOf(file);
  if (!stamp) return {};
  const int64_t seconds = platform::UnixSecondsOf(*stamp);
  const int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400, rest = seconds - days * 86400;
  int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld:%02u:%02u %02d:%02d:%02d", static_cast<long long>(y), m, d,
                static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  return text;
}

std::string EntryCaption(const std::string& path) {
  const std::string folder = ExtractFilePath(path);
  return folder.empty() ? path : ExtractFileName(path) + "   (" + folder + ")";
}

std::string PictureCountText(size_t n) { return std::to_string(n) + (n == 1 ? " picture" : " pictures"); }

TFolderPictures PicturesInFolder(const TMediaList& list, const std::string& folder) {
  TFolderPictures r;
  std::unordered_set<std::string> listed = FoldedTexts(list);
  const size_t room = list.Items.size() < kMaxListedPictures ? kMaxListedPictures - list.Items.size() : 0;
  // A little past the room, to count what is left out without walking a whole disk.
  constexpr size_t kLookFurther = 100000;
  for (std::string& f : FilesUnder(folder, room + kLookFurther)) {
    if (PictureKindOf(f) == TPictureKind::Unknown || !listed.insert(LowerCase(f)).second) continue;
    if (r.Files.size() < room) r.Files.push_back(std::move(f));
    else ++r.LeftOut;
  }
  return r;
}

std::string LeftOutText(const TFolderPictures& added) {
  if (added.LeftOut == 0) return {};
  return "The picture list holds up to " + std::to_string(kMaxListedPictures) + " pictures: " +
         PictureCountText(added.LeftOut) + " of the folder " + (added.LeftOut == 1 ? "was" : "were") +
         " not added.";
}

}  // namespace vanta
