#include "builder/BuildPipeline.h"

#include <algorithm>

#include "base/Random.h"
#include "base/Text.h"
#include "builder/ConfigControls.h"
#include "builder/SetupArt.h"
#include "platform/Files.h"
#include "settings/Instance.h"
#include "settings/SaverSettings.h"
#include "settings/InstanceIdentity.h"

namespace vanta {
namespace {

// Blanks and control characters at both ends go.
std::string_view TrimControls(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// The first n characters (not bytes) of a UTF-8 text, and how many it has.
size_t CharCount(std::string_view s) {
  return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}
std::string FirstChars(std::string_view s, size_t n) {
  size_t i = 0;
  for (size_t seen = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && seen++ == n) break;
  }
  return std::string(s.substr(0, i));
}

// A name or path as the compiler reads it, where "{...}" names a folder: a
// "{" of the text itself is written twice.
std::string Braced(std::string_view s) {
  std::string out;
  for (char c : s) out.append(c == '{' ? 2 : 1, c);
  return out;
}

std::string Quoted(const std::string& s) { return "\"" + Braced(s) + "\""; }

// A [Setup] value from a box the user typed in: quoted, with "" for a
// quote, and without the control characters no line may hold.
std::string SetupValue(std::string_view typed) {
  std::string out = "\"";
  for (char c : TrimControls(typed)) {
    if (static_cast<unsigned char>(c) < ' ') continue;
    if (c == '"') out += '"';
    out += c;
  }
  return Braced(out) + "\"";
}

void WriteText(const std::string& path, const std::string& text) {
  if (!platform::WriteFileAtomically(path, text)) throw TBuildError("Cannot create file " + path);
}

// The memo's lines, each ended by CR LF.
std::string TextFileLines(std::string_view text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const size_t end = text.find_first_of("\r\n", i);
    out.append(text.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i)).append("\r\n");
    if (end == std::string_view::npos) break;
    i = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return out;
}

bool HasReadme(const TBuildInput& in) { return !in.Readme.empty(); }

// The install folder's registry value (without the leading delimiter of
// the key the saver reads).
std::string RegistryLine(const char* root, const std::string& name) {
  return std::string("Root: ") + root + "; Subkey: \"" + (kRegistryRoot + 1) + name +
         "\"; ValueType: string; ValueName: \"\"; ValueData: {app}; flags: uninsdeletekey";
}

}  // namespace

std::string RemoveChars(std::string_view s, std::string_view chars) {
  std::string out;
  for (char c : s)
    if (chars.find(c) == std::string_view::npos) out += c;
  return out;
}

std::string ShortFileName(std::string_view name) {
  std::string base = FileBaseName(name);
  const std::string ext = ExtractFileExt(name);
  const bool spaced = base.find(' ') != std::string::npos;
  if (spaced) base = RemoveChars(base, " ");
  if (CharCount(base) <= 8) return spaced ? base + "~1" + ext : std::string(name);
  return FirstChars(base, 6) + "~1" + ext;
}

TBuildNames MakeBuildNames(const std::string& chosenSetup, const std::string& nameEdit,
                           const std::string& userFolder) {
  TBuildNames n;
  n.SetupFileName = ContainsNoCase(chosenSetup, ".exe") ? chosenSetup : chosenSetup + ".exe";
  n.CompileDir = userFolder + kCompileFolderName + kPathDelim;
  std::string name(TrimControls(nameEdit));
  if (name.empty()) name = FileBaseName(n.SetupFileName);
  name = RemoveChars(name, kNameForbidden);
  // A line break inside would add lines of its own to the script.
  if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; }))
    throw TBuildError("The screensaver's name may not contain control characters such as line breaks or tabs.");
  // A name of blanks alone is no file name either.
  if (TrimControls(name).empty())
    throw TBuildError("Please give the screensaver a name: the name may not be empty or consist only of \\ / : * ? \" < > |.");
  if (IsBuilderInstance(name)) name += std::to_string(Random(100));
  n.SaverName = name;
  n.SaverFileName = name + ".scr";
  n.SettingsCopyName = n.CompileDir + name + settings_keys::kSettingsExt;
  return n;
}

