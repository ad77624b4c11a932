#include "CommandLine.h"

namespace vanta::build {

std::variant<TCompileOptions, std::string> ParseArguments(const std::vector<std::string>& args,
                                                          const std::string& defaultStub, bool windowsPaths) {
  TCompileOptions o;
  o.windowsPaths = windowsPaths;
  o.stubPath = defaultStub;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--map" || a == "--stub" || a == "--level") {
      if (!hasValue) return a + " needs a value";
      const std::string& v = args[++i];
      if (a == "--map") {
        const std::optional<TDriveMap> m = ParseDriveMap(v);
        if (!m) return "--map takes DRIVE:=FOLDER, as C:=/srv/c (not \"" + v + "\")";
        o.maps.push_back(*m);
      } else if (a == "--stub") {
        o.stubPath = v;
      } else {
        if (v.empty() || v.size() > 2 || v.find_first_not_of("0123456789") != std::string::npos || std::stoi(v) < 1 ||
            std::stoi(v) > 19)
          return "--level takes 1 to 19";
        o.level = std::stoi(v);
      }
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return "unknown option " + a;
    } else if (!o.scriptPath.empty()) {
      return "one script only (\"" + o.scriptPath + "\" and \"" + a + "\")";
    } else {
      o.scriptPath = a;
    }
  }
  if (o.scriptPath.empty()) return std::string("no script given");
  return o;
}

}  // namespace vanta::build
