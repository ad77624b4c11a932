#include "Uninstall.h"

#include <algorithm>

namespace vanta::build {
namespace {

bool Inside(const std::string& path, const std::string& folder) {
  if (path.size() <= folder.size() || path[folder.size()] != '\\') return false;
  return std::equal(folder.begin(), folder.end(), path.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? a + 32 : a) == (b >= 'A' && b <= 'Z' ? b + 32 : b);
  });
}

}  // namespace

TUninstallReport Uninstall(const std::vector<TLogRecord>& records, IInstallTarget& target) {
  TUninstallReport report;
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    const TLogRecord& r = *it;
    try {
      switch (r.kind) {
        case TLogKind::Folder:
          if (!target.FolderExists(r.path) || target.RemoveFolderIfEmpty(r.path)) break;
          // Holding only files that go at the restart, it goes after them;
          // holding anything else, Windows will not remove it then either.
          if (std::any_of(report.atRestart.begin(), report.atRestart.end(),
                          [&](const std::string& p) { return Inside(p, r.path); }) &&
              target.RemoveAtRestart(r.path))
            report.atRestart.push_back(r.path);
          else
            report.kept.push_back(r.path);
          break;
        case TLogKind::File:
        case TLogKind::Replace:
          if (r.neverUninstall) report.kept.push_back(r.path);
          else if (!target.FileExists(r.path) || target.RemoveFile(r.path)) break;
          else if (target.RemoveAtRestart(r.path)) report.atRestart.push_back(r.path);
          else report.problems.push_back("cannot delete " + r.path);
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
