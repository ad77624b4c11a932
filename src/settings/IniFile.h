// The settings file: an INI document bound to a file name.
//
// The file is read on first use and again on Reload(); every write reaches
// the disk at once, through a temporary file renamed over the old one, so a
// crash never leaves a half-written settings file. Inside a TBatch the
// writes are collected and reach the disk once, when the batch ends.
// A file that exists but cannot be read is never overwritten: writes to it
// throw instead of replacing the user's file with a few keys.
// Text is UTF-8 in memory. A file that is not valid UTF-8 was written in the
// system's legacy code page and is converted as it is read; writing gives
// UTF-8 (a plain ASCII file stays byte for byte), and a file that began
// with a byte-order mark keeps it.
// A file may have defaults: another file read in its place while it does not
// exist (a user's copy of settings that an installed file provides). Writes
// always go to the file itself, never to the defaults; such a file's first
// write also makes its folder.
#pragma once
#include <stdexcept>
#include <string>

#include "settings/IniDocument.h"

namespace vanta {

struct EIniFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class TIniFile {
 public:
  static constexpr size_t kMaxFileBytes = 64u << 20;

  explicit TIniFile(std::string fileName, std::string defaultsFileName = {})
      : fileName_(std::move(fileName)), defaultsFileName_(std::move(defaultsFileName)) {}
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  const std::string& FileName() const { return fileName_; }
  // Reads the file again, dropping what this object held.
  void Reload();
  // Writes pending batched changes; nothing when there are none.
  void UpdateFile();

  const TIniDocument& Document() { return Loaded(); }
  std::string ReadString(std::string_view s, std::string_view k, std::string_view def) { return Loaded().ReadString(s, k, def); }
  int32_t ReadInteger(std::string_view s, std::string_view k, int32_t def) { return Loaded().ReadInteger(s, k, def); }
  bool ReadBool(std::string_view s, std::string_view k, bool def) { return Loaded().ReadBool(s, k, def); }
  std::vector<std::string> ReadSectionKeys(std::string_view s) { return Loaded().ReadSectionKeys(s); }
  bool SectionExists(std::string_view s) { return Loaded().SectionExists(s); }

  void WriteString(std::string_view s, std::string_view k, std::string_view v);
  void WriteInteger(std::string_view s, std::string_view k, int32_t v);
  void WriteBool(std::string_view s, std::string_view k, bool v);
  void EraseSection(std::string_view s);
  TIniDocument::TPairs ReadSectionPairs(std::string_view s) { return Loaded().ReadSectionPairs(s); }
  void ReplaceSection(std::string_view s, const std::vector<std::pair<std::string, std::string>>& pairs);

  class TBatch {
   public:
    explicit TBatch(TIniFile& f) : file_(f) { ++file_.batchDepth_; }
    ~TBatch() noexcept(false);
    TBatch(const TBatch&) = delete;
    TBatch& operator=(const TBatch&) = delete;

   private:
    TIniFile& file_;
  };

 private:
  TIniDocument& Loaded();
  TIniDocument& ForWriting();
  void Changed();

  std::string fileName_;
  std::string defaultsFileName_;
  TIniDocument doc_;
  bool loaded_ = false;
  bool unreadable_ = false;
  bool dirty_ = false;
  bool byteOrderMark_ = false;
  int batchDepth_ = 0;
};

}  // namespace vanta
