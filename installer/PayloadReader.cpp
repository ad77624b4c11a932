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
  const uint64_t ownData = GetLE(tail + 16, 8);
  const uint64_t indexSize = GetLE(tail + 24, 8);
  const uint64_t room = size - kTailSize;
  if (indexSize > kMaxIndexSize || indexSize > room || ownData > room - indexSize)
    throw TPayloadError("packed data sizes beyond the file");
  p.programSize = room - indexSize - ownData;

  std::string index(indexSize, '\0');
  source.ReadAt(p.programSize + ownData, index.data(), index.size());
  TXxh3 sum;
  sum.Update(index);
  sum.Update(tail, 32);
  if (sum.Finish() != GetLE(tail + 32, 8)) throw TPayloadError("checksum mismatch");

  p.index = DecodeIndex(index);
  if (p.index.parts.empty()) {
    p.start = p.programSize;
    p.dataSize = ownData;
  } else {
    if (ownData != 0) throw TPayloadError("data both in the setup and in parts");
    for (const TPackedPart& part : p.index.parts) {
      if (part.size > UINT64_MAX / 2 - p.dataSize) throw TPayloadError("parts beyond any disk");
      p.dataSize += part.size;
    }
  }
  uint64_t offset = 0;
  for (const TPackedFile& f : p.index.files) {
    p.fileOffsets.push_back(offset);
    if (f.storedSize > p.dataSize - offset) throw TPayloadError("file data beyond the data block");
    offset += f.storedSize;
  }
  if (offset != p.dataSize) throw TPayloadError("data that no file claims");
  return p;
}

std::string PartMissing(const std::string& name) { return "The setup part \"" + name + "\" is missing or damaged."; }

// The parts one after another, as one source.
class TPartsSource : public IByteSource {
 public:
  TPartsSource(const std::vector<TPackedPart>& parts, const TPartOpener& open) : parts_(parts) {
    for (const TPackedPart& part : parts_) {
      std::unique_ptr<IByteSource> source = open(part.name);
      if (!source || source->Size() != part.size) throw TPayloadError(PartMissing(part.name));
      starts_.push_back(size_);
      size_ += part.size;
      sources_.push_back(std::move(source));
    }
  }
  uint64_t Size() const override { return size_; }
  void ReadAt(uint64_t offset, void* data, size_t size) override {
    if (offset > size_ || size > size_ - offset) throw TPayloadError("read past the end");
    auto* p = static_cast<uint8_t*>(data);
    size_t i = size_t(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin()) - 1;
    for (; size > 0; ++i) {
      const uint64_t at = offset - starts_[i];
      const size_t n = size_t(std::min<uint64_t>(size, parts_[i].size - at));
      try {
        sources_[i]->ReadAt(at, p, n);
      } catch (const std::exception&) {
        throw TPayloadError(PartMissing(parts_[i].name));
      }
      p += n;
      offset += n;
      size -= n;
    }
  }

 private:
  std::vector<TPackedPart> parts_;
  std::vector<std::unique_ptr<IByteSource>> sources_;
  std::vector<uint64_t> starts_;
  uint64_t size_ = 0;
};

// The setup's own file, borrowed.
class TSelfSource : public IByteSource {
 public:
  explicit TSelfSource(IByteSource& self) : self_(self) {}
  uint64_t Size() const override { return self_.Size(); }
  void ReadAt(uint64_t offset, void* data, size_t size) override { self_.ReadAt(offset, data, size); }

 private:
  IByteSource& self_;
};

// What a damaged file's message names: the parts its stored bytes lie in.
std::string WhereDamaged(const TPayload& p, size_t file) {
  if (p.index.parts.empty()) return "The setup file is damaged";
  const uint64_t begin = p.fileOffsets[file], end = begin + p.index.files[file].storedSize;
  std::string names;
  int count = 0;
  uint64_t at = 0;
  for (const TPackedPart& part : p.index.parts) {
    if (at < end && at + part.size > begin) names += (count++ ? ", \"" : "\"") + part.name + "\"";
    at += part.size;
  }
  return count == 1 ? "The setup part " + names + " is damaged" : "One of the setup parts " + names + " is damaged";
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

std::unique_ptr<IByteSource> OpenData(IByteSource& self, const TPayload& payload, const TPartOpener& open) {
  if (payload.index.parts.empty()) return std::make_unique<TSelfSource>(self);
  return std::make_unique<TPartsSource>(payload.index.parts, open);
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
  TXxh3 sum, stored;
  TSha256 digest;
  uint64_t produced = 0;
  TDeltaFilter filter(f.delta);
  const bool packed = (f.flags & kFileCompressed) != 0;
  const auto damaged = [&](const std::string& why) {
    return TPayloadError(WhereDamaged(payload, file) + " (\"" + f.name + "\" " + why + ").");
  };
  auto read = [&](size_t n) {
    source.ReadAt(at, in.get(), n);
    stored.Update(in.get(), n);
    digest.Update(in.get(), n);
    at += n;
  };
  auto emit = [&](uint8_t* data, size_t n) {
    produced += n;
    if (produced > f.size) throw damaged("unpacks longer than its size");
    if (f.delta) filter.Decode(data, n);
    if (packed) sum.Update(data, n);
    sink(data, n);
  };

  if (!packed) {
    while (at < end) {
      const size_t n = size_t(std::min<uint64_t>(kChunk, end - at));
      read(n);
      emit(in.get(), n);
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
      read(n);
      ZSTD_inBuffer input{in.get(), n, 0};
      while (input.pos < input.size) {
        ZSTD_outBuffer output{out.get(), outSize, 0};
        last = ZSTD_decompressStream(dctx.get(), &output, &input);
        if (ZSTD_isError(last)) throw damaged(std::string("does not unpack: ") + ZSTD_getErrorName(last));
        emit(out.get(), output.pos);
      }
    }
    // Flush what the decoder still holds for the last input.
    while (last != 0) {
      ZSTD_inBuffer input{nullptr, 0, 0};
      ZSTD_outBuffer output{out.get(), outSize, 0};
      last = ZSTD_decompressStream(dctx.get(), &output, &input);
      if (ZSTD_isError(last)) throw damaged(std::string("does not unpack: ") + ZSTD_getErrorName(last));
      if (output.pos == 0) break;
      emit(out.get(), output.pos);
    }
    if (last != 0) throw damaged("ends inside a packed frame");
  }
  if (stored.Finish() != f.storedChecksum) throw damaged("does not match its checksum");
  if (digest.Finish() != f.storedDigest) throw damaged("is not the file this setup was made with");
  if (produced != f.size) throw damaged("unpacks shorter than its size");
  if (packed && sum.Finish() != f.checksum) throw damaged("unpacks to bytes that do not match their checksum");
}

std::string ExtractFile(IByteSource& source, const TPayload& payload, size_t file) {
  std::string bytes;
  ExtractFile(source, payload, file, [&](const void* data, size_t n) { bytes.append(static_cast<const char*>(data), n); });
  return bytes;
}

}  // namespace vanta::build
