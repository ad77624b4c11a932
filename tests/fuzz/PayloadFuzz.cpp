// The setup reads its packed data from its own file, which may have been
// damaged or altered. The input's checksum is mended first, so that
// mutations reach the index reader and the unpacking behind it. No crash,
// every destination inside its folder, every unpacked file exactly its size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
  char* tail = bytes.data() + bytes.size() - kTailSize;
  const uint64_t data = GetLE(tail + 16), index = GetLE(tail + 24);
  const uint64_t room = bytes.size() - kTailSize;
  if (index > room || data > room - index) return;
  TSha256 sha;
  sha.Update(bytes.data() + (room - index - data), data + index);
  sha.Update(tail, 32);
  const TDigest d = sha.Finish();
  std::memcpy(tail + 32, d.data(), d.size());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(input), size);
  MendChecksum(bytes);
  TMemorySource source(bytes);
  TPayload payload;
  try {
    payload = OpenPayload(source);
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
      ExtractFile(source, payload, i, [&](const void*, size_t n) { got += n; });
      Check(got == payload.index.files[i].size);
    } catch (const TPayloadError&) {
    }
  }
  return 0;
}
