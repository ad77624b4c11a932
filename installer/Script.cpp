#include "Script.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

#include "PathRules.h"
#include "Payload.h"
#include "PathText.h"

namespace vanta::build {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

enum class TSection { None, Setup, Files, Registry, Ini, Icons, Run };

struct TSectionName {
  std::string_view name;
  TSection section;
};
constexpr TSectionName kSections[] = {{"Setup", TSection::Setup},
                                      {"Files", TSection::Files},
                                      {"Registry", TSection::Registry},
                                      {"INI", TSection::Ini},
                                      {"Icons", TSection::Icons},
                                      {"Run", TSection::Run}};

// The parameters of one line, checked against what its section allows.
class TLineParameters {
 public:
  TLineParameters(int line, std::string_view section, std::string_view text,
                  std::initializer_list<std::string_view> allowed)
      : line_(line), section_(section) {
    try {
      list_ = SplitParameters(text);
    } catch (const std::invalid_argument& e) {
      throw TScriptError(line, e.what());
    }
    for (size_t i = 0; i < list_.size(); ++i) {
      const std::string& name = list_[i].name;
      if (std::none_of(allowed.begin(), allowed.end(), [&](std::string_view a) { return SameText(a, name); }))
        throw TScriptError(line, "the parameter " + Quoted(name) + " is not supported in [" + section_ + "]");
      for (size_t j = 0; j < i; ++j)
        if (SameText(list_[j].name, name)) throw TScriptError(line, "the parameter " + Quoted(name) + " is given twice");
    }
  }

  std::optional<std::string> Get(std::string_view name) const {
    for (const TParameter& p : list_)
      if (SameText(p.name, name)) return p.value;
    return std::nullopt;
  }

  std::string Required(std::string_view name) const {
    std::optional<std::string> v = Get(name);
    if (!v) throw TScriptError(line_, "the parameter " + Quoted(name) + " is missing");
    return *v;
  }

  // The flags named in "Flags", each one of `known`.
  std::vector<std::string> Flags(std::initializer_list<std::string_view> known) const {
    std::vector<std::string> flags;
    const std::string text = Get("Flags").value_or("");
    size_t i = 0;
    while (i < text.size()) {
      while (i < text.size() && IsBlank(text[i])) ++i;
      size_t end = i;
      while (end < text.size() && !IsBlank(text[end])) ++end;
      if (end == i) break;
      const std::string flag = LowerText(text.substr(i, end - i));
      if (std::find(known.begin(), known.end(), flag) == known.end())
        throw TScriptError(line_, "the flag " + Quoted(flag) + " is not supported in [" + section_ + "]");
      if (std::find(flags.begin(), flags.end(), flag) != flags.end())
        throw TScriptError(line_, "the flag " + Quoted(flag) + " is given twice");
      flags.push_back(flag);
      i = end;
    }
    return flags;
  }

  int Line() const { return line_; }

