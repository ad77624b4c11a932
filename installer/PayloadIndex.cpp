// The index's bytes, read (the encoder, which the setup program does not
// carry, is IndexEncoder.cpp). Strings are a 32-bit length and the bytes; a
// destination is its folder byte and relative path; expandable texts are
// kept in script form and read back through the same constant parser.
//   appName appVerName appVersion publisher publisherURL supportURL updatesURL
//   defaultDir defaultGroup
//   u32 n, n x part:     name u64 size
//   u32 n, n x file:     folder name u64 size u64 stored u32 flags u8 delta
//                        u64 checksum, u64 checksum of the stored bytes if compressed,
//                        32 bytes SHA-256 of the stored bytes
//   u32 n, n x registry: u8 root subkey valueName valueData u8 deleteKey
//   u32 n, n x ini:      file section key value
//   u32 n, n x icon:     name target parameters
//   u32 n, n x run:      filename parameters description u8 flags
//   2 x picture:         u32 width u32 height, u32 n and n bytes: the rows
//                        as a zstd frame (none: 0 0 0)
#include <cstdint>
#include <zstd.h>

#include <cstring>

#include "Payload.h"
#include "PathRules.h"

namespace vanta::build {
namespace {

class TDecoder {
 public:
  explicit TDecoder(std::string_view bytes) : rest_(bytes) {}

