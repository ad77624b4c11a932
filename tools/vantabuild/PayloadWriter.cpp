#include <zstd.h>

#include <cstring>
#include <memory>

#include "Payload.h"

namespace vanta::build {
namespace {

void PutLE(std::string& s, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += char(uint8_t(v >> (8 * i)));
}

}  // namespace

void TMemorySource::ReadAt(uint64_t offset, void* data, size_t size) {
  if (offset > bytes_.size() || size > bytes_.size() - offset) throw TPayloadError("read past the end");
  std::memcpy(data, bytes_.data() + offset, size);
}

TPayloadWriter::TPayloadWriter(IByteSink& out, int level) : out_(out), level_(level) {}

void TPayloadWriter::Put(const void* data, size_t size) {
  out_.Write(data, size);
  sha_.Update(data, size);
  total_ += size;
}

TPackedFile TPayloadWriter::AddFile(const TDestination& folder, std::string_view name, uint32_t flags, std::string_view bytes) {
  TPackedFile f;
  f.folder = folder;
  f.name.assign(name);
  f.size = bytes.size();
  f.flags = flags & (kFileNeverUninstall | kFileIsReadme);
  f.checksum = Sha256(bytes);

  std::string packed;
  if (!bytes.empty()) {
    packed.resize(ZSTD_compressBound(bytes.size()));
    std::unique_ptr<ZSTD_CCtx, size_t (*)(ZSTD_CCtx*)> cctx(ZSTD_createCCtx(), ZSTD_freeCCtx);
    if (!cctx) throw std::bad_alloc();
    // The frame names neither a checksum nor a dictionary: the index holds
    // the checksum, and a smaller frame stays byte for byte the same.
    ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_compressionLevel, level_);
    ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_checksumFlag, 0);
    ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_dictIDFlag, 0);
    const size_t n = ZSTD_compress2(cctx.get(), packed.data(), packed.size(), bytes.data(), bytes.size());
    if (ZSTD_isError(n)) throw std::runtime_error(std::string("compression failed: ") + ZSTD_getErrorName(n));
    packed.resize(n);
  }
  if (!bytes.empty() && packed.size() < bytes.size()) {
    f.flags |= kFileCompressed;
    f.storedSize = packed.size();
    Put(packed.data(), packed.size());
  } else {
    f.storedSize = bytes.size();
    Put(bytes.data(), bytes.size());
  }
  dataSize_ += f.storedSize;
  files_.push_back(f);
  return f;
}

void TPayloadWriter::Finish(TPayloadIndex index) {
  if (finished_) throw std::logic_error("payload finished twice");
  finished_ = true;
  index.files = files_;
  const std::string encoded = EncodeIndex(index);
  if (encoded.size() > kMaxIndexSize) throw TPayloadError("the index is too large");
  Put(encoded.data(), encoded.size());

  std::string tail = "VantaPak";
  PutLE(tail, kPayloadVersion, 4);
  PutLE(tail, 0, 4);
  PutLE(tail, dataSize_, 8);
  PutLE(tail, encoded.size(), 8);
  Put(tail.data(), tail.size());
  const TDigest digest = sha_.Finish();
  std::string end(reinterpret_cast<const char*>(digest.data()), digest.size());
  end += "VantaEnd";
  out_.Write(end.data(), end.size());
  total_ += end.size();
}

}  // namespace vanta::build
