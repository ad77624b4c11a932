#include "Uninstall.h"

namespace vanta::build {

TUninstallReport Uninstall(const std::vector<TLogRecord>& records, IInstallTarget& target) {
  TUninstallReport report;
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    const TLogRecord& r = *it;
    try {
      switch (r.kind) {
        case TLogKind::Folder:
          if (target.FolderExists(r.path) && !target.RemoveFolderIfEmpty(r.path)) report.kept.push_back(r.path);
          break;
        case TLogKind::File:
        case TLogKind::Replace:
          if (r.neverUninstall) report.kept.push_back(r.path);
          else if (target.FileExists(r.path) && !target.RemoveFile(r.path)) report.problems.push_back("cannot delete " + r.path);
          break;
        case TLogKind::Key:
          target.DeleteKeyIfEmpty(r.root, r.path);
          break;
        case TLogKind::DeleteKey:
          target.DeleteKeyTree(r.root, r.path);
          break;
        case TLogKind::App:
        case TLogKind::Value:
        case TLogKind::Ini:
          break;
      }
    } catch (const std::exception& e) {
      report.problems.push_back(r.path + ": " + e.what());
    }
  }
  return report;
}

}  // namespace vanta::build