 private:
  int line_;
  std::string section_;
  std::vector<TParameter> list_;
};

bool HasFlag(const std::vector<std::string>& flags, std::string_view flag) {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

TConstText ConstText(int line, std::string_view what, std::string_view value) {
  std::string why;
  std::optional<TConstText> t = ParseConstText(value, &why);
  if (!t) throw TScriptError(line, what.empty() ? why : std::string(what) + ": " + why);
  return *t;
}

// Text in which constants mean nothing; "{{" still stands for "{".
std::string PlainText(int line, std::string_view what, std::string_view value) {
  const TConstText t = ConstText(line, what, value);
  if (t.HasConstants()) throw TScriptError(line, "constants are not supported in " + std::string(what));
  return t.Literal();
}

TDestination Destination(int line, std::string_view what, std::string_view value) {
  std::string why;
  std::optional<TDestination> d = ParseDestination(value, &why);
  if (!d) throw TScriptError(line, std::string(what) + ": " + why);
  return *d;
}

// Names and paths reach Windows as UTF-16: the text must convert.
void CheckControlFree(int line, std::string_view what, std::string_view value) {
  if (std::any_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
    throw TScriptError(line, std::string(what) + " holds a control character");
  if (!Utf8ToUtf16(value)) throw TScriptError(line, std::string(what) + " holds bytes that are not UTF-8 (save the script as UTF-8)");
}

// A registry path below its root: named parts separated by single backslashes.
void CheckSubkey(int line, std::string_view subkey) {
  CheckControlFree(line, "Subkey", subkey);
  if (subkey.empty()) throw TScriptError(line, "an empty Subkey would write into the root key itself");
  size_t start = 0;
  while (true) {
    const size_t end = subkey.find('\\', start);
    if ((end == std::string_view::npos ? subkey.size() : end) == start)
      throw TScriptError(line, "Subkey " + Quoted(subkey) + " has an empty key name");
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
}

class TParser {
 public:
  TScript Run(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++lineNo;
      Line(lineNo, TrimBlanks(line));
      pos = end + 1;
    }
    Finish();
    return std::move(script_);
  }

 private:
  void Line(int n, std::string_view line) {
    if (line.empty() || line.front() == ';') return;
    if (line.front() == '#') throw TScriptError(n, "preprocessor lines are not supported");
    if (line.front() == '[') {
      if (line.back() != ']') throw TScriptError(n, "a section name without its closing \"]\"");
      const std::string_view name = TrimBlanks(line.substr(1, line.size() - 2));
      for (const TSectionName& s : kSections)
        if (SameText(s.name, name)) {
          section_ = s.section;
          return;
        }
      throw TScriptError(n, "the section [" + std::string(name) + "] is not supported");
    }
    switch (section_) {
      case TSection::None: throw TScriptError(n, "a line before the first section");
      case TSection::Setup: return SetupLine(n, line);
      case TSection::Files: return FilesLine(n, line);
      case TSection::Registry: return RegistryLine(n, line);
      case TSection::Ini: return IniLine(n, line);
      case TSection::Icons: return IconsLine(n, line);
      case TSection::Run: return RunLine(n, line);
    }
  }

  void SetupLine(int n, std::string_view line) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) throw TScriptError(n, "expected \"Directive=value\" in [Setup]");
    const std::string_view name = TrimBlanks(line.substr(0, eq));
    std::string_view raw = TrimBlanks(line.substr(eq + 1));
    std::string value;
    if (!raw.empty() && raw.front() == '"') {
      if (raw.size() < 2 || raw.back() != '"') throw TScriptError(n, "a quoted value without its closing quote");
      raw = raw.substr(1, raw.size() - 2);
      for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '"') {
          if (i + 1 >= raw.size() || raw[i + 1] != '"') throw TScriptError(n, "a lone quote inside a quoted value (write \"\")");
          ++i;
        }
        value += raw[i];
      }
    } else {
      value.assign(raw);
    }
    CheckControlFree(n, name, value);

