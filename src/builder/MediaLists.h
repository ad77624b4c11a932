// The builder's picture and music lists, apart from their windows.
//
// Each list holds full file paths with a tick; the saver shows or plays only
// ticked entries, in list order. The window moves a TMediaList in and out of
// its check-list box; adding, removing, reordering and the two drop filters
// are decided here. Every operation that returns true has changed what the
// list's section of the settings file must hold: the caller sets the list's
// bit in ChangedSections (and, for pictures, draws the selected thumbnail).
//
// Lists of ten thousand entries stay quick: duplicates are found through a
// set of folded names, never by a search per added file.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bitmap.h"
#include "settings/IniFile.h"
#include "settings/SaverSettings.h"

namespace vanta {

// Bits of ChangedSections: which list sections must be rewritten.
enum TChangedSection : uint8_t { csPictures = 1, csMusic = 2, csTransitions = 4 };

enum class TMediaKind : uint8_t { Pictures, Music };

struct TListEntry {
  std::string Text;
  bool Checked = true;
  bool operator==(const TListEntry&) const = default;
};

struct TMediaList {
  std::vector<TListEntry> Items;
  int Selected = -1;  // -1: nothing selected

  bool HasSelection() const { return Selected >= 0 && Selected < static_cast<int>(Items.size()); }
  bool operator==(const TMediaList&) const = default;
};

// The section's keys in file order, each under the path where
// LocateMediaFile found it in folders (as written when it found none),
// ticked unless its value reads 0. Entry 0 is selected when there is one.
TMediaList FillMediaList(TIniFile& ini, std::string_view section, const TMediaFolders& folders);
// Erases the section and writes one key per entry, "1" ticked, "0" not.
void WriteMediaList(TIniFile& ini, std::string_view section, const TMediaList& list);
// The ticked entries in list order: what the show plays.
std::vector<std::string> CheckedEntries(const TMediaList& list);

// Files chosen in an Add dialog, in the dialog's order; nothing chosen
// (the dialog cancelled) changes nothing. Pictures already listed (letter
// case ignored) are skipped; music is appended as chosen, twice if need be.
// The last entry is selected.
bool AddChosenFiles(TMediaList& list, TMediaKind kind, const std::vector<std::string>& files);
// The folder, with its delimiter, that the next Add dialog opens in.
std::string DialogFolderOf(const std::vector<std::string>& files);

// Files dropped on a list: only the list's own extensions (".gif", ".jpg",
// ".jpeg", ".bmp", ".wmf", ".emf", ".ico", ".png", ".webp", ".heic", ".heif",
// ".avif"; ".mp3", ".wav", ".mid")
// and only names not listed yet. A drop of anything selects the last entry and counts as a
// change, even when nothing was taken; an empty drop changes nothing.
bool DropFiles(TMediaList& list, TMediaKind kind, const std::vector<std::string>& names);
bool AcceptsDroppedName(TMediaKind kind, std::string_view name);

// The selected entry goes; the one after it (or the new last one) is
// selected. False when nothing is selected.
bool RemoveSelected(TMediaList& list);
bool ClearList(TMediaList& list);  // always a change, even of an empty list
// Moves the selected entry one place (delta -1 up, +1 down), with its tick;
// it stays selected. False at either end or without a selection.
bool MoveSelected(TMediaList& list, int delta);
bool SetChecked(TMediaList& list, int index, bool checked);
// The user clicked the entry's tick box: the tick turns over.
bool ToggleChecked(TMediaList& list, int index);

// The files in folder (with its delimiter) and its subfolders, full paths:
// each folder's files in name order (letter case ignored), then its
// subfolders the same way. At most `limit` paths; a tree deeper than
// kMaxFolderDepth is not followed further down.
inline constexpr int kMaxFolderDepth = 32;
std::vector<std::string> FilesUnder(const std::string& folder, size_t limit);

// ---- Lists of hundreds: several entries selected at once. A selection is
// a list of entry indices; the functions keep it pointing at the same entries.

// The selected entries go; the selection becomes the entry after the last
// one removed (or the new last). False when none of them was in the list.
bool RemoveEntries(TMediaList& list, std::vector<int>& selected);
// The selected entries move one place (delta -1 up, +1 down) together,
// each with its tick; one at the edge, and those pressed against it, stay.
// False when nothing moved.
bool MoveEntries(TMediaList& list, std::vector<int>& selected, int delta);

enum class TListOrder { Name, DateTaken };
// Sorts the list, keeping the order of equals: by file name (letter case
// ignored, then the folder), or by dateOf's text (sortable, earliest
// first). The selection follows its entries. False when nothing moved.
bool SortEntries(TMediaList& list, std::vector<int>& selected, TListOrder order,
                 const std::function<std::string(const std::string& file)>& dateOf);
// When a picture was taken, as "YYYY:MM:DD HH:MM:SS": a JPEG's Exif
// DateTimeOriginal, else the file's last change (UTC); empty when missing.
std::string PictureDateTaken(const std::string& file);

// How a list shows an entry: its file name first, then its folder in
// parentheses, so that long paths no longer hide the names.
std::string EntryCaption(const std::string& path);

// The count under the picture list: "1 picture", "300 pictures".
std::string PictureCountText(size_t n);
// What the list is meant to hold ("Up to 1000").
inline constexpr size_t kMaxListedPictures = 1000;

// "Add Folder...": the pictures the loader reads in folder and its
// subfolders (FilesUnder's order) not listed yet, as many as fit in the
// list's limit; LeftOut counts the rest.
struct TFolderPictures {
  std::vector<std::string> Files;
  size_t LeftOut = 0;
};
TFolderPictures PicturesInFolder(const TMediaList& list, const std::string& folder);
// The message when some were left out, else empty.
std::string LeftOutText(const TFolderPictures& added);

// What the Add dialogs offer, in the "text|patterns|text|patterns" form: the
// picture kinds the picture loader reads, and the three music kinds.
std::string PictureDialogFilter();
// The picture dialog's preview (platform::TPicturePreview): the file read
// upright within width x height on the background colour, as the thumbnail
// panel shows it, and its own size; nullopt for a file no reader takes.
std::optional<TPoint> PreviewPictureFile(const std::string& file, int width, int height, TColor background,
                                         TBitmap24& thumbnail);
inline constexpr const char* kMusicDialogFilter =
    "All Support Types|*.mp3;*.wav;*.mid|Mp3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav|MIDI Files (*.mid)|*.mid";

// How a list window showing `shown` becomes one showing the list: at `At`,
// `Remove` lines go and the list's entries [At, At + Insert) come in. Every
// edit of a list (append, remove, move, clear) is one such splice, so ten
// thousand added pictures reach the window as one insertion, not a refill.
struct TListSplice {
  size_t At = 0, Remove = 0, Insert = 0;
  bool operator==(const TListSplice&) const = default;
};
TListSplice SpliceBetween(const std::vector<std::string>& shown, const TMediaList& list);

}  // namespace vanta
