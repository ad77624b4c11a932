#include "builder/ProjectFiles.h"

#include <unordered_map>

#include "base/Text.h"
#include "platform/Files.h"

namespace vanta {
namespace {

std::string ReadProjectBytes(const std::string& path) {
  std::string bytes;
  switch (platform::ReadWholeFile(path, bytes, kMaxProjectBytes)) {
    case platform::TReadResult::Ok: return bytes;
    case platform::TReadResult::Missing: throw TProjectError("The project \"" + path + "\" does not exist.");
    case platform::TReadResult::Failed: break;
  }
  throw TProjectError("The project \"" + path + "\" cannot be read (or is larger than 16 MB).");
}

void WriteWhole(const std::string& path, const std::string& bytes, const std::string& what) {
  if (!platform::WriteFileAtomically(path, bytes)) throw TProjectError("Could not write " + what + " \"" + path + "\".");
}

}  // namespace

std::string ProjectFileName(const std::string& chosen) {
  return ContainsNoCase(chosen, kProjectExt) ? chosen : chosen + kProjectExt;
}

void SaveProjectAs(TIniFile& ini, const std::string& project, const std::function<void()>& commit) {
  const std::string working = ini.FileName();
  const std::string backup = working + ".bak";
  ini.UpdateFile();
  std::string before;
  const platform::TReadResult had = platform::ReadWholeFile(working, before, TIniFile::kMaxFileBytes);
  if (had == platform::TReadResult::Failed)
    throw TProjectError("The settings file \"" + working + "\" cannot be read; the project was not saved.");
  const bool existed = had == platform::TReadResult::Ok;
  if (existed) WriteWhole(backup, before, "the backup");

  std::string error;
  try {
    commit();
    ini.UpdateFile();
    std::string state;
    if (platform::ReadWholeFile(working, state, TIniFile::kMaxFileBytes) != platform::TReadResult::Ok)
      throw TProjectError("The settings file \"" + working + "\" cannot be read; the project was not saved.");
    WriteWhole(project, state, "the project");
  } catch (const std::exception& e) {
    error = e.what();
  }
  // The working file as it was, whatever happened above.
  if (existed) {
    WriteWhole(working, before, "the settings file");
    platform::RemoveFile(backup);
  } else {
    platform::RemoveFile(working);
  }
  ini.Reload();
  if (!error.empty()) throw TProjectError(error);
}

TMissingMedia FindMissingMedia(const TMediaList& pictures, const TMediaList& music) {
  TMissingMedia m;
  for (const TListEntry& e : pictures.Items)
    if (!platform::FileExists(e.Text)) m.Pictures.push_back(e.Text);
  for (const TListEntry& e : music.Items)
    if (!platform::FileExists(e.Text)) m.Music.push_back(e.Text);
  return m;
}

std::string MissingMediaReport(const TMissingMedia& m) {
  if (m.Count() == 0) return {};
  const auto count = [](size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string what;
  if (!m.Pictures.empty()) what = count(m.Pictures.size(), "picture", "pictures");
  if (!m.Music.empty()) what += (what.empty() ? "" : " and ") + count(m.Music.size(), "music file", "music files");
  std::string text = "This project names " + what + " that " + (m.Count() == 1 ? "is" : "are") + " not there:\r\n";
  size_t shown = 0;
  for (const auto* list : {&m.Pictures, &m.Music})
    for (const std::string& path : *list)
      if (shown++ < kMissingNamesShown) text += "    " + path + "\r\n";
  if (m.Count() > kMissingNamesShown) text += "    and " + std::to_string(m.Count() - kMissingNamesShown) + " more\r\n";
  return text + "\r\nThey stay in the lists until you remove them. Look for them in another folder?";
}

size_t FindMissingIn(TMediaList& list, const std::string& folder) {
  constexpr size_t kMaxFilesSearched = 200000;
  std::unordered_map<std::string, std::string> byName;
  for (std::string& path : FilesUnder(folder, kMaxFilesSearched))
    byName.try_emplace(LowerCase(ExtractFileName(path)), std::move(path));
  size_t found = 0;
  for (TListEntry& e : list.Items) {
    if (platform::FileExists(e.Text)) continue;
    const auto it = byName.find(LowerCase(ExtractFileName(e.Text)));
    if (it == byName.end()) continue;
    e.Text = it->second;
    ++found;
  }
  return found;
}

void LoadProject(TIniFile& ini, const std::string& project) {
  WriteWhole(ini.FileName(), ReadProjectBytes(project), "the settings file");
  ini.Reload();
}

}  // namespace vanta
