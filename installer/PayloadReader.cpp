#include <zstd.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "Payload.h"

namespace vanta::build {
namespace {

constexpr size_t kChunk = 1 << 20;
// Bounds the decoder's window (128 MB): a hostile frame cannot ask for more.
constexpr int kMaxWindowLog = 27;

uint64_t GetLE(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

TPayload OpenPayloadEndingAt(IByteSource& source, uint64_t size) {
  if (size < kTailSize) throw TPayloadError("no packed data (file too short)");
  uint8_t tail[kTailSize];
  source.ReadAt(size - kTailSize, tail, kTailSize);
  if (std::memcmp(tail, "VantaPak", 8) != 0 || std::memcmp(tail + 40, "VantaEnd", 8) != 0)
    throw TPayloadError("no packed data (no end marker)");
  if (GetLE(tail + 8, 4) != kPayloadVersion || GetLE(tail + 12, 4) != 0)
    throw TPayloadError("packed data of another version");
  TPayload p;
  p.dataSize = GetLE(tail + 16, 8);
  const uint64_t indexSize = GetLE(tail + 24, 8);
  const uint64_t room = size - kTailSize;
  if (indexSize > kMaxIndexSize || indexSize > room || p.dataSize > room - indexSize)
    throw TPayloadError("packed data sizes beyond the file");
  p.start = room - indexSize - p.dataSize;

  std::string index(indexSize, '\0');
  source.ReadAt(p.start + p.dataSize, index.data(), index.size());
  TXxh3 sum;
  sum.Update(index);
  sum.Update(tail, 32);
  if (sum.Finish() != GetLE(tail + 32, 8)) throw TPayloadError("checksum mismatch");

  p.index = DecodeIndex(index);
  uint64_t offset = 0;
  for (const TPackedFile& f : p.index.files) {
    p.fileOffsets.push_back(offset);
    if (f.storedSize > p.dataSize - offset) throw TPayloadError("file data beyond the data block");
    offset += f.storedSize;
  }
  if (offset != p.dataSize) throw TPayloadError("data that no file claims");

  // Every data byte belongs to one file: checking each checks them all.
  std::unique_ptr<uint8_t[]> chunk(new uint8_t[kChunk]);
  for (size_t i = 0; i < p.index.files.size(); ++i) {
    TXxh3 data;
    const uint64_t begin = p.start + p.fileOffsets[i], end = begin + p.index.files[i].storedSize;
    for (uint64_t at = begin; at < end;) {
      const size_t n = size_t(std::min<uint64_t>(kChunk, end - at));
      source.ReadAt(at, chunk.get(), n);
      data.Update(chunk.get(), n);
      at += n;
    }
    if (data.Finish() != p.index.files[i].storedChecksum) throw TPayloadError("checksum mismatch in the data");
  }
  return p;
}

uint32_t ReadU32(IByteSource& source, uint64_t at) {
  uint8_t b[4];
  source.ReadAt(at, b, 4);
  return uint32_t(GetLE(b, 4));
}

}  // namespace

uint64_t SignedPartEnd(IByteSource& source) {
  const uint64_t size = source.Size();
  try {
    uint8_t mz[2];
    source.ReadAt(0, mz, 2);
    if (mz[0] != 'M' || mz[1] != 'Z') return size;
    const uint64_t pe = ReadU32(source, 0x3C);
    if (ReadU32(source, pe) != 0x00004550) return size;  // "PE\0\0"
    const uint64_t optional = pe + 24;
    uint8_t magic[2];
    source.ReadAt(optional, magic, 2);
    const uint64_t kind = GetLE(magic, 2);
    if (kind != 0x10B && kind != 0x20B) return size;
    const uint64_t directories = optional + (kind == 0x10B ? 96 : 112);
    if (ReadU32(source, directories - 4) <= 4) return size;  // no security entry
    const uint64_t table = ReadU32(source, directories + 4 * 8);
    const uint64_t length = ReadU32(source, directories + 4 * 8 + 4);
    // Only a table that closes the file: anything else is not what signing made.
    if (table == 0 || length == 0 || table + length != size) return size;
    return table;
  } catch (const TPayloadError&) {
    return size;
  }
}

TPayload OpenPayload(IByteSource& source) {
  const uint64_t end = SignedPartEnd(source);
  if (end == source.Size()) return OpenPayloadEndingAt(source, end);
  // Signing starts its table on an 8-byte boundary, after up to 7 zero bytes.
  for (uint64_t pad = 0; pad < 8 && pad + kTailSize <= end; ++pad) {
    uint8_t tail[8];
    source.ReadAt(end - pad - 8, tail, 8);
    if (std::memcmp(tail, "VantaEnd", 8) != 0) continue;
    uint8_t zeros[8] = {};
    if (pad > 0) source.ReadAt(end - pad, zeros, size_t(pad));
    if (std::all_of(zeros, zeros + pad, [](uint8_t b) { return b == 0; })) return OpenPayloadEndingAt(source, end - pad);
  }
  throw TPayloadError("no packed data before the signature");
}

void ExtractFile(IByteSource& source, const TPayload& payload, size_t file, const TChunkSink& sink) {
  const TPackedFile& f = payload.index.files.at(file);
  uint64_t at = payload.start + payload.fileOffsets.at(file);
  const uint64_t end = at + f.storedSize;
  std::unique_ptr<uint8_t[]> in(new uint8_t[kChunk]);
  TXxh3 sum;
  uint64_t produced = 0;
  TDeltaFilter filter(f.delta);
  // A stored file's bytes are the ones OpenPayload checked, read again from
  // the same file, which nobody can write while it is open: hashing them a
  // second time would only slow the install. What is unpacked is checked.
  const bool packed = (f.flags & kFileCompressed) != 0;
  auto emit = [&](uint8_t* data, size_t n) {
    produced += n;
    if (produced > f.size) throw TPayloadError("file \"" + f.name + "\" unpacks longer than its size");
    if (f.delta) filter.Decode(data, n);
    if (packed) sum.Update(data, n);
    sink(data, n);
  };

  if (!packed) {
    while (at < end) {
      const size_t n = size_t(std::min<uint64_t>(kChunk, end - at));
      source.ReadAt(at, in.get(), n);
      emit(in.get(), n);
      at += n;
    }
  } else {
    std::unique_ptr<ZSTD_DCtx, size_t (*)(ZSTD_DCtx*)> dctx(ZSTD_createDCtx(), ZSTD_freeDCtx);
    if (!dctx) throw std::bad_alloc();
    ZSTD_DCtx_setParameter(dctx.get(), ZSTD_d_windowLogMax, kMaxWindowLog);
    const size_t outSize = ZSTD_DStreamOutSize();
    std::unique_ptr<uint8_t[]> out(new uint8_t[outSize]);
    size_t last = 1;  // ZSTD's "more to come" hint; 0 once a frame has ended
    while (at < end) {
      const size_t n = size_t(std::min<uint64_t>(kChunk, end - at));
      source.ReadAt(at, in.get(), n);
      at += n;
      ZSTD_inBuffer input{in.get(), n, 0};
      while (input.pos < input.size) {
        ZSTD_outBuffer output{out.get(), outSize, 0};
        last = ZSTD_decompressStream(dctx.get(), &output, &input);
        if (ZSTD_isError(last)) throw TPayloadError("file \"" + f.name + "\": " + ZSTD_getErrorName(last));
        emit(out.get(), output.pos);
      }
    }
    // Flush what the decoder still holds for the last input.
    while (last != 0) {
      ZSTD_inBuffer input{nullptr, 0, 0};
      ZSTD_outBuffer output{out.get(), outSize, 0};
      last = ZSTD_decompressStream(dctx.get(), &output, &input);
      if (ZSTD_isError(last)) throw TPayloadError("file \"" + f.name + "\": " + ZSTD_getErrorName(last));
      if (output.pos == 0) break;
      emit(out.get(), output.pos);
    }
    if (last != 0) throw TPayloadError("file \"" + f.name + "\": packed data ends inside a frame");
  }
  if (produced != f.size) throw TPayloadError("file \"" + f.name + "\" unpacks shorter than its size");
  if (packed && sum.Finish() != f.checksum) throw TPayloadError("file \"" + f.name + "\" does not match its checksum");
}

std::string ExtractFile(IByteSource& source, const TPayload& payload, size_t file) {
  std::string bytes;
  ExtractFile(source, payload, file, [&](const void* data, size_t n) { bytes.append(static_cast<const char*>(data), n); });
  return bytes;
}

}  // namespace vanta::build
