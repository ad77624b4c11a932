#include "Compiler.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "IconFile.h"
#include "ProgramResources.h"
#include "Script.h"
#include "base/CompilerProtocol.h"
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

// The data of a spanned setup: "<base>-1.bin" and on, each filled to the
// slice size, each closed once full; all renamed into place by Commit.
class TPartSink : public IByteSink {
 public:
  TPartSink(std::string folder, std::string base, uint64_t slice, bool windowsPaths)
      : folder_(std::move(folder)), base_(std::move(base)), slice_(slice), windowsPaths_(windowsPaths) {}
  void Write(const void* data, size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      if (files_.empty() || parts_.back().size == slice_) {
        if (!files_.empty()) files_.back()->Close();
        parts_.push_back({SetupPartName(base_, parts_.size() + 1), 0});
        files_.push_back(std::make_unique<TAtomicFile>(JoinPath(folder_, parts_.back().name, windowsPaths_)));
      }
      const size_t n = size_t(std::min<uint64_t>(size, slice_ - parts_.back().size));
      files_.back()->Write(p, n);
      parts_.back().size += n;
      p += n;
      size -= n;
    }
  }
  const std::vector<TPackedPart>& Parts() const { return parts_; }
  const std::vector<std::unique_ptr<TAtomicFile>>& Files() const { return files_; }

 private:
  std::string folder_, base_;
  uint64_t slice_;
  bool windowsPaths_;
  std::vector<TPackedPart> parts_;
  std::vector<std::unique_ptr<TAtomicFile>> files_;
};

// A file the compile wrote, for the status lines and the end's text.
struct TWritten {
  std::string path;
  uint64_t size = 0;
};

// One compile, step by step; each step throws TCompileFailure with its code.
class TCompileRun {
 public:
  TCompileRun(const TCompileOptions& o, IBuildStatus& status)
      : o_(o), status_(status), started_(std::chrono::steady_clock::now()),
        scriptName_(o.scriptPath.substr(o.scriptPath.find_last_of(o.windowsPaths ? "\\/" : "/") + 1)),
        sources_(FolderOf(o.scriptPath, o.windowsPaths), o.maps, o.windowsPaths) {}

  std::vector<TWritten> Run() {
    status_.StatusLine("Compiling script: " + o_.scriptPath);
    ReadScript();
    OutputPath();
    ReadStub();
    GiveIcon();
    index_ = IndexOfScript(script_);
    ReadPictures();
    std::vector<TWritten> written = WriteSetup(PlanIndex());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    char taken[64];
    std::snprintf(taken, sizeof taken, "Time taken: %.2f s", seconds);
    status_.StatusLine(taken);
    return written;
  }

 private:
  std::string Where(int line, const char* key) const { return scriptName_ + ", line " + std::to_string(line) + ": " + key + ": "; }
  static std::string DestName(const TFileLine& f) { return f.destName.empty() ? SourceFileName(f.source) : f.destName; }

  void ReadScript() {
    std::string text;
    try {
      text = ReadWholeFile(o_.scriptPath);
    } catch (const std::runtime_error& e) {
      throw TCompileFailure{kBuildScriptError, e.what()};
    }
    try {
      script_ = ParseScript(text);
    } catch (const TScriptError& e) {
      throw TCompileFailure{kBuildScriptError, scriptName_ + ", " + e.what()};
    }
    if (SameText(script_.setup.outputBaseFilename, "setup"))
      status_.StatusLine("Warning: a setup named \"setup.exe\" gets extra libraries loaded by Windows; another name is safer");
  }

  void OutputPath() {
    try {
      outputFolder_ = sources_.Locate(script_.setup.outputDir);
      if (!MakeFolders(outputFolder_)) throw std::runtime_error("cannot create the folder \"" + outputFolder_ + "\"");
      output_ = JoinPath(outputFolder_, script_.setup.outputBaseFilename + ".exe", o_.windowsPaths);
    } catch (const std::runtime_error& e) {
      throw TCompileFailure{kBuildOutputError, std::string("OutputDir: ") + e.what()};
    }
  }

  void ReadStub() {
    try {
      stub_ = o_.stubBytes ? *o_.stubBytes : ReadWholeFile(o_.stubPath);
    } catch (const std::runtime_error& e) {
      throw TCompileFailure{kBuildInternalError, std::string("the setup program is missing: ") + e.what()};
    }
  }

