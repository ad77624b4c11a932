#include "Handshake.h"

#include "PathText.h"

namespace vanta::build {

std::optional<std::string> CheckHandshake(const THandshake& h) {
  if (!h.fromPrivateFolder) return "this program is not the uninstaller's own copy";
  if (!h.handed) return "no uninstaller started this copy";
  if (h.handed->directory) return "what started this copy is a folder, not the uninstaller";
  if (!h.uninstaller || h.uninstaller->directory || !(*h.uninstaller == *h.handed))
    return "what started this copy is not the uninstaller of that folder";
  if (!h.released) return "the uninstaller that started this copy did not end in time";
  return std::nullopt;
}

bool InPrivateUninstallFolder(const std::string& self, const std::string& tempFolder) {
  std::string temp = tempFolder;
  while (!temp.empty() && temp.back() == '\\') temp.pop_back();
  const std::string folder = ParentFolder(self);
  if (temp.empty() || !SameText(ParentFolder(folder), temp)) return false;
  const std::string leaf = LowerText(folder.substr(folder.find_last_of('\\') + 1));
  const std::string prefix = kPrivateUninstallPrefix;
  return leaf.size() > prefix.size() && leaf.compare(0, prefix.size(), prefix) == 0 &&
         leaf.find_first_not_of("0123456789abcdef", prefix.size()) == std::string::npos;
}

}  // namespace vanta::build
