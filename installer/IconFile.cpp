#include "IconFile.h"

#include <cstring>
#include <stdexcept>

namespace vanta::build {
namespace {

uint16_t U16(std::string_view b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }
uint32_t U32(std::string_view b, size_t at) { return uint32_t(U16(b, at)) | uint32_t(U16(b, at + 2)) << 16; }
void Put16(std::string& s, uint16_t v) {
  s += char(v & 0xFF);
  s += char(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, uint16_t(v));
  Put16(s, uint16_t(v >> 16));
}

constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);
constexpr size_t kDirectoryEntry = 16;

// The directory's common part: w h colors reserved planes bitCount bytes.
void PutEntryHead(std::string& s, const TIconEntry& e) {
  s += char(e.width);
  s += char(e.height);
  s += char(e.colors);
  s += '\0';
  Put16(s, e.planes);
  Put16(s, e.bitCount);
  Put32(s, uint32_t(e.bytes.size()));
}

}  // namespace

std::vector<TIconEntry> ParseIconFile(std::string_view file) {
  if (file.size() < 6 || U16(file, 0) != 0 || U16(file, 2) != 1) throw std::runtime_error("not an icon file (.ico)");
  const size_t count = U16(file, 4);
  if (count == 0) throw std::runtime_error("the icon file holds no image");
  if (count > kMaxIconImages) throw std::runtime_error("the icon file holds more than " + std::to_string(kMaxIconImages) + " images");
  if (file.size() < 6 + count * kDirectoryEntry) throw std::runtime_error("the icon file ends early");
  std::vector<TIconEntry> images;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = 6 + i * kDirectoryEntry;
    TIconEntry e;
    e.width = uint8_t(file[at]);
    e.height = uint8_t(file[at + 1]);
    e.colors = uint8_t(file[at + 2]);
    e.planes = U16(file, at + 4);
    e.bitCount = U16(file, at + 6);
    const uint32_t size = U32(file, at + 8), offset = U32(file, at + 12);
    if (size == 0 || offset > file.size() || size > file.size() - offset)
      throw std::runtime_error("image " + std::to_string(i + 1) + " of the icon file lies beyond its end");
    e.bytes = std::string(file.substr(offset, size));
    const bool png = e.bytes.compare(0, kPngSignature.size(), kPngSignature) == 0;
    const bool bitmap = e.bytes.size() >= 40 && U32(e.bytes, 0) >= 40 && U32(e.bytes, 0) <= e.bytes.size() && U16(e.bytes, 12) == 1;
    if (!png && !bitmap) throw std::runtime_error("image " + std::to_string(i + 1) + " of the icon file is neither a bitmap nor PNG");
    // Some tools leave the depth out; Windows picks an image by it.
    if (e.bitCount == 0) e.bitCount = png ? 32 : U16(e.bytes, 14);
    if (e.planes == 0) e.planes = 1;
    images.push_back(std::move(e));
  }
  return images;
}

std::string GroupIconBytes(const std::vector<TIconEntry>& images, uint16_t firstId) {
  std::string s;
  Put16(s, 0);
  Put16(s, 1);
  Put16(s, uint16_t(images.size()));
  for (size_t i = 0; i < images.size(); ++i) {
    PutEntryHead(s, images[i]);
    Put16(s, uint16_t(firstId + i));
  }
  return s;
}

std::string IconFileBytes(const std::vector<TIconEntry>& images) {
  std::string s;
  Put16(s, 0);
  Put16(s, 1);
  Put16(s, uint16_t(images.size()));
  size_t offset = 6 + images.size() * kDirectoryEntry;
  for (const TIconEntry& e : images) {
    PutEntryHead(s, e);
    Put32(s, uint32_t(offset));
    offset += e.bytes.size();
  }
  for (const TIconEntry& e : images) s += e.bytes;
  return s;
}

}  // namespace vanta::build