  // SetupIconFile: the icon goes into the setup program's own resources,
  // where Explorer and the wizard's window find it.
  void GiveIcon() {
    const std::string& file = script_.setup.setupIconFile;
    if (file.empty()) return;
    const std::string at = Where(script_.setup.setupIconLine, "SetupIconFile") + file + ": ";
    std::vector<TIconEntry> images;
    try {
      images = ParseIconFile(ReadWholeFile(sources_.Locate(file)));
    } catch (const std::runtime_error& e) {
      throw TCompileFailure{kBuildSourceError, at + e.what()};
    }
    try {
      stub_ = WithIcon(stub_, images);
    } catch (const TProgramFileError& e) {
      throw TCompileFailure{kBuildInternalError, at + "the setup program cannot take it: " + e.what()};
    }
  }

  void ReadPictures() {
    const struct {
      const char* key;
      const std::string& file;
      int line;
      TWizardPicture& picture;
      uint32_t width, height;
    } pictures[] = {
        {"WizardImageFile", script_.setup.wizardImageFile, script_.setup.wizardImageLine, index_.wizardImage, kWizardImageWidth,
         kWizardImageHeight},
        {"WizardSmallImageFile", script_.setup.wizardSmallImageFile, script_.setup.wizardSmallImageLine, index_.wizardSmallImage,
         kWizardSmallImageSide, kWizardSmallImageSide},
    };
    for (const auto& p : pictures) {
      if (p.file.empty()) continue;
      const std::string at = Where(p.line, p.key) + p.file + ": ";
      try {
        if (!o_.readPicture) throw std::runtime_error("this compiler reads no pictures");
        p.picture = o_.readPicture(sources_.Locate(p.file), p.width, p.height);
      } catch (const std::runtime_error& e) {
        throw TCompileFailure{kBuildSourceError, at + e.what()};
      }
      if (p.picture.width != p.width || p.picture.height != p.height || p.picture.rows.size() != TWizardPicture::Stride(p.width) * p.height)
        throw TCompileFailure{kBuildInternalError, at + "the picture came back in another size"};
    }
  }

  // The sources' sizes decide whether the setup is one file (packing never
  // makes a file larger). One that cannot be opened fails in its turn later.
  bool PlanIndex() {
    for (const TFileLine& f : script_.files) {
      try {
        original_ += TSourceFile(sources_.Locate(f.source)).Size();
      } catch (const std::runtime_error&) {
      }
      TPackedFile bound;
      bound.folder = f.destDir;
      bound.name = DestName(f);
      bound.flags = kFileCompressed;  // its entry at its largest
      index_.files.push_back(bound);
    }
    const uint64_t slice = script_.setup.diskSliceSize;
    const uint64_t frame = stub_.size() + EncodeIndex(index_).size() + kTailSize;
    return original_ > slice || frame > slice - original_;
  }

  void PackFiles(TPayloadWriter& writer) {
    for (const TFileLine& f : script_.files) {
      const std::string where = Where(f.line, "Source");
      std::unique_ptr<TSourceFile> source;
      try {
        source = std::make_unique<TSourceFile>(sources_.Locate(f.source));
      } catch (const std::runtime_error& e) {
        throw TCompileFailure{kBuildSourceError, where + e.what()};
      }
      status_.StatusLine("File: " + f.source);
      const uint32_t flags = (f.neverUninstall ? uint32_t(kFileNeverUninstall) : 0u) |
                             (f.isReadme ? uint32_t(kFileIsReadme) : 0u) | (f.sharedFile ? uint32_t(kFileShared) : 0u);
      try {
        writer.AddFile(f.destDir, DestName(f), flags, *source);
      } catch (const TOutputError&) {
        throw;
      } catch (const std::runtime_error& e) {
        throw TCompileFailure{kBuildSourceError, where + e.what()};
      }
    }
  }

