#include "settings/IniFile.h"

#include <exception>

#include "base/Text.h"
#include "platform/Files.h"

namespace vanta {
namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

void TIniFile::Reload() {
  std::string text;
  platform::TReadResult r = platform::ReadWholeFile(fileName_, text, kMaxFileBytes);
  if (r == platform::TReadResult::Missing && !defaultsFileName_.empty() && defaultsFileName_ != fileName_)
    r = platform::ReadWholeFile(defaultsFileName_, text, kMaxFileBytes);
  byteOrderMark_ = text.starts_with(kByteOrderMark);
  if (byteOrderMark_) text.erase(0, kByteOrderMark.size());
  if (!IsValidUtf8(text)) text = platform::LegacyTextToUtf8(text);
  doc_ = TIniDocument(text);
  unreadable_ = r == platform::TReadResult::Failed;
  loaded_ = true;
  dirty_ = false;
}

TIniDocument& TIniFile::Loaded() {
  if (!loaded_) Reload();
  return doc_;
}

TIniDocument& TIniFile::ForWriting() {
  Loaded();
  if (unreadable_) throw EIniFileError("The settings file \"" + fileName_ + "\" cannot be read; it was not changed.");
  return doc_;
}

void TIniFile::Changed() {
  dirty_ = true;
  if (batchDepth_ == 0) UpdateFile();
}

void TIniFile::UpdateFile() {
  if (!dirty_) return;
  // A user's copy of installed settings: the first save makes its folder.
  if (!defaultsFileName_.empty()) platform::CreateFolders(ExtractFilePath(fileName_));
  if (!platform::WriteFileAtomically(fileName_, (byteOrderMark_ ? std::string(kByteOrderMark) : "") + doc_.Text()))
    throw EIniFileError("The settings file \"" + fileName_ + "\" could not be written.");
  dirty_ = false;
}

void TIniFile::WriteString(std::string_view s, std::string_view k, std::string_view v) {
  ForWriting().WriteString(s, k, v);
  Changed();
}

void TIniFile::WriteInteger(std::string_view s, std::string_view k, int32_t v) {
  ForWriting().WriteInteger(s, k, v);
  Changed();
}

void TIniFile::WriteBool(std::string_view s, std::string_view k, bool v) {
  ForWriting().WriteBool(s, k, v);
  Changed();
}

void TIniFile::EraseSection(std::string_view s) {
  if (!Loaded().SectionExists(s)) return;
  ForWriting().EraseSection(s);
  Changed();
}

void TIniFile::ReplaceSection(std::string_view s, const std::vector<std::pair<std::string, std::string>>& pairs) {
  ForWriting().ReplaceSection(s, pairs);
  Changed();
}

TIniFile::TBatch::~TBatch() noexcept(false) {
  if (--file_.batchDepth_ == 0 && std::uncaught_exceptions() == 0) file_.UpdateFile();
}

}  // namespace vanta
