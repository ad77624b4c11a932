// Projects: copies of the working settings file kept under a name of the
// user's (".vnt"), and loaded back by copying one over it.
//
// The builder always edits the working settings file; a project is made by
// committing to it, copying it out and putting the old working file back,
// and loaded by copying the project over it. Every copy writes to a
// temporary name and renames it into place, so no half-written file is ever
// left, and every failure comes back as a TProjectError whose message the
// window shows; the working file is left as it was whenever a step fails.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>

#include "builder/MediaLists.h"
#include "settings/IniFile.h"

namespace vanta {

struct TProjectError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kProjectExt = ".vnt";
// Projects larger than this are not settings files.
inline constexpr size_t kMaxProjectBytes = 16u << 20;

// The chosen name with ".vnt" appended unless it holds ".vnt" anywhere
// (letter case ignored): "show" -> "show.vnt", "show.VNT" and
// "show.vnt.old" stay.
std::string ProjectFileName(const std::string& chosen);

// "Save Project As...": backs the working file up (its name + ".bak"), runs
// commit (the window's controls into the working file, through ini), copies
// the working file to project, puts the backup back and removes it, and
// reads the working file again into ini. The working file ends as it was
// before, whatever fails; a failure to back up stops before anything is
// written.
void SaveProjectAs(TIniFile& ini, const std::string& project, const std::function<void()>& commit);

// "Load Project": copies project over the working file and reads it again
// into ini. A project that cannot be read (missing, a folder, too large)
// or a copy that fails changes nothing.
void LoadProject(TIniFile& ini, const std::string& project);

// A project's list entries whose files are not there (a drive not plugged
// in, a folder moved). They stay in the lists until the user removes them.
struct TMissingMedia {
  std::vector<std::string> Pictures, Music;
  size_t Count() const { return Pictures.size() + Music.size(); }
};
TMissingMedia FindMissingMedia(const TMediaList& pictures, const TMediaList& music);

// What the window tells after a load: how many of which were not found,
// the first kMissingNamesShown of them, and the offer to look elsewhere.
// Empty when nothing is missing.
inline constexpr size_t kMissingNamesShown = 5;
std::string MissingMediaReport(const TMissingMedia& missing);

// Points each entry whose file is missing at the file of the same name
// (letter case ignored) in folder or its subfolders, the first in
// FilesUnder's order; returns how many were found.
size_t FindMissingIn(TMediaList& list, const std::string& folder);

}  // namespace vanta