  std::vector<TWritten> WriteSetup(bool spanned) {
    const uint64_t slice = script_.setup.diskSliceSize;
    const std::string base = script_.setup.outputBaseFilename;
    std::vector<TWritten> written;
    try {
      TAtomicFile file(output_);
      file.Write(stub_.data(), stub_.size());
      TAtomicSink sink(file);
      TPartSink parts(outputFolder_, base, slice, o_.windowsPaths);
      TPayloadWriter writer(spanned ? static_cast<IByteSink&>(parts) : sink, o_.level);
      PackFiles(writer);
      index_.parts = parts.Parts();
      writer.Finish(index_, sink);
      const uint64_t setupSize = stub_.size() + writer.TotalSize() - (spanned ? writer.DataSize() : 0);
      if (spanned && setupSize > slice)
        throw TCompileFailure{kBuildOutputError, "the setup program and its index take " + WithThousands(setupSize) +
                                                     " bytes, more than DiskSliceSize"};
      written.push_back({output_, setupSize});
      for (size_t i = 0; i < parts.Parts().size(); ++i) written.push_back({parts.Files()[i]->Path(), parts.Parts()[i].size});
      Commit(file, parts);
      for (const TWritten& w : written) status_.StatusLine("Wrote \"" + w.path + "\" (" + std::to_string(w.size) + " bytes)");
      status_.StatusLine("Compressed size: " + WithThousands(writer.DataSize()) + " bytes of " + WithThousands(original_) +
                         " (setup " + WithThousands(stub_.size() + writer.TotalSize()) + " bytes" +
                         (spanned ? " in " + std::to_string(written.size()) + " files" : "") + ")");
    } catch (const std::runtime_error& e) {
      throw TCompileFailure{kBuildOutputError, e.what()};
    }
    return written;
  }

  // The parts first: a setup never names parts that are not there yet.
  // Should the setup itself fail, the parts it would have named go too.
  void Commit(TAtomicFile& file, const TPartSink& parts) {
    size_t committed = 0;
    try {
      for (; committed < parts.Files().size(); ++committed) parts.Files()[committed]->Commit();
      file.Commit();
    } catch (...) {
      for (size_t i = 0; i < committed; ++i) std::remove(parts.Files()[i]->Path().c_str());
      throw;
    }
    // Parts of an earlier, larger build of the same name would only mislead.
    for (size_t n = parts.Parts().size() + 1;; ++n)
      if (std::remove(JoinPath(outputFolder_, SetupPartName(script_.setup.outputBaseFilename, n), o_.windowsPaths).c_str()) != 0) break;
  }

  const TCompileOptions& o_;
  IBuildStatus& status_;
  const std::chrono::steady_clock::time_point started_;
  const std::string scriptName_;
  const TSourceFiles sources_;
  TScript script_;
  std::string outputFolder_, output_, stub_;
  TPayloadIndex index_;
  uint64_t original_ = 0;
};

}  // namespace

TPayloadIndex IndexOfScript(const TScript& s) {
  TPayloadIndex x;
  x.appName = s.setup.appName;
  x.appVerName = s.setup.appVerName;
  x.appVersion = s.setup.appVersion;
  x.appPublisher = s.setup.appPublisher;
  x.appPublisherURL = s.setup.appPublisherURL;
  x.appSupportURL = s.setup.appSupportURL;
  x.appUpdatesURL = s.setup.appUpdatesURL;
  x.defaultDirName = s.setup.defaultDirName;
  x.defaultGroupName = s.setup.defaultGroupName;
  for (const TRegistryLine& r : s.registry)
    x.registry.push_back({r.root, r.subkey, r.valueName, r.valueData, r.deleteKeyOnUninstall});
  for (const TIniLine& i : s.ini) x.ini.push_back({i.file, i.section, i.key, i.value});
  for (const TIconLine& i : s.icons) x.icons.push_back({i.name, i.target, i.parameters});
  for (const TRunLine& r : s.run)
    x.run.push_back({r.filename, r.parameters, r.description,
                     uint8_t((r.unchecked ? kRunUnchecked : 0) | (r.skipIfSilent ? kRunSkipIfSilent : 0))});
  return x;
}

int Compile(const TCompileOptions& options, IBuildStatus& status) {
  int code = kBuildOk;
  std::string text;
  try {
    // Every file written, the setup first, one a line.
    for (const TWritten& w : TCompileRun(options, status).Run()) text += (text.empty() ? "" : "\r\n") + w.path;
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
