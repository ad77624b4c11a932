// The Build page's work, apart from its window: the names of a build, the
// installer script and the settings copy of the new saver, the clean-up of
// the compile folder, and which of the compiler's status lines a person
// sees.
//
// The builder writes an installer script ("temp.iss") and the new saver's
// settings into its compile folder, and starts the installer compiler on
// the script (Win32 side). Everything here is portable and tested natively.
// The compile folder is the user's own (a standard user may write there);
// the compiler is the one the setup installed, where only administrators
// write, so no user can swap the program that an administrator's build runs.
#pragma once
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/CompilerProtocol.h"
#include "builder/MediaLists.h"
#include "builder/PhotoShrink.h"
#include "settings/IniFile.h"

namespace vanta {

struct TBuildError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kCompileFolderName = "Compile";
inline constexpr const char* kScriptName = "temp.iss";
inline constexpr const char* kReadmeFileName = "Readme.txt";
inline constexpr const char* kNameForbidden = "\\/:*?\"<>|";

// s without every character that occurs in chars.
std::string RemoveChars(std::string_view s, std::string_view chars);
// The 8.3 form of a saver's file name as system.INI names it: spaces out of
// the base name, and a base name longer than 8 characters cut to 6 + "~1".
// Characters are counted whole, never cut in two.
std::string ShortFileName(std::string_view name);

// The names of one build.
struct TBuildNames {
  std::string SetupFileName;     // the setup to make, full path
  std::string CompileDir;        // the user's folder + "Compile\"
  std::string SaverName;
  std::string SaverFileName;     // SaverName + ".scr"
  std::string SettingsCopyName;  // CompileDir + SaverName + ".002"
};
// chosenSetup is the save dialog's answer (".exe" appended unless it holds
// ".exe" anywhere, letter case ignored); nameEdit the name field. The name
// is trimmed, falls back to the setup's base name, loses the characters a
// file name cannot hold, and the builder's own name "vantasaver" gets a
// number 0..99 from the shared generator. A name that is empty after all
// that is refused.
TBuildNames MakeBuildNames(const std::string& chosenSetup, const std::string& nameEdit,
                           const std::string& userFolder);

// The installer compiler in the install folder's "Compile" folder; empty
// when the install folder is unknown.
std::string CompilerPath(const std::string& installFolder);

// What the script and the settings copy are made of.
struct TBuildInput {
  TBuildNames Names;
  std::string ProgramFolder;  // with its delimiter
  std::string SystemFolder;   // of this computer, with its delimiter
  const TMediaList* ImageList = nullptr;
  const TMediaList* MusicList = nullptr;
  std::string AuthorEdit, WebsiteEdit;
  std::string VersionEdit = "1.0";  // blank: "1.0"
  std::string Readme;  // the memo's text
  // "Make photos smaller for sharing": the copies go to CompileDir +
  // "Photos", made on ShrinkThreads threads (0: every core) with the count
  // reported to ShrinkProgress.
  TShrinkOptions Shrink;
  unsigned ShrinkThreads = 0;
  std::function<void(size_t done, size_t total)> ShrinkProgress;
  std::string PagePicture;  // the setup pages' picture file; "" none: the logo's art (SetupArt.h)
};

// The setup pages' picture: the first ticked picture that `usable` (it
// decodes) takes; "" when none does.
std::string FirstUsablePicture(const TMediaList& pictures, const std::function<bool(const std::string&)>& usable);

struct TConfigControls;

// "Make photos smaller for sharing" as the window's record holds it: the
// chosen size (the first for an index out of range), photos with alpha put
// on the background colour.
TShrinkOptions ShrinkChoiceOf(const TConfigControls& c);

// What the Build page holds when a build starts, besides the record: the
// save dialog's answer, the name and the read-me as typed, and the folders
// the build takes its files from (each with its delimiter).
struct TBuildRequest {
  std::string SetupFile;
  std::string NameEdit;
  std::string Readme;
  std::string UserFolder, ProgramFolder, SystemFolder;
};
// The build's input: the names (MakeBuildNames), the record's lists (c must
// outlive the input), the author page and the shrink choice from c, the
// read-me as a memo holds it (MemoText), and the setup pages' picture
// (FirstUsablePicture with usable). ShrinkProgress is the caller's.
TBuildInput GatherBuildInput(const TBuildRequest& request, const TConfigControls& c,
                             const std::function<bool(const std::string&)>& usable);

// Makes the compile folder when missing, writes the new saver's settings
// copy and the readme into it and returns the script's [Files] lines for them (pictures, music,
// the MPEG library when there is music, the readme). commit runs first: the
// window into the working settings file, whose Set, Caption and Transitions
// sections the copy then takes over, but for Set's Author and Website: those
// are the author page's (AuthorEdit when not empty, WebsiteEdit unless it is
// the prompt "http://"). File errors come back as TBuildError. With
// Shrink on, the photos ship as ShrinkPhotos makes them, and its report
// goes to `shrunk` when given.
std::vector<std::string> WriteSaverFiles(const TBuildInput& in, TIniFile& working, const std::function<void()>& commit,
                                         TShrinkReport* shrunk = nullptr);

// The whole script, lines without their ends, around the lines of
// WriteSaverFiles.
std::vector<std::string> ScriptLines(const TBuildInput& in, const std::vector<std::string>& saverFileLines);
// WriteSaverFiles, then the script to CompileDir + "temp.iss" (CR LF line
// ends, replacing an earlier one) and the setup's art beside it.
void WriteScript(const TBuildInput& in, TIniFile& working, const std::function<void()>& commit,
                 TShrinkReport* shrunk = nullptr);

// The readme the "Load From File..." button takes: the file's text, as
// UTF-8 (a file that is not is read in the system's code page). A file
// that cannot be read, or is larger than 16 MB, is a TBuildError.
std::string LoadReadmeFile(const std::string& file);

// The n-th part (from 1) of a setup spanned over several files, beside it:
// its folder and base name, as the script gives them, then "-<n>.bin".
std::string SetupPartPath(const std::string& setupFile, int n);

// Deletes the script, the settings copy, the readme and the art of a build.
void CleanCompileFolder(const TBuildNames& names);

// A status line as the Build page shows it, or nothing: lines with both
// "[" and "]", or with "File: ", are the compiler's detail.
std::optional<std::string> StatusLineToShow(std::string_view line);
// The text of a status record: up to its first NUL, and never past the
// record's length.
std::string StatusRecordText(const char* data, size_t size);

}  // namespace vanta