  uint8_t U8() { return uint8_t(Take(1)[0]); }
  uint32_t U32() {
    const std::string_view b = Take(4);
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | uint8_t(b[i]);
    return v;
  }
  TDigest Digest() {
    const std::string_view b = Take(32);
    TDigest d;
    std::memcpy(d.data(), b.data(), d.size());
    return d;
  }
  uint64_t U64() {
    const std::string_view b = Take(8);
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | uint8_t(b[i]);
    return v;
  }
  std::string Str() {
    const uint32_t n = U32();
    if (n > kMaxIndexString) throw TPayloadError("a text of the index is too long");
    const std::string_view s = Take(n);
    for (char c : s)
      if (static_cast<unsigned char>(c) < 0x20) throw TPayloadError("a control character in a text of the index");
    return std::string(s);
  }
  std::string Blob() {
    const uint32_t n = U32();
    return std::string(Take(n));
  }
  TDestination Dest() {
    const uint8_t f = U8();
    if (!IsValidFolderByte(f)) throw TPayloadError("an unknown folder constant in the index");
    TDestination d{static_cast<TFolder>(f), Str()};
    if (auto why = CheckRelativePath(d.relative)) throw TPayloadError("a destination escapes its folder: " + *why);
    if (d.relative.find('/') != std::string::npos) throw TPayloadError("a destination with \"/\"");
    return d;
  }
  TConstText Text() {
    std::string why;
    const std::optional<TConstText> t = ParseConstText(Str(), &why);
    if (!t) throw TPayloadError("a text of the index: " + why);
    return *t;
  }
  // Every entry takes at least `minBytes`, which bounds a count before any
  // memory is reserved for it.
  size_t Count(size_t minBytes) {
    const uint32_t n = U32();
    if (uint64_t(n) * minBytes > rest_.size()) throw TPayloadError("an entry count beyond the index");
    return n;
  }
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view Take(size_t n) {
    if (n > rest_.size()) throw TPayloadError("the index ends early");
    const std::string_view b = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return b;
  }
  std::string_view rest_;
};

// A picture's rows from their zstd frame (IndexEncoder.cpp), exactly `size` bytes.
std::string UnpackedRows(const std::string& packed, size_t size) {
  if (ZSTD_getFrameContentSize(packed.data(), packed.size()) != size) throw TPayloadError("a picture of the pages that is not the size it says");
  std::string rows(size, '\0');
  const size_t n = ZSTD_decompress(rows.data(), rows.size(), packed.data(), packed.size());
  if (ZSTD_isError(n) || n != size) throw TPayloadError("a picture of the pages is damaged");
  return rows;
}

}  // namespace

namespace {

void DecodeHead(TDecoder& d, TPayloadIndex& x) {
  x.appName = d.Str();
  x.appVerName = d.Str();
  for (std::string* s : {&x.appVersion, &x.appPublisher, &x.appPublisherURL, &x.appSupportURL, &x.appUpdatesURL}) *s = d.Str();
  x.defaultDirName = d.Dest();
  x.defaultGroupName = d.Str();
  if (x.defaultDirName.relative.empty() || x.defaultDirName.folder == TFolder::App)
    throw TPayloadError("the default folder is not below a folder constant");
  if (auto why = CheckRelativePath(x.defaultGroupName)) throw TPayloadError("the group: " + *why);
  const size_t n = d.Count(4 + 8);
  for (size_t i = 0; i < n; ++i) {
    TPackedPart p;
    p.name = d.Str();
    if (auto why = CheckFileName(p.name)) throw TPayloadError("a part's name: " + *why);
    p.size = d.U64();
    if (p.size == 0) throw TPayloadError("an empty part");
    x.parts.push_back(std::move(p));
  }
}

TPackedFile DecodeFile(TDecoder& d) {
  TPackedFile f;
  f.folder = d.Dest();
  f.name = d.Str();
  if (auto why = CheckFileName(f.name)) throw TPayloadError("a file name: " + *why);
  f.size = d.U64();
  f.storedSize = d.U64();
  f.flags = d.U32();
  if (f.flags & ~uint32_t(kFileKnownFlags)) throw TPayloadError("unknown file flags");
  if ((f.flags & kFileCompressed) ? f.storedSize >= f.size || f.storedSize == 0 : f.storedSize != f.size)
    throw TPayloadError("a stored size that does not fit the file's size");
  f.delta = d.U8();
  if (f.delta > kMaxDelta || (f.delta != 0 && !(f.flags & kFileCompressed)))
    throw TPayloadError("a difference filter that does not fit the file");
  f.checksum = d.U64();
  f.storedChecksum = (f.flags & kFileCompressed) ? d.U64() : f.checksum;
  f.storedDigest = d.Digest();
  return f;
}

TPackedRegistry DecodeRegistry(TDecoder& d) {
  TPackedRegistry r;
  const uint8_t root = d.U8();
  if (root != uint8_t(TRegistryRoot::CurrentUser) && root != uint8_t(TRegistryRoot::LocalMachine))
    throw TPayloadError("an unknown registry root");
  r.root = static_cast<TRegistryRoot>(root);
  r.subkey = d.Str();
  if (r.subkey.empty() || r.subkey.front() == '\\' || r.subkey.back() == '\\' || r.subkey.find("\\\\") != std::string::npos)
    throw TPayloadError("a registry key with an empty name");
  r.valueName = d.Str();
  r.valueData = d.Text();
  const uint8_t del = d.U8();
  if (del > 1) throw TPayloadError("an unknown registry flag");
  r.deleteKeyOnUninstall = del == 1;
  return r;
}

TPackedIni DecodeIni(TDecoder& d) {
  TPackedIni e;
  e.file = d.Dest();
  if (e.file.relative.empty()) throw TPayloadError("an INI file that is a folder");
  e.section = d.Str();
  e.key = d.Str();
  if (e.section.empty() || e.key.empty() || e.section.find(']') != std::string::npos || e.key.find('=') != std::string::npos)
    throw TPayloadError("an INI section or key that cannot be written");
  e.value = d.Text();
  return e;
}

TPackedIcon DecodeIcon(TDecoder& d) {
  TPackedIcon c;
  c.name = d.Dest();
  if (c.name.relative.empty()) throw TPayloadError("a shortcut that is a folder");
  c.target = d.Text();
  c.parameters = d.Text();
  return c;
}

TPackedRun DecodeRun(TDecoder& d) {
  TPackedRun r;
  r.filename = d.Text();
  if (r.filename.pieces.empty()) throw TPayloadError("a program to run without a name");
  r.parameters = d.Text();
  r.description = d.Str();
  r.flags = d.U8();
  if (r.flags & ~kRunKnownFlags) throw TPayloadError("unknown flags of a program to run");
  return r;
}

// A count, then that many entries of at least `minBytes` each.
template <class T>
void DecodeList(TDecoder& d, size_t minBytes, size_t most, std::vector<T>& out, T (*decode)(TDecoder&)) {
  const size_t n = d.Count(minBytes);
  if (n > most) throw TPayloadError("more programs to run than the Finished page holds");
  for (size_t i = 0; i < n; ++i) out.push_back(decode(d));
}

void DecodePictures(TDecoder& d, TPayloadIndex& x) {
  const std::pair<TWizardPicture*, std::pair<uint32_t, uint32_t>> pictures[] = {
      {&x.wizardImage, {kWizardImageWidth, kWizardImageHeight}},
      {&x.wizardSmallImage, {kWizardSmallImageSide, kWizardSmallImageSide}}};
  for (const auto& [p, size] : pictures) {
    p->width = d.U32();
    p->height = d.U32();
    const std::string packed = d.Blob();
    if (p->width == 0 && p->height == 0 && packed.empty()) continue;
    if (p->width != size.first || p->height != size.second) throw TPayloadError("a picture of the pages that is not the size it says");
    p->rows = UnpackedRows(packed, TWizardPicture::Stride(p->width) * p->height);
  }
}

}  // namespace

TPayloadIndex DecodeIndex(std::string_view bytes) {
  TDecoder d(bytes);
  TPayloadIndex x;
  DecodeHead(d, x);
  const size_t any = SIZE_MAX;
  DecodeList(d, 1 + 4 + 4 + 8 + 8 + 4 + 1 + 8 + 32, any, x.files, DecodeFile);
  DecodeList(d, 1 + 4 + 4 + 4 + 1, any, x.registry, DecodeRegistry);
  DecodeList(d, 5 + 4 + 4 + 4, any, x.ini, DecodeIni);
  DecodeList(d, 5 + 4 + 4, any, x.icons, DecodeIcon);
  DecodeList(d, 4 + 4 + 4 + 1, kMaxRunEntries, x.run, DecodeRun);
  DecodePictures(d, x);
  if (!d.AtEnd()) throw TPayloadError("bytes after the index");
  return x;
}

}  // namespace vanta::build
