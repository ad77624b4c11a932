#include "SetupCommandLine.h"

#include <algorithm>

#include "TextRules.h"

namespace vanta::build {
namespace {

std::string Unquoted(std::string v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

TSetupCommand ParseSetupCommand(const std::vector<std::string>& args) {
  TSetupCommand c;
  for (const std::string& a : args) {
    if (a.empty() || (a[0] != '/' && a[0] != '-')) {
      c.ignored.push_back(a);
      continue;
    }
    const size_t eq = a.find('=');
    const std::string name = UpperText(a.substr(1, eq == std::string::npos ? std::string::npos : eq - 1));
    const std::optional<std::string> value = eq == std::string::npos ? std::nullopt : std::optional(Unquoted(a.substr(eq + 1)));
    if (name == "SILENT" && !value) {
      if (c.quiet == TQuietness::Normal) c.quiet = TQuietness::Silent;
    } else if (name == "VERYSILENT" && !value) {
      c.quiet = TQuietness::VerySilent;
    } else if (name == "SUPPRESSMSGBOXES" && !value) {
      c.suppressMessageBoxes = true;
    } else if (name == "NORESTART" && !value) {
      c.noRestart = true;
    } else if (name == "NOCANCEL" && !value) {
      c.noCancel = true;
    } else if (name == "NOICONS" && !value) {
      c.noIcons = true;
    } else if (name == "DIR" && value) {
      c.dir = *value;
    } else if (name == "GROUP" && value) {
      c.group = *value;
    } else if (name == "LOG") {
      c.log = true;
      c.logFile = value.value_or("");
    } else if (name == "UNINSTALLFROM" && value) {
      c.uninstallFrom = *value;
    } else if (name == "WAITPID" && value && !value->empty() && value->size() <= 9 &&
               value->find_first_not_of("0123456789") == std::string::npos) {
      c.waitPid = std::stoul(*value);
    } else {
      c.ignored.push_back(a);
    }
  }
  return c;
}

std::string NumberedLogName(const std::string& path, int n) {
  if (n == 0) return path;
  const size_t name = path.find_last_of("\\/:") + 1;  // npos + 1 is 0
  const size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot > name;
  const std::string number = "." + std::to_string(n);
  return hasExtension ? path.substr(0, dot) + number + path.substr(dot) : path + number;
}

std::string CopyCommandLine(const TSetupCommand& c, const std::string& from, unsigned long pid) {
  std::string s = "/UNINSTALLFROM=\"" + from + "\" /WAITPID=" + std::to_string(pid);
  if (c.quiet == TQuietness::Silent) s += " /SILENT";
  if (c.quiet == TQuietness::VerySilent) s += " /VERYSILENT";
  if (c.suppressMessageBoxes) s += " /SUPPRESSMSGBOXES";
  if (c.log) s += c.logFile.empty() ? " /LOG" : " /LOG=\"" + c.logFile + "\"";
  return s;
}

}  // namespace vanta::build