    struct TDirective {
      std::string_view name;
      void (TParser::*apply)(int, const std::string&);
    };
    static constexpr TDirective kDirectives[] = {
        {"AppName", &TParser::AppName},
        {"AppVerName", &TParser::AppVerName},
        {"AppVersion", &TParser::AppVersion},
        {"AppPublisher", &TParser::AppPublisher},
        {"AppPublisherURL", &TParser::AppPublisherURL},
        {"AppSupportURL", &TParser::AppSupportURL},
        {"AppUpdatesURL", &TParser::AppUpdatesURL},
        {"DefaultDirName", &TParser::DefaultDirName},
        {"DefaultGroupName", &TParser::DefaultGroupName},
        {"OutputDir", &TParser::OutputDir},
        {"OutputBaseFilename", &TParser::OutputBaseFilename},
        {"DiskSliceSize", &TParser::DiskSliceSize},
        {"WizardImageFile", &TParser::WizardImageFile},
        {"WizardSmallImageFile", &TParser::WizardSmallImageFile},
        {"SetupIconFile", &TParser::SetupIconFile},
    };
    for (const TDirective& d : kDirectives) {
      if (!SameText(d.name, name)) continue;
      if (std::find(seenDirectives_.begin(), seenDirectives_.end(), d.name) != seenDirectives_.end())
        throw TScriptError(n, "the directive " + std::string(d.name) + " is given twice");
      seenDirectives_.push_back(d.name);
      (this->*d.apply)(n, value);
      return;
    }
    throw TScriptError(n, "the [Setup] directive " + Quoted(name) + " is not supported");
  }

  void AppName(int n, const std::string& v) {
    script_.setup.appName = PlainText(n, "AppName", v);
    if (script_.setup.appName.empty()) throw TScriptError(n, "AppName is empty");
  }
  void AppVerName(int n, const std::string& v) { script_.setup.appVerName = PlainText(n, "AppVerName", v); }
  void AppVersion(int n, const std::string& v) { script_.setup.appVersion = PlainText(n, "AppVersion", v); }
  void AppPublisher(int n, const std::string& v) { script_.setup.appPublisher = PlainText(n, "AppPublisher", v); }
  void AppPublisherURL(int n, const std::string& v) { script_.setup.appPublisherURL = PlainText(n, "AppPublisherURL", v); }
  void AppSupportURL(int n, const std::string& v) { script_.setup.appSupportURL = PlainText(n, "AppSupportURL", v); }
  void AppUpdatesURL(int n, const std::string& v) { script_.setup.appUpdatesURL = PlainText(n, "AppUpdatesURL", v); }
  void DefaultDirName(int n, const std::string& v) {
    TDestination d = Destination(n, "DefaultDirName", v);
    if (d.folder == TFolder::App) throw TScriptError(n, "DefaultDirName cannot be inside {app}, which it defines");
    if (d.relative.empty()) throw TScriptError(n, "DefaultDirName must name a folder below " + d.ScriptText() + ", not the folder itself");
    script_.setup.defaultDirName = d;
  }
  void DefaultGroupName(int n, const std::string& v) {
    std::string g = PlainText(n, "DefaultGroupName", v);
    if (g.empty()) throw TScriptError(n, "DefaultGroupName is empty");
    if (auto why = CheckRelativePath(g)) throw TScriptError(n, "DefaultGroupName: " + *why);
    script_.setup.defaultGroupName = g;
  }
  void OutputDir(int n, const std::string& v) {
    script_.setup.outputDir = PlainText(n, "OutputDir", v);
    if (script_.setup.outputDir.empty()) throw TScriptError(n, "OutputDir is empty");
  }
  void OutputBaseFilename(int n, const std::string& v) {
    std::string name = PlainText(n, "OutputBaseFilename", v);
    if (auto why = CheckFileName(name)) throw TScriptError(n, "OutputBaseFilename: " + *why);
    script_.setup.outputBaseFilename = name;
  }

  void WizardImageFile(int n, const std::string& v) { PictureFile(n, "WizardImageFile", v, script_.setup.wizardImageFile, script_.setup.wizardImageLine); }
  void WizardSmallImageFile(int n, const std::string& v) {
    PictureFile(n, "WizardSmallImageFile", v, script_.setup.wizardSmallImageFile, script_.setup.wizardSmallImageLine);
  }
  void SetupIconFile(int n, const std::string& v) { PictureFile(n, "SetupIconFile", v, script_.setup.setupIconFile, script_.setup.setupIconLine); }
  void PictureFile(int n, const char* key, const std::string& v, std::string& file, int& line) {
    file = PlainText(n, key, v);
    if (file.empty()) throw TScriptError(n, std::string(key) + " is empty");
    line = n;
  }

  void DiskSliceSize(int n, const std::string& v) {
    // Up to 19 digits: no overflow.
    const bool number = !v.empty() && v.size() <= 19 && v.find_first_not_of("0123456789") == std::string::npos;
    uint64_t size = 0;
    if (number)
      for (char c : v) size = size * 10 + uint64_t(c - '0');
    if (!number || size < kMinDiskSliceSize)
      throw TScriptError(n, "DiskSliceSize must be a whole number of bytes, at least " + std::to_string(kMinDiskSliceSize) +
                                ", not " + Quoted(v));
    script_.setup.diskSliceSize = size;
  }

  void FilesLine(int n, std::string_view line) {
    TLineParameters p(n, "Files", line, {"Source", "DestDir", "DestName", "Flags"});
    TFileLine f;
    f.line = n;
    // A path of this computer: "{{" is a "{" of a folder's name.
    f.source = PlainText(n, "Source", p.Required("Source"));
    CheckControlFree(n, "Source", f.source);
    if (f.source.empty()) throw TScriptError(n, "Source is empty");
    if (f.source.find_first_of("*?") != std::string::npos) throw TScriptError(n, "wildcards in Source are not supported");
    if (f.source.back() == '\\' || f.source.back() == '/') throw TScriptError(n, "Source " + Quoted(f.source) + " names a folder");
    f.destDir = Destination(n, "DestDir", p.Required("DestDir"));
    if (auto name = p.Get("DestName")) {
      f.destName = PlainText(n, "DestName", *name);
      if (auto why = CheckFileName(f.destName)) throw TScriptError(n, "DestName: " + *why);
    } else if (auto why = CheckFileName(SourceFileName(f.source))) {
      throw TScriptError(n, "the file name of Source: " + *why);
    }
    if (f.destDir.folder == TFolder::App && f.destDir.relative.empty()) {
      const std::string name = f.destName.empty() ? SourceFileName(f.source) : f.destName;
      for (const char* reserved : {"unins000.exe", "unins000.dat"})
        if (SameText(name, reserved)) throw TScriptError(n, "{app}\\" + name + " is the uninstaller's own file");
    }
    const std::vector<std::string> flags = p.Flags({"uninsneveruninstall", "isreadme", "sharedfile"});
    f.neverUninstall = HasFlag(flags, "uninsneveruninstall");
    f.isReadme = HasFlag(flags, "isreadme");
    f.sharedFile = HasFlag(flags, "sharedfile");
    if (f.isReadme) {
      for (const TFileLine& other : script_.files)
        if (other.isReadme) throw TScriptError(n, "a second isreadme file (line " + std::to_string(other.line) + " has one)");
    }
    script_.files.push_back(std::move(f));
  }

  void RegistryLine(int n, std::string_view line) {
    TLineParameters p(n, "Registry", line, {"Root", "Subkey", "ValueType", "ValueName", "ValueData", "Flags"});
    TRegistryLine r;
    r.line = n;
    const std::string root = p.Required("Root");
    if (SameText(root, "HKCU")) r.root = TRegistryRoot::CurrentUser;
    else if (SameText(root, "HKLM")) r.root = TRegistryRoot::LocalMachine;
    else throw TScriptError(n, "the root key " + Quoted(root) + " is not supported (HKCU or HKLM)");
    r.subkey = PlainText(n, "Subkey", p.Required("Subkey"));
    CheckSubkey(n, r.subkey);
    const std::string type = p.Required("ValueType");
    if (!SameText(type, "string")) throw TScriptError(n, "the value type " + Quoted(type) + " is not supported (string only)");
    r.valueName = PlainText(n, "ValueName", p.Get("ValueName").value_or(""));
    CheckControlFree(n, "ValueName", r.valueName);
    r.valueData = ConstText(n, "ValueData", p.Get("ValueData").value_or(""));
    r.deleteKeyOnUninstall = HasFlag(p.Flags({"uninsdeletekey"}), "uninsdeletekey");
    script_.registry.push_back(std::move(r));
  }

  void IniLine(int n, std::string_view line) {
    TLineParameters p(n, "INI", line, {"Filename", "Section", "Key", "String"});
    TIniLine e;
    e.line = n;
    const std::string file = p.Required("Filename");
    if (file.find_first_of("\\/{") == std::string::npos) {
      if (auto why = CheckFileName(file)) throw TScriptError(n, "Filename: " + *why);
      e.file = {TFolder::Win, file};
    } else {
      e.file = Destination(n, "Filename", file);
      if (e.file.relative.empty()) throw TScriptError(n, "Filename names a folder, not a file");
    }
    e.section = PlainText(n, "Section", p.Required("Section"));
    CheckControlFree(n, "Section", e.section);
    if (e.section.empty() || e.section.find(']') != std::string::npos)
      throw TScriptError(n, "Section " + Quoted(e.section) + " is empty or holds \"]\"");
    e.key = PlainText(n, "Key", p.Required("Key"));
    CheckControlFree(n, "Key", e.key);
    if (e.key.empty() || e.key.find('=') != std::string::npos || e.key.front() == ';' || e.key.front() == '[')
      throw TScriptError(n, "Key " + Quoted(e.key) + " is empty, holds \"=\" or starts like a comment or section");
    e.value = ConstText(n, "String", p.Get("String").value_or(""));
    script_.ini.push_back(std::move(e));
  }

  void IconsLine(int n, std::string_view line) {
    TLineParameters p(n, "Icons", line, {"Name", "Filename", "Parameters"});
    TIconLine i;
    i.line = n;
    i.name = Destination(n, "Name", p.Required("Name"));
    if (i.name.relative.empty()) throw TScriptError(n, "Name must name a shortcut below " + i.name.ScriptText());
    i.target = ConstText(n, "Filename", p.Required("Filename"));
    if (i.target.pieces.empty()) throw TScriptError(n, "Filename is empty");
    if (auto parameters = p.Get("Parameters")) i.parameters = ConstText(n, "Parameters", *parameters);
    script_.icons.push_back(std::move(i));
  }

  void RunLine(int n, std::string_view line) {
    TLineParameters p(n, "Run", line, {"Filename", "Parameters", "Description", "Flags"});
    if (script_.run.size() == kMaxRunEntries)
      throw TScriptError(n, "more than " + std::to_string(kMaxRunEntries) + " [Run] entries (the Finished page holds that many)");
    TRunLine r;
    r.line = n;
    r.filename = ConstText(n, "Filename", p.Required("Filename"));
    if (r.filename.pieces.empty()) throw TScriptError(n, "Filename is empty");
    if (auto parameters = p.Get("Parameters")) r.parameters = ConstText(n, "Parameters", *parameters);
    const std::vector<std::string> flags = p.Flags({"postinstall", "nowait", "shellexec", "unchecked", "skipifsilent"});
    // The setup runs elevated: what it starts goes through the desktop's
    // shell as the user, so only entries that say so can be kept.
    for (const char* needed : {"postinstall", "nowait", "shellexec"})
      if (!HasFlag(flags, needed))
        throw TScriptError(n, "a [Run] entry needs the flags postinstall nowait shellexec (the flag " + Quoted(needed) + " is missing)");
    r.description = PlainText(n, "Description", p.Required("Description"));
    if (r.description.empty()) throw TScriptError(n, "Description is empty");
    r.unchecked = HasFlag(flags, "unchecked");
    r.skipIfSilent = HasFlag(flags, "skipifsilent");
    script_.run.push_back(std::move(r));
  }

  void Finish() {
    const TSetupDirectives& s = script_.setup;
    auto seen = [&](std::string_view d) { return std::find(seenDirectives_.begin(), seenDirectives_.end(), d) != seenDirectives_.end(); };
    for (std::string_view required : {"AppName", "DefaultDirName"})
      if (!seen(required)) throw TScriptError(0, "the [Setup] directive " + std::string(required) + " is missing");
    if (!seen("AppVerName")) {
      if (s.appVersion.empty()) throw TScriptError(0, "the [Setup] directive AppVerName is missing (or give AppVersion)");
      script_.setup.appVerName = s.appName + " version " + s.appVersion;
    }
    if (s.defaultGroupName.empty()) {
      if (auto why = CheckRelativePath(s.appName))
        throw TScriptError(0, "without DefaultGroupName the group is AppName, which cannot be a folder name: " + *why);
      script_.setup.defaultGroupName = s.appName;
    }
    if (s.outputDir.empty()) script_.setup.outputDir = "Output";
    if (s.outputBaseFilename.empty()) script_.setup.outputBaseFilename = "mysetup";
  }

  TSection section_ = TSection::None;
  std::vector<std::string_view> seenDirectives_;
  TScript script_;
};

