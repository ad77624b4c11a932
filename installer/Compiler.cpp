#include "Compiler.h"

#include <chrono>
#include <memory>
#include <cstdio>
#include <stdexcept>

#include "Script.h"
#include "TextRules.h"

namespace vanta::build {
namespace {

// A failure that ends the compile with its code.
struct TCompileFailure {
  int code;
  std::string text;
};

std::string FolderOf(const std::string& path, bool windowsPaths) {
  const size_t cut = windowsPaths ? path.find_last_of("\\/") : path.find_last_of('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string JoinPath(const std::string& folder, const std::string& name, bool windowsPaths) {
  if (folder.empty()) return name;
  const char sep = windowsPaths ? '\\' : '/';
  const char last = folder.back();
  if (last == '/' || (windowsPaths && last == '\\')) return folder + name;
  return folder + sep + name;
}

std::string WithThousands(uint64_t n) {
  std::string digits = std::to_string(n), s;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) s += ',';
    s += digits[i];
  }
  return s;
}

class TAtomicSink : public IByteSink {
 public:
  explicit TAtomicSink(TAtomicFile& file) : file_(file) {}
  void Write(const void* data, size_t size) override { file_.Write(data, size); }

 private:
  TAtomicFile& file_;
};

std::string Run(const TCompileOptions& o, IBuildStatus& status) {
  const auto started = std::chrono::steady_clock::now();
  const std::string scriptName = o.scriptPath.substr(o.scriptPath.find_last_of(o.windowsPaths ? "\\/" : "/") + 1);
  status.StatusLine("Compiling script: " + o.scriptPath);

  std::string text;
  try {
    text = ReadWholeFile(o.scriptPath);
  } catch (const std::runtime_error& e) {
    throw TCompileFailure{kBuildScriptError, e.what()};
  }
  TScript script;
  try {
    script = ParseScript(text);
  } catch (const TScriptError& e) {
    throw TCompileFailure{kBuildScriptError, scriptName + ", " + e.what()};
  }
  if (SameText(script.setup.outputBaseFilename, "setup"))
    status.StatusLine("Warning: a setup named \"setup.exe\" gets extra libraries loaded by Windows; another name is safer");

  const TSourceFiles sources(FolderOf(o.scriptPath, o.windowsPaths), o.maps, o.windowsPaths);
  std::string outputFolder, output;
  try {
    outputFolder = sources.Locate(script.setup.outputDir);
    if (!MakeFolders(outputFolder)) throw std::runtime_error("cannot create the folder \"" + outputFolder + "\"");
    output = JoinPath(outputFolder, script.setup.outputBaseFilename + ".exe", o.windowsPaths);
  } catch (const std::runtime_error& e) {
    throw TCompileFailure{kBuildOutputError, std::string("OutputDir: ") + e.what()};
  }

  std::string stub;
  try {
    stub = o.stubBytes ? *o.stubBytes : ReadWholeFile(o.stubPath);
  } catch (const std::runtime_error& e) {
    throw TCompileFailure{kBuildInternalError, std::string("the setup program is missing: ") + e.what()};
  }

  try {
    TAtomicFile file(output);
    file.Write(stub.data(), stub.size());
    TAtomicSink sink(file);
    TPayloadWriter writer(sink, o.level);
    uint64_t original = 0;
    for (const TFileLine& f : script.files) {
      const std::string where = scriptName + ", line " + std::to_string(f.line) + ": Source: ";
      std::unique_ptr<TSourceFile> file;
      try {
        file = std::make_unique<TSourceFile>(sources.Locate(f.source));
      } catch (const std::runtime_error& e) {
        throw TCompileFailure{kBuildSourceError, where + e.what()};
      }
      status.StatusLine("File: " + f.source);
      const uint32_t flags = (f.neverUninstall ? uint32_t(kFileNeverUninstall) : 0u) |
                             (f.isReadme ? uint32_t(kFileIsReadme) : 0u) | (f.sharedFile ? uint32_t(kFileShared) : 0u);
      try {
        writer.AddFile(f.destDir, f.destName.empty() ? SourceFileName(f.source) : f.destName, flags, *file);
      } catch (const TOutputError&) {
        throw;
      } catch (const std::runtime_error& e) {
        throw TCompileFailure{kBuildSourceError, where + e.what()};
      }
      original += file->Size();
    }
    writer.Finish(IndexOfScript(script));
    file.Commit();
    status.StatusLine("Compressed size: " + WithThousands(writer.DataSize()) + " bytes of " + WithThousands(original) +
                      " (setup " + WithThousands(stub.size() + writer.TotalSize()) + " bytes)");
  } catch (const std::runtime_error& e) {
    throw TCompileFailure{kBuildOutputError, e.what()};
  }

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  char taken[64];
  std::snprintf(taken, sizeof taken, "Time taken: %.2f s", seconds);
  status.StatusLine(taken);
  return output;
}

}  // namespace

TPayloadIndex IndexOfScript(const TScript& s) {
  TPayloadIndex x;
  x.appName = s.setup.appName;
  x.appVerName = s.setup.appVerName;
  x.defaultDirName = s.setup.defaultDirName;
  x.defaultGroupName = s.setup.defaultGroupName;
  for (const TRegistryLine& r : s.registry)
    x.registry.push_back({r.root, r.subkey, r.valueName, r.valueData, r.deleteKeyOnUninstall});
  for (const TIniLine& i : s.ini) x.ini.push_back({i.file, i.section, i.key, i.value});
  for (const TIconLine& i : s.icons) x.icons.push_back({i.name, i.target, i.parameters});
  return x;
}

int Compile(const TCompileOptions& options, IBuildStatus& status) {
  int code = kBuildOk;
  std::string text;
  try {
    text = "Setup written: " + Run(options, status);
  } catch (const TCompileFailure& f) {
    code = f.code;
    text = f.text;
  } catch (const std::exception& e) {
    code = kBuildInternalError;
    text = std::string("internal error: ") + e.what();
  }
  status.Finished(code, text);
  return code;
}

}  // namespace vanta::build
