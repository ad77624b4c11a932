#include <zstd.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "Payload.h"

namespace vanta::build {
namespace {

// Sources are read, hashed and written a megabyte at a time.
constexpr size_t kReadSize = 1 << 20;
// The sample is packed at zstd's quickest level: it only has to tell
// packed data from data that packs.
constexpr int kSampleLevel = 1;
// The byte statistics look at this much of the sample.
constexpr size_t kStatisticsSize = 32 << 10;

void PutLE(std::string& s, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += char(uint8_t(v >> (8 * i)));
}

ZSTD_CCtx* Ctx(void* p) { return static_cast<ZSTD_CCtx*>(p); }

void Check(size_t rc) {
  if (ZSTD_isError(rc)) throw std::runtime_error(std::string("compression failed: ") + ZSTD_getErrorName(rc));
}

void Configure(ZSTD_CCtx* cctx, int level) {
  // The frame names neither a checksum nor a dictionary: the index holds
  // the checksums, and a smaller frame stays byte for byte the same.
  Check(ZSTD_CCtx_reset(cctx, ZSTD_reset_session_and_parameters));
  Check(ZSTD_CCtx_setParameter(cctx, ZSTD_c_compressionLevel, level));
  Check(ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, 0));
  Check(ZSTD_CCtx_setParameter(cctx, ZSTD_c_dictIDFlag, 0));
}

// Reads exactly `size` bytes, or throws: the file changed under us.
void ReadFully(IFileReader& file, char* data, size_t size) {
  while (size > 0) {
    const size_t n = file.Read(data, size);
    if (n == 0) throw std::runtime_error("the file became shorter while it was packed");
    data += n;
    size -= n;
  }
}

void CheckAtEnd(IFileReader& file) {
  char extra;
  if (file.Read(&extra, 1) != 0) throw std::runtime_error("the file became longer while it was packed");
}

// log2(x) in 1/65536ths, in integers so that every build decides alike.
uint64_t Log2Q16(uint64_t x) {
  int whole = 0;
  while ((x >> whole) > 1) ++whole;
  uint64_t m = (x << 31) >> whole;  // x / 2^whole in [1, 2), 31 fraction bits
  uint64_t fraction = 0;
  for (int bit = 15; bit >= 0; --bit) {
    m = (m * m) >> 31;
    if (m >= (uint64_t(2) << 31)) {
      m >>= 1;
      fraction |= uint64_t(1) << bit;
    }
  }
  return uint64_t(whole) << 16 | fraction;
}

// The bytes' order-0 information content, in 1/65536 bits.
uint64_t InformationQ16(const uint8_t* p, size_t n) {
  uint32_t count[256] = {};
  for (size_t i = 0; i < n; ++i) ++count[p[i]];
  uint64_t sum = 0;
  for (uint32_t c : count)
    if (c > 1) sum += c * Log2Q16(c);
  return n * Log2Q16(n) - sum;
}

}  // namespace

void TMemorySource::ReadAt(uint64_t offset, void* data, size_t size) {
  if (offset > bytes_.size() || size > bytes_.size() - offset) throw TPayloadError("read past the end");
  std::memcpy(data, bytes_.data() + offset, size);
}

size_t TMemoryReader::Read(void* data, size_t size) {
  const size_t n = std::min(size, bytes_.size() - at_);
  std::memcpy(data, bytes_.data() + at_, n);
  at_ += n;
  return n;
}

TPayloadWriter::TPayloadWriter(IByteSink& out, int level) : out_(out), level_(level), chunk_(kReadSize, '\0') {
  cctx_ = ZSTD_createCCtx();
  if (!cctx_) throw std::bad_alloc();
}

TPayloadWriter::~TPayloadWriter() { ZSTD_freeCCtx(Ctx(cctx_)); }

void TPayloadWriter::Put(const void* data, size_t size) {
  out_.Write(data, size);
  total_ += size;
}

TPayloadWriter::TPlan TPayloadWriter::Plan(std::string_view sample) {
  TPlan plan;
  const size_t n = sample.size();
  if (n == 0) return plan;
  const auto* bytes = reinterpret_cast<const uint8_t*>(sample.data());
  std::string filtered(n, '\0');
  auto* diff = reinterpret_cast<uint8_t*>(filtered.data());

  // Byte statistics first, as they cost next to nothing: bytes that carry
  // over 7.75 bits of information each and whose differences carry as much
  // are packed already (pictures, music), and nothing is tried on them.
  // Differences are worth a try when they carry a quarter of a bit a byte
  // less than the bytes (sound too noisy for a pattern search alone).
  bool plainMayPack = true, tryDifferences = false;
  if (n >= kStatisticsSize) {
    const uint64_t raw = InformationQ16(bytes, kStatisticsSize);
    plainMayPack = raw < uint64_t(kStatisticsSize) * (uint64_t(31) << 16) / 4;
    for (uint8_t d = 1; d <= 4 && !tryDifferences; ++d) {
      TDeltaFilter(d).Encode(bytes, diff, kStatisticsSize);
      tryDifferences = InformationQ16(diff, kStatisticsSize) + (uint64_t(kStatisticsSize) << 14) < raw;
    }
  }
  if (!plainMayPack && !tryDifferences) return plan;

  std::string out(ZSTD_compressBound(n), '\0');
  auto packedSize = [&](const void* data) {
    Configure(Ctx(cctx_), kSampleLevel);
    const size_t rc = ZSTD_compress2(Ctx(cctx_), out.data(), out.size(), data, n);
    Check(rc);
    return uint64_t(rc);
  };
  uint64_t best = packedSize(bytes);
  // Data that packs anyway may pack better as differences.
  tryDifferences |= best * 100 < uint64_t(n) * 97;
  if (tryDifferences) {
    for (uint8_t d = 1; d <= 4; ++d) {
      TDeltaFilter(d).Encode(bytes, diff, n);
      const uint64_t size = packedSize(diff);
      // 2% better than the best so far, or the simpler form stays.
      if (size * 100 < best * 98) {
        best = size;
        plan.delta = d;
      }
    }
  }
  plan.pack = best * 100 < uint64_t(n) * 97;
  if (!plan.pack) plan.delta = 0;
  return plan;
}