std::string LineMessage(int line, const std::string& what) {
  return line > 0 ? "line " + std::to_string(line) + ": " + what : what;
}

}  // namespace

TScriptError::TScriptError(int line, const std::string& what) : std::runtime_error(LineMessage(line, what)), line_(line) {}

TScript ParseScript(std::string_view text) { return TParser().Run(text); }

std::vector<TParameter> SplitParameters(std::string_view line) {
  std::vector<TParameter> out;
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < line.size() && IsBlank(line[i])) ++i;
  };
  while (true) {
    skipBlanks();
    if (i >= line.size()) break;
    const size_t colon = line.find(':', i);
    if (colon == std::string_view::npos) throw std::invalid_argument("expected \"Name: value\"");
    TParameter p;
    p.name.assign(TrimBlanks(line.substr(i, colon - i)));
    if (p.name.empty() || !std::all_of(p.name.begin(), p.name.end(), [](char c) {
          return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        }))
      throw std::invalid_argument("expected a parameter name before \":\", found " + Quoted(p.name));
    i = colon + 1;
    skipBlanks();
    if (i < line.size() && line[i] == '"') {
      p.quoted = true;
      ++i;
      while (true) {
        if (i >= line.size()) throw std::invalid_argument("the value of " + p.name + " has no closing quote");
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            p.value += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        p.value += line[i++];
      }
      skipBlanks();
      if (i < line.size() && line[i] != ';') throw std::invalid_argument("text after the closing quote of " + p.name);
    } else {
      const size_t end = std::min(line.find(';', i), line.size());
      p.value.assign(TrimBlanks(line.substr(i, end - i)));
      if (p.value.find('"') != std::string::npos)
        throw std::invalid_argument("a quote inside the unquoted value of " + p.name);
      i = end;
    }
    if (std::any_of(p.value.begin(), p.value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
      throw std::invalid_argument("a control character in the value of " + p.name);
    if (!Utf8ToUtf16(p.value)) throw std::invalid_argument("bytes that are not UTF-8 in the value of " + p.name + " (save the script as UTF-8)");
    out.push_back(std::move(p));
    if (i < line.size()) ++i;  // the ";"
  }
  if (out.empty()) throw std::invalid_argument("expected \"Name: value\"");
  return out;
}

std::string SourceFileName(std::string_view source) { return std::string(FileNameOf(source)); }

}  // namespace vanta::build
