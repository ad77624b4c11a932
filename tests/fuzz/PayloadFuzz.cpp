// The setup reads its packed data from its own file, which may have been
// damaged or altered. The input's checksums and digests are mended first
// (the data's in the index where the index can be read, then the index's in
// the tail), so that mutations reach the index reader and the unpacking
// behind it. No crash, every destination inside its folder, every unpacked
// file exactly its size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "PathRules.h"
#include "Payload.h"

using namespace vanta::build;

static void Check(bool ok) {
  if (!ok) std::abort();
}

static uint64_t GetLE(const char* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | uint8_t(p[i]);
  return v;
}

static void MendChecksum(std::string& bytes) {
  if (bytes.size() < kTailSize) return;
  const uint64_t data = GetLE(bytes.data() + bytes.size() - kTailSize + 16);
  const uint64_t index = GetLE(bytes.data() + bytes.size() - kTailSize + 24);
  const uint64_t room = bytes.size() - kTailSize;
  if (index > room || data > room - index) return;
  const uint64_t start = room - index - data;
  try {
    TPayloadIndex x = DecodeIndex(std::string_view(bytes).substr(start + data, index));
    uint64_t at = start;
    for (TPackedFile& f : x.files) {
      if (f.storedSize > start + data - at) break;
      f.storedChecksum = Xxh3(std::string_view(bytes).substr(at, f.storedSize));
      f.storedDigest = Sha256(std::string_view(bytes).substr(at, f.storedSize));
      if (!(f.flags & kFileCompressed)) f.checksum = f.storedChecksum;
      at += f.storedSize;
    }
    const std::string mended = EncodeIndex(x);
    if (mended.size() == index) bytes.replace(start + data, index, mended);
  } catch (const TPayloadError&) {
  }
  char* tail = bytes.data() + bytes.size() - kTailSize;
  TXxh3 sum;
  sum.Update(bytes.data() + start + data, index);
  sum.Update(tail, 32);
  const TChecksum c = sum.Finish();
  for (int i = 0; i < 8; ++i) tail[32 + i] = char(uint8_t(c >> (8 * i)));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(input), size);
  MendChecksum(bytes);
  TMemorySource source(bytes);
  TPayload payload;
  std::unique_ptr<IByteSource> data;
  try {
    payload = OpenPayload(source);
    // No parts lie beside this input: one that names any is refused here.
    data = OpenData(source, payload, [](const std::string&) { return nullptr; });
  } catch (const TPayloadError&) {
    return 0;
  }
  for (const TPackedFile& f : payload.index.files) {
    Check(!CheckRelativePath(f.folder.relative));
    Check(!CheckFileName(f.name));
  }
  Check(DecodeIndex(EncodeIndex(payload.index)) == payload.index);
  for (size_t i = 0; i < payload.index.files.size(); ++i) {
    uint64_t got = 0;
    try {
      ExtractFile(*data, payload, i, [&](const void*, size_t n) { got += n; });
      Check(got == payload.index.files[i].size);
    } catch (const TPayloadError&) {
    }
  }
  return 0;
}
