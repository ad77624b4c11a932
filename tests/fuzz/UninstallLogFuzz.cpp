// The uninstaller reads its log from the install folder. Whatever the
// bytes: no crash, and every log it accepts writes back to a text that
// reads as the same records.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "setup/InstallLog.h"

using namespace vanta::build;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<TLogRecord> records;
  try {
    records = DecodeLog(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const TInstallError&) {
    return 0;
  }
  if (DecodeLog(EncodeLog(records)) != records) std::abort();
  return 0;
}
