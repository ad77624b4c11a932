#include "startup/CommandLine.h"

#include "base/Text.h"

namespace vanta {
namespace {
// A handle that is not a signed 32-bit decimal number reads as 0.
TWindowHandle ReadHandle(const std::string& s) { return ParseDecimal32(Trim(s)).value_or(0); }
}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args,
                              const std::function<TWindowHandle()>& foreground) {
  TCommandLine cl;
  if (args.empty() || args[0].size() < 2) return cl;
  const char letter = UpperCase(args[0]).at(1);
  const bool hasHandle = args.size() >= 2;
  switch (letter) {
    case 'A':
      if (hasHandle) {
        cl.SaverMode = smChangePassword;
        cl.ParentWindow = ReadHandle(args[1]);
      }
      break;
    case 'C':
      cl.SaverMode = smConfigureAsked;
      break;
    case 'P':
      if (hasHandle) {
        cl.SaverMode = smPreview;
        cl.ParentWindow = ReadHandle(args[1]);
      }
      break;
    default:
      cl.SaverMode = smFullScreen;
      if (foreground) cl.PreviousForegroundWindow = foreground();
      break;
  }
  return cl;
}

}  // namespace vanta