std::string CompilerPath(const std::string& installFolder) {
  if (installFolder.empty()) return {};
  return installFolder + kCompileFolderName + kPathDelim + kCompilerName;
}

TShrinkOptions ShrinkChoiceOf(const TConfigControls& c) {
  TShrinkOptions o;
  o.Enabled = c.ShrinkCheck;
  const bool known = c.ShrinkSizeCombo >= 0 && static_cast<size_t>(c.ShrinkSizeCombo) < std::size(kShrinkSizes);
  o.Box = kShrinkSizes[known ? c.ShrinkSizeCombo : 0];
  o.Background = c.BackcolorCb;
  return o;
}

TBuildInput GatherBuildInput(const TBuildRequest& request, const TConfigControls& c,
                             const std::function<bool(const std::string&)>& usable) {
  TBuildInput in;
  in.Names = MakeBuildNames(request.SetupFile, request.NameEdit, request.UserFolder);
  in.ProgramFolder = request.ProgramFolder;
  in.SystemFolder = request.SystemFolder;
  in.ImageList = &c.ImageList;
  in.MusicList = &c.MusicList;
  in.AuthorEdit = c.AuthorEdit;
  in.WebsiteEdit = c.WebsiteEdit;
  in.VersionEdit = c.VersionEdit;
  in.Readme = MemoText(request.Readme);
  in.Shrink = ShrinkChoiceOf(c);
  in.PagePicture = FirstUsablePicture(c.ImageList, usable);
  return in;
}

std::vector<std::string> WriteSaverFiles(const TBuildInput& in, TIniFile& working, const std::function<void()>& commit,
                                         TShrinkReport* shrunk) {
  platform::CreateFolders(in.Names.CompileDir);  // what fails here is reported by the writes below
  if (!platform::RemoveFile(in.Names.SettingsCopyName))
    throw TBuildError("Unable to write to " + in.Names.SettingsCopyName);
  commit();
  // What each ticked picture that is there ships as, in list order.
  std::vector<std::string> shipped;
  if (in.Shrink.Enabled && in.ImageList) {
    for (const TListEntry& e : in.ImageList->Items)
      if (e.Checked && platform::FileExists(e.Text)) shipped.push_back(e.Text);
    TShrinkReport report = ShrinkPhotos(shipped, in.Names.CompileDir + kPhotoFolderName + kPathDelim, in.Shrink,
                                        in.ShrinkThreads, in.ShrinkProgress);
    for (size_t i = 0; i < shipped.size(); ++i) shipped[i] = report.Photos[i].Shipped;
    if (shrunk) *shrunk = std::move(report);
  }
  std::vector<std::string> lines;
  TIniFile copy(in.Names.SettingsCopyName);
  try {
    TIniFile::TBatch batch(copy);
    if (!in.AuthorEdit.empty()) copy.WriteString(settings_keys::kSet, settings_keys::kAuthor, in.AuthorEdit);
    if (in.WebsiteEdit != kWebsitePrompt) copy.WriteString(settings_keys::kSet, settings_keys::kWebsite, in.WebsiteEdit);
    for (const char* section : {settings_keys::kSet, settings_keys::kCaption, settings_keys::kTransitions})
      for (const std::string& key : working.ReadSectionKeys(section)) {
        // The author page showed the working file's author and web site and
        // says what the user made of them: an older value must not undo that.
        const bool authorPage = SameText(key, settings_keys::kAuthor) || SameText(key, settings_keys::kWebsite);
        if (authorPage && std::string_view(section) == settings_keys::kSet) continue;
        copy.WriteString(section, key, working.ReadString(section, key, ""));
      }
    // Bare names: the installed saver finds them in its "sample" folder.
    const auto list = [&](const TMediaList* entries, const char* section, const std::vector<std::string>* as) {
      std::vector<std::pair<std::string, std::string>> keys;
      if (!entries) return false;
      size_t n = 0;
      for (const TListEntry& e : entries->Items) {
        if (!e.Checked || !platform::FileExists(e.Text)) continue;
        const std::string& file = as && n < as->size() ? (*as)[n++] : e.Text;
        keys.emplace_back(ExtractFileName(file), "1");
        lines.push_back("Source:" + Quoted(file) + "; DestDir: \"{app}\\sample\"");
      }
      if (!keys.empty()) copy.ReplaceSection(section, keys);
      return !keys.empty();
    };
    list(in.ImageList, settings_keys::kPictures, in.Shrink.Enabled ? &shipped : nullptr);
    // The MPEG library in the system folder is shared: the builder and
    // every saver built with it play through it, so it is counted as
    // Windows counts shared files and goes with the last of them.
    if (list(in.MusicList, settings_keys::kMusic, nullptr))
      lines.push_back("Source:" + Quoted(in.SystemFolder + "MPEGDLL.DLL") + "; DestDir: \"{sys}\\\"; flags: sharedfile");
  } catch (const EIniFileError&) {
    throw TBuildError("Unable to write to " + in.Names.SettingsCopyName);
  }
  // The script names the copy even when there was nothing to put in it.
  if (!platform::FileExists(in.Names.SettingsCopyName)) WriteText(in.Names.SettingsCopyName, "");
  if (HasReadme(in)) {
    WriteText(in.Names.CompileDir + kReadmeFileName, TextFileLines(in.Readme));
    lines.push_back("Source:" + Quoted(in.Names.CompileDir + kReadmeFileName) + "; DestDir: \"{app}\\\"; flags: isreadme");
  }
  return lines;
}

