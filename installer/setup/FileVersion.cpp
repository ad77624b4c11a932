#include "FileVersion.h"

namespace vanta::build {
namespace {

uint32_t Dword(std::string_view b, size_t at) {
  return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
         uint32_t(uint8_t(b[at + 3])) << 24;
}

}  // namespace

uint64_t FileVersion(std::string_view bytes) {
  // VS_VERSIONINFO: three words, the key "VS_VERSION_INFO" in UTF-16 with
  // its terminator (32 bytes), padding to a 32-bit boundary, then
  // VS_FIXEDFILEINFO, which begins with its signature.
  static constexpr char kKey[] = "V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0";
  const std::string_view key(kKey, sizeof kKey);  // 32 bytes with the final zero
  constexpr uint32_t kSignature = 0xFEEF04BD;
  for (size_t at = bytes.find(key); at != std::string_view::npos; at = bytes.find(key, at + 1)) {
    if (at < 6 || (at - 6) % 4 != 0) continue;
    const size_t fixed = at - 6 + 40;
    if (fixed + 16 > bytes.size() || Dword(bytes, fixed) != kSignature) continue;
    return uint64_t(Dword(bytes, fixed + 8)) << 32 | Dword(bytes, fixed + 12);
  }
  return 0;
}

}  // namespace vanta::build
