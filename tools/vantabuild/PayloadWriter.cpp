#include <zstd.h>

#include <algorithm>
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

size_t TMemoryReader::Read(void* data, size_t size) {
  const size_t n = std::min(size, bytes_.size() - at_);
  std::memcpy(data, bytes_.data() + at_, n);
  at_ += n;
  return n;
}

namespace {

using TCCtx = std::unique_ptr<ZSTD_CCtx, size_t (*)(ZSTD_CCtx*)>;

TCCtx NewCompressor(int level, uint64_t pledged) {
  TCCtx cctx(ZSTD_createCCtx(), ZSTD_freeCCtx);
  if (!cctx) throw std::bad_alloc();
  // The frame names neither a checksum nor a dictionary: the index holds
  // the checksum, and a smaller frame stays byte for byte the same.
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_compressionLevel, level);
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_checksumFlag, 0);
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_dictIDFlag, 0);
  ZSTD_CCtx_setPledgedSrcSize(cctx.get(), pledged);
  return cctx;
}

void Check(size_t rc) {
  if (ZSTD_isError(rc)) throw std::runtime_error(std::string("compression failed: ") + ZSTD_getErrorName(rc));
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

}  // namespace

void TPayloadWriter::Store(IFileReader& file, TPackedFile& f) {
  file.Rewind();
  std::string chunk(kProbeSize, '\0');
  for (uint64_t left = f.size; left > 0;) {
    const size_t n = size_t(std::min<uint64_t>(left, chunk.size()));
    ReadFully(file, chunk.data(), n);
    Put(chunk.data(), n);
    left -= n;
  }
  f.storedSize = f.size;
}

TPackedFile TPayloadWriter::AddFile(const TDestination& folder, std::string_view name, uint32_t flags, IFileReader& file) {
  TPackedFile f;
  f.folder = folder;
  f.name.assign(name);
  f.size = file.Size();
  f.flags = flags & (kFileNeverUninstall | kFileIsReadme);

  // The whole file is read once for its checksum and its packed form.
  TSha256 sha;
  std::string chunk(std::min<uint64_t>(f.size, kProbeSize), '\0');
  std::string packed;
  bool stored = f.size == 0;
  TCCtx cctx = NewCompressor(level_, f.size);
  for (uint64_t at = 0; at < f.size;) {
    const size_t n = size_t(std::min<uint64_t>(f.size - at, chunk.size()));
    ReadFully(file, chunk.data(), n);
    sha.Update(chunk.data(), n);
    at += n;
    if (stored) continue;
    ZSTD_inBuffer in{chunk.data(), n, 0};
    const ZSTD_EndDirective mode = at == f.size ? ZSTD_e_end : ZSTD_e_continue;
    size_t rest = 1;
    while (in.pos < in.size || (mode == ZSTD_e_end && rest != 0)) {
      const size_t before = packed.size();
      packed.resize(before + ZSTD_CStreamOutSize());
      ZSTD_outBuffer out{packed.data() + before, ZSTD_CStreamOutSize(), 0};
      rest = ZSTD_compressStream2(cctx.get(), &out, &in, mode);
      Check(rest);
      packed.resize(before + out.pos);
    }
    // After the probe: pictures and music do not shrink, and are not tried further.
    if (at == n && f.size > kProbeSize) {
      ZSTD_outBuffer none{nullptr, 0, 0};
      ZSTD_inBuffer empty{nullptr, 0, 0};
      size_t pending = 1;
      while (pending != 0) {
        const size_t before = packed.size();
        packed.resize(before + ZSTD_CStreamOutSize());
        none = {packed.data() + before, ZSTD_CStreamOutSize(), 0};
        pending = ZSTD_compressStream2(cctx.get(), &none, &empty, ZSTD_e_flush);
        Check(pending);
        packed.resize(before + none.pos);
      }
      if (packed.size() * 100 >= uint64_t(n) * 99) stored = true;
    }
    if (!stored && packed.size() >= f.size) stored = true;
  }
  if (file.Read(chunk.data(), 1) != 0) throw std::runtime_error("the file became longer while it was packed");
  f.checksum = sha.Finish();

  if (stored || packed.size() >= f.size) {
    packed.clear();
    packed.shrink_to_fit();
    Store(file, f);
  } else {
    f.flags |= kFileCompressed;
    f.storedSize = packed.size();
    Put(packed.data(), packed.size());
  }
  dataSize_ += f.storedSize;
  files_.push_back(f);
  return f;
}

TPackedFile TPayloadWriter::AddFile(const TDestination& folder, std::string_view name, uint32_t flags, std::string_view bytes) {
  TMemoryReader reader(bytes);
  return AddFile(folder, name, flags, reader);
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