std::string FirstUsablePicture(const TMediaList& pictures, const std::function<bool(const std::string&)>& usable) {
  for (const TListEntry& e : pictures.Items)
    if (e.Checked && usable(e.Text)) return e.Text;
  return {};
}

std::vector<std::string> ScriptLines(const TBuildInput& in, const std::vector<std::string>& saverFileLines) {
  const TBuildNames& n = in.Names;
  const std::string name = Braced(n.SaverName), file = Braced(n.SaverFileName);
  std::vector<std::string> s = {
      "[Setup]",
      "AppName=" + name,
      "AppVerName=" + name,
      "AppVersion=" + SetupValue(TrimControls(in.VersionEdit).empty() ? "1.0" : in.VersionEdit),
      "DefaultDirName={pf}\\" + name,
      "DefaultGroupName=" + name,
      "outputdir=" + Quoted(ExtractFilePath(n.SetupFileName)),
      "OutputBaseFilename=" + Quoted(FileBaseName(n.SetupFileName)),
      "[Files]",
      "Source:" + Quoted(in.ProgramFolder + "VantaSaver.scr") + "; DestDir: \"{sys}\\\"; DestName: " + Quoted(n.SaverFileName),
      "Source:" + Quoted(in.ProgramFolder + "VantaSaver.001") + "; DestDir: \"{sys}\\\"; flags: uninsneveruninstall",
  };
  // The Apps page's publisher and links come from the author page.
  std::vector<std::string> about;
  if (!TrimControls(in.AuthorEdit).empty()) about.push_back("AppPublisher=" + SetupValue(in.AuthorEdit));
  const std::string_view site = TrimControls(in.WebsiteEdit);
  if (!site.empty() && site != kWebsitePrompt)
    for (const char* key : {"AppPublisherURL=", "AppSupportURL=", "AppUpdatesURL="}) about.push_back(key + SetupValue(site));
  // The saver's own picture on the setup's pages, fitted by the compiler
  // (the logo's art without one), and the logo as the setup's icon.
  const TSetupArt art = SetupArtFiles(n.CompileDir, in.PagePicture);
  about.push_back("WizardImageFile=" + SetupValue(art.Large));
  about.push_back("WizardSmallImageFile=" + SetupValue(art.Small));
  about.push_back("SetupIconFile=" + SetupValue(art.Icon));
  s.insert(s.begin() + 4, about.begin(), about.end());
  s.insert(s.end(), saverFileLines.begin(), saverFileLines.end());
  const std::vector<std::string> rest = {
      "Source:" + Quoted(n.SettingsCopyName) + "; DestDir: \"{sys}\\\"; DestName: " +
          Quoted(n.SaverName + settings_keys::kSettingsExt),
      "[Registry]",
      RegistryLine("HKCU", name),
      // The machine's value too: a setup that an administrator ran for a
      // standard user writes HKCU into the administrator's profile.
      RegistryLine("HKLM", name),
      "[INI]",
      "Filename: \"{win}\\system.INI\"; Section: \"boot\"; Key: \"SCRNSAVE.EXE\"; String: \"{sys}\\" +
          Braced(ShortFileName(n.SaverFileName)) + "\"",
      "[Icons]",
      "Name: \"{group}\\" + name + "\"; Filename: \"{sys}\\" + file + "\"",
      "Name: \"{userdesktop}\\" + name + "\"; Filename: \"{sys}\\" + file + "\"",
      "Name: \"{group}\\Uninstall\"; Filename: \"{app}\\unins000.exe\"",
      "Name: \"{app}\\" + name + "\"; Filename: \"{sys}\\" + file + "\"",
  };
  s.insert(s.end(), rest.begin(), rest.end());
  if (HasReadme(in)) s.push_back("Name: \"{group}\\Readme\"; Filename: \"{app}\\readme.txt\"");
  // The Finished page's choices, started as the user at the desktop: the
  // elevated setup's own SCRNSAVE.EXE line (for silent installs) can land
  // in an administrator's profile instead. Windows' own verb for a saver
  // passes its path unquoted.
  const std::string saver = "{sys}\\" + file;
  const char* flags = "; Flags: postinstall nowait shellexec skipifsilent";
  s.push_back("[Run]");
  s.push_back("Filename: \"{sys}\\rundll32.exe\"; Parameters: \"desk.cpl,InstallScreenSaver " + saver +
              "\"; Description: \"Make it my screensaver\"" + flags);
  s.push_back("Filename: \"" + saver + "\"; Parameters: \"/s\"; Description: \"Preview the screensaver now\"" + flags);
  s.push_back("Filename: \"" + saver + "\"; Parameters: \"/c\"; Description: \"Open the screen saver settings\"" + flags);
  return s;
}

