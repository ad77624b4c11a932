// The index's bytes, written (the layout: PayloadIndex.cpp). Apart from the
// reader, so that the setup program, which only reads, carries no packer.
#include <zstd.h>

#include "Payload.h"

namespace vanta::build {
namespace {

class TEncoder {
 public:
  void U8(uint8_t v) { bytes += char(v); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(uint8_t(v >> (8 * i)));
  }
  void U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) U8(uint8_t(v >> (8 * i)));
  }
  void Str(std::string_view s) {
    if (s.size() > kMaxIndexString) throw TPayloadError("a text of the index is too long");
    U32(uint32_t(s.size()));
    bytes += s;
  }
  void Blob(const std::string& s) {  // bytes of any value: a picture's rows
    U32(uint32_t(s.size()));
    bytes += s;
  }
  void Dest(const TDestination& d) {
    U8(static_cast<uint8_t>(d.folder));
    Str(d.relative);
  }
  void Count(size_t n) { U32(uint32_t(n)); }
  std::string bytes;
};

// A picture's rows as one zstd frame.
std::string PackedRows(const std::string& rows) {
  std::string out(ZSTD_compressBound(rows.size()), '\0');
  const size_t n = ZSTD_compress(out.data(), out.size(), rows.data(), rows.size(), 3);  // quick: photos barely pack
  if (ZSTD_isError(n)) throw TPayloadError("a picture of the pages cannot be packed");
  out.resize(n);
  return out;
}

}  // namespace

std::string EncodeIndex(const TPayloadIndex& x) {
  TEncoder e;
  e.Str(x.appName);
  e.Str(x.appVerName);
  for (const std::string* s : {&x.appVersion, &x.appPublisher, &x.appPublisherURL, &x.appSupportURL, &x.appUpdatesURL}) e.Str(*s);
  e.Dest(x.defaultDirName);
  e.Str(x.defaultGroupName);
  e.Count(x.parts.size());
  for (const TPackedPart& p : x.parts) {
    e.Str(p.name);
    e.U64(p.size);
  }
  e.Count(x.files.size());
  for (const TPackedFile& f : x.files) {
    e.Dest(f.folder);
    e.Str(f.name);
    e.U64(f.size);
    e.U64(f.storedSize);
    e.U32(f.flags);
    e.U8(f.delta);
    e.U64(f.checksum);
    if (f.flags & kFileCompressed) e.U64(f.storedChecksum);
    e.bytes.append(reinterpret_cast<const char*>(f.storedDigest.data()), f.storedDigest.size());
  }
  e.Count(x.registry.size());
  for (const TPackedRegistry& r : x.registry) {
    e.U8(static_cast<uint8_t>(r.root));
    e.Str(r.subkey);
    e.Str(r.valueName);
    e.Str(r.valueData.ScriptText());
    e.U8(r.deleteKeyOnUninstall ? 1 : 0);
  }
  e.Count(x.ini.size());
  for (const TPackedIni& i : x.ini) {
    e.Dest(i.file);
    e.Str(i.section);
    e.Str(i.key);
    e.Str(i.value.ScriptText());
  }
  e.Count(x.icons.size());
  for (const TPackedIcon& i : x.icons) {
    e.Dest(i.name);
    e.Str(i.target.ScriptText());
    e.Str(i.parameters.ScriptText());
  }
  e.Count(x.run.size());
  for (const TPackedRun& r : x.run) {
    e.Str(r.filename.ScriptText());
    e.Str(r.parameters.ScriptText());
    e.Str(r.description);
    e.U8(r.flags);
  }
  for (const TWizardPicture* p : {&x.wizardImage, &x.wizardSmallImage}) {
    e.U32(p->width);
    e.U32(p->height);
    e.Blob(p->Empty() ? std::string() : PackedRows(p->rows));
  }
  return e.bytes;
}

}  // namespace vanta::build