void TPayloadWriter::Store(IFileReader& file, TPackedFile& f, size_t have) {
  std::string& chunk = chunk_;
  if (have == 0) file.Rewind();
  TXxh3 sum;
  TSha256 digest;
  for (uint64_t at = 0;;) {
    sum.Update(chunk.data(), have);
    digest.Update(chunk.data(), have);
    Put(chunk.data(), have);
    at += have;
    if (at == f.size) break;
    have = size_t(std::min<uint64_t>(f.size - at, chunk.size()));
    ReadFully(file, chunk.data(), have);
  }
  CheckAtEnd(file);
  f.checksum = f.storedChecksum = sum.Finish();
  f.storedDigest = digest.Finish();
  f.storedSize = f.size;
  f.delta = 0;
}

bool TPayloadWriter::Pack(IFileReader& file, TPackedFile& f, size_t have, uint8_t delta) {
  std::string& chunk = chunk_;
  ZSTD_CCtx* cctx = Ctx(cctx_);
  Configure(cctx, level_);
  Check(ZSTD_CCtx_setPledgedSrcSize(cctx, f.size));
  TDeltaFilter filter(delta);
  std::string filtered(delta ? chunk.size() : 0, '\0');
  TXxh3 sum;
  packed_.clear();
  for (uint64_t at = 0;;) {
    sum.Update(chunk.data(), have);
    const char* input = chunk.data();
    if (delta) {
      filter.Encode(reinterpret_cast<const uint8_t*>(chunk.data()), reinterpret_cast<uint8_t*>(filtered.data()), have);
      input = filtered.data();
    }
    at += have;
    ZSTD_inBuffer in{input, have, 0};
    const ZSTD_EndDirective mode = at == f.size ? ZSTD_e_end : ZSTD_e_continue;
    for (size_t rest = 1; in.pos < in.size || (mode == ZSTD_e_end && rest != 0);) {
      const size_t before = packed_.size();
      packed_.resize(before + ZSTD_CStreamOutSize());
      ZSTD_outBuffer out{packed_.data() + before, ZSTD_CStreamOutSize(), 0};
      rest = ZSTD_compressStream2(cctx, &out, &in, mode);
      Check(rest);
      packed_.resize(before + out.pos);
    }
    // Worse than the bytes themselves: they are stored after all.
    if (packed_.size() >= f.size) return false;
    if (at == f.size) break;
    have = size_t(std::min<uint64_t>(f.size - at, chunk.size()));
    ReadFully(file, chunk.data(), have);
  }
  CheckAtEnd(file);
  f.checksum = sum.Finish();
  f.storedChecksum = Xxh3(packed_);
  f.storedDigest = Sha256(packed_);
  f.storedSize = packed_.size();
  f.flags |= kFileCompressed;
  f.delta = delta;
  Put(packed_.data(), packed_.size());
  return true;
}

TPackedFile TPayloadWriter::AddFile(const TDestination& folder, std::string_view name, uint32_t flags, IFileReader& file) {
  if (finished_) throw std::logic_error("a file added after the index");
  TPackedFile f;
  f.folder = folder;
  f.name.assign(name);
  f.size = file.Size();
  f.flags = flags & (kFileNeverUninstall | kFileIsReadme | kFileShared);

  const size_t have = size_t(std::min<uint64_t>(f.size, kReadSize));
  ReadFully(file, chunk_.data(), have);
  const TPlan plan = Plan(std::string_view(chunk_.data(), std::min(have, kSampleSize)));
  bool packed = false;
  if (plan.pack) {
    packed = Pack(file, f, have, plan.delta);
    packed_.clear();
    if (packed_.capacity() > (64u << 20)) packed_.shrink_to_fit();
  }
  if (!packed) Store(file, f, plan.pack ? 0 : have);
  dataSize_ += f.storedSize;
  files_.push_back(f);
  return f;
}

TPackedFile TPayloadWriter::AddFile(const TDestination& folder, std::string_view name, uint32_t flags, std::string_view bytes) {
  TMemoryReader reader(bytes);
  return AddFile(folder, name, flags, reader);
}

void TPayloadWriter::Finish(TPayloadIndex index) { Finish(std::move(index), out_); }

void TPayloadWriter::Finish(TPayloadIndex index, IByteSink& out) {
  if (finished_) throw std::logic_error("payload finished twice");
  finished_ = true;
  uint64_t inParts = 0;
  for (const TPackedPart& p : index.parts) inParts += p.size;
  if (!index.parts.empty() && inParts != dataSize_) throw std::logic_error("the parts do not hold the data");
  index.files = files_;
  const std::string encoded = EncodeIndex(index);
  if (encoded.size() > kMaxIndexSize) throw TPayloadError("the index is too large");

  std::string tail = "VantaPak";
  PutLE(tail, kPayloadVersion, 4);
  PutLE(tail, 0, 4);
  PutLE(tail, index.parts.empty() ? dataSize_ : 0, 8);
  PutLE(tail, encoded.size(), 8);
  TXxh3 sum;
  sum.Update(encoded);
  sum.Update(tail);
  PutLE(tail, sum.Finish(), 8);
  tail += "VantaEnd";
  out.Write(encoded.data(), encoded.size());
  out.Write(tail.data(), tail.size());
  total_ += encoded.size() + tail.size();
}

}  // namespace vanta::build
