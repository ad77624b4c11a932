// The uninstaller reads its log from the install folder and runs elevated.
// Whatever the bytes: no crash; every log it reads writes back to a text
// that reads as the same records; and a log it accepts (CheckLog) reaches
// nothing outside its roots: no file but inside the install folder or
// named by a file root, no key but inside a key root or above one.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "setup/InstallLog.h"

using namespace vanta::build;

namespace {
const std::string kApp = "C:\\Program Files\\My Saver";

bool Inside(const std::string& path, const std::string& folder) {
  if (path.size() < folder.size()) return false;
  for (size_t i = 0; i < folder.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(path[i])) != std::tolower(static_cast<unsigned char>(folder[i]))) return false;
  return path.size() == folder.size() || path[folder.size()] == '\\';
}

void CheckAccepted(const std::vector<TLogRecord>& records) {
  std::vector<const TLogRecord*> roots;
  for (const TLogRecord& r : records)
    if (r.kind == TLogKind::Root) roots.push_back(&r);
  for (const TLogRecord& r : records) {
    if (r.kind != TLogKind::File && r.kind != TLogKind::Replace && r.kind != TLogKind::DeleteKey) continue;
    bool covered = r.kind != TLogKind::DeleteKey && Inside(r.file, kApp) && r.file.find("..") == std::string::npos;
    for (const TLogRecord* root : roots) {
      if (r.kind == TLogKind::DeleteKey) covered |= root->rootKind == TRootKind::Key && root->root == r.root && Inside(r.subkey, root->subkey);
      else covered |= root->rootKind == TRootKind::File && Inside(r.file, root->file) && r.file.size() == root->file.size();
    }
    if (!covered) std::abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<TLogRecord> records;
  try {
    records = DecodeLog(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const TLogError&) {
    return 0;
  }
  if (DecodeLog(EncodeLog(records)) != records) std::abort();
  try {
    CheckLog(records, kApp);
  } catch (const TLogError&) {
    return 0;
  }
  CheckAccepted(records);
  return 0;
}
