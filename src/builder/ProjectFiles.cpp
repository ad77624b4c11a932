#include "builder/ProjectFiles.h"

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

void LoadProject(TIniFile& ini, const std::string& project) {
  WriteWhole(ini.FileName(), ReadProjectBytes(project), "the settings file");
  ini.Reload();
}

}  // namespace vanta
