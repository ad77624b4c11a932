// The installer script as the builder writes it: [Setup] directives and the
// [Files], [Registry], [INI], [Icons] and [Run] lines, in the published script
// format. The reader accepts exactly that subset; anything else is an error
// naming the line and what is not supported, never skipped.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Constants.h"
#include "RegistryRoot.h"

namespace vanta::build {

class TScriptError : public std::runtime_error {
 public:
  TScriptError(int line, const std::string& what);
  int Line() const { return line_; }

 private:
  int line_;
};

// Windows will not start a program file of 4 GB or more, and some loaders
// balk past 2 GB.
inline constexpr uint64_t kDefaultDiskSliceSize = 2000000000;
inline constexpr uint64_t kMinDiskSliceSize = 1048576;

struct TSetupDirectives {
  std::string appName;
  std::string appVerName;          // "<AppName> version <AppVersion>" when not given
  // What the Apps page and package managers read from the uninstall entry.
  std::string appVersion, appPublisher, appPublisherURL, appSupportURL, appUpdatesURL;
  TDestination defaultDirName;
  std::string defaultGroupName;    // AppName when not given
  std::string outputDir;           // a folder of the building computer, as written
  std::string outputBaseFilename;  // without ".exe"
  // No file of the setup is larger: beyond it the data goes into
  // "<outputBaseFilename>-1.bin", "-2.bin"... beside the .exe.
  uint64_t diskSliceSize = kDefaultDiskSliceSize;
  // Pictures of the pages, as written (like Source), and their lines.
  std::string wizardImageFile, wizardSmallImageFile;
  int wizardImageLine = 0, wizardSmallImageLine = 0;
  // The setup program's icon (an .ico file), and its line.
  std::string setupIconFile;
  int setupIconLine = 0;
};

struct TFileLine {
  int line = 0;
  std::string source;  // as written: relative to the script's folder or a full path
  TDestination destDir;
  std::string destName;  // "" keeps the source's file name
  bool neverUninstall = false;
  bool isReadme = false;
  bool sharedFile = false;  // counted in SharedDLLs: the last uninstall removes it
};

struct TRegistryLine {
  int line = 0;
  TRegistryRoot root = TRegistryRoot::CurrentUser;
  std::string subkey;
  std::string valueName;  // "" is the key's default value
  TConstText valueData;   // a string value
  bool deleteKeyOnUninstall = false;
};

struct TIniLine {
  int line = 0;
  TDestination file;  // a bare file name is in {win}
  std::string section;
  std::string key;
  TConstText value;
};

struct TIconLine {
  int line = 0;
  TDestination name;  // the shortcut, without ".lnk"
  TConstText target;
  TConstText parameters;  // the command line after the target; may be empty
};

// A program the Finished page offers to start ([Run] with "postinstall"):
// always through the desktop's shell, as its user, without waiting.
struct TRunLine {
  int line = 0;
  TConstText filename;
  TConstText parameters;
  std::string description;  // the check box's caption
  bool unchecked = false;     // starts unticked (and so never runs in silent installs)
  bool skipIfSilent = false;
};

struct TScript {
  TSetupDirectives setup;
  std::vector<TFileLine> files;
  std::vector<TRegistryLine> registry;
  std::vector<TIniLine> ini;
  std::vector<TIconLine> icons;
  std::vector<TRunLine> run;
};

// Throws TScriptError.
TScript ParseScript(std::string_view text);

// One parameter line ("Name: value; Name: value") as written, in order;
// names keep their letter case. Throws std::invalid_argument with the reason.
struct TParameter {
  std::string name;
  std::string value;
  bool quoted = false;
  bool operator==(const TParameter&) const = default;
};
std::vector<TParameter> SplitParameters(std::string_view line);

// The file name part of a source path written in the script ("\" or "/").
std::string SourceFileName(std::string_view source);

}  // namespace vanta::build