void WriteScript(const TBuildInput& in, TIniFile& working, const std::function<void()>& commit,
                 TShrinkReport* shrunk) {
  const std::vector<std::string> lines = ScriptLines(in, WriteSaverFiles(in, working, commit, shrunk));
  WriteSetupArt(in.Names.CompileDir, in.PagePicture);
  std::string text;
  for (const std::string& l : lines) text.append(l).append("\r\n");
  WriteText(in.Names.CompileDir + kScriptName, text);
}

std::string LoadReadmeFile(const std::string& file) {
  constexpr size_t kReadmeLimit = size_t{16} << 20;
  std::string text;
  if (platform::ReadWholeFile(file, text, kReadmeLimit) != platform::TReadResult::Ok)
    throw TBuildError("Cannot open file " + file);
  return IsValidUtf8(text) ? text : platform::LegacyTextToUtf8(text);
}

std::string SetupPartPath(const std::string& setupFile, int n) {
  return ExtractFilePath(setupFile) + SetupPartName(FileBaseName(setupFile), static_cast<uint64_t>(n));
}

void CleanCompileFolder(const TBuildNames& names) {
  platform::RemoveFile(names.CompileDir + kScriptName);
  platform::RemoveFile(names.SettingsCopyName);
  platform::RemoveFile(names.CompileDir + kReadmeFileName);
  for (const char* art : {kSetupIconName, kSetupArtName, kSetupSmallArtName}) platform::RemoveFile(names.CompileDir + art);
}

std::optional<std::string> StatusLineToShow(std::string_view line) {
  const std::string_view t = TrimControls(line);
  if (t.find('[') != std::string_view::npos && t.find(']') != std::string_view::npos) return std::nullopt;
  if (t.find("File: ") != std::string_view::npos) return std::nullopt;
  return std::string(t);
}

std::string StatusRecordText(const char* data, size_t size) {
  if (!data) return {};
  const std::string_view record(data, size);
  return std::string(record.substr(0, record.find('\0')));
}

}  // namespace vanta
