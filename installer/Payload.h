// The packed data a setup carries after its own program bytes.
//
// Layout, integers little-endian, read from the end of the file:
//   data   each file's bytes one after another: a zstd frame (of the bytes
//          as they are, or of their differences to the byte `delta` places
//          before), or the bytes as they are when packing would not pay
//   index  what to install (see PayloadIndex.cpp): the setup's names and
//          default folders, then the files (destination constant, relative
//          folder, name, size, stored size, flags, delta, checksum of the
//          bytes, and of the stored bytes when they are packed), registry
//          values, INI entries and shortcuts
//   tail   48 bytes: "VantaPak", version, 0, data size, index size,
//          checksum of index + the tail's first 32 bytes, "VantaEnd"
// Checksums are XXH3, 64 bits (Checksum.h); version 2 had XXH64 and is
// refused like any damaged setup.
// The tail's sizes locate the payload from the end, so any program can go
// before it. The tail's checksum covers the index, the index's checksums
// cover every data byte: nothing is used before all of them match. A
// stored file's bytes are hashed once, both for itself and for the whole.
#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Constants.h"
#include "RegistryRoot.h"
#include "Checksum.h"

namespace vanta::build {

inline constexpr uint32_t kPayloadVersion = 3;
inline constexpr size_t kTailSize = 48;
inline constexpr uint64_t kMaxIndexSize = 64u << 20;
inline constexpr size_t kMaxIndexString = 32768;

enum TFileFlags : uint32_t {
  kFileNeverUninstall = 1,
  kFileIsReadme = 2,
  kFileCompressed = 4,
  kFileShared = 8,
  kFileKnownFlags = 15,
};
// The largest distance of the difference filter (a pixel or a sample frame).
inline constexpr uint8_t kMaxDelta = 8;

struct TPackedFile {
  TDestination folder;
  std::string name;
  uint64_t size = 0;
  uint64_t storedSize = 0;
  uint32_t flags = 0;
  uint8_t delta = 0;  // packed as differences to the byte this far before; 0 none
  TChecksum checksum = 0;        // of the file's bytes
  TChecksum storedChecksum = 0;  // of its bytes in the data: the same as checksum unless packed
  bool operator==(const TPackedFile&) const = default;
};

struct TPackedRegistry {
  TRegistryRoot root = TRegistryRoot::CurrentUser;
  std::string subkey;
  std::string valueName;
  TConstText valueData;
  bool deleteKeyOnUninstall = false;
  bool operator==(const TPackedRegistry&) const = default;
};

struct TPackedIni {
  TDestination file;
  std::string section;
  std::string key;
  TConstText value;
  bool operator==(const TPackedIni&) const = default;
};

struct TPackedIcon {
  TDestination name;
  TConstText target;
  TConstText parameters;
  bool operator==(const TPackedIcon&) const = default;
};

struct TPayloadIndex {
  std::string appName;
  std::string appVerName;
  TDestination defaultDirName;
  std::string defaultGroupName;
  std::vector<TPackedFile> files;
  std::vector<TPackedRegistry> registry;
  std::vector<TPackedIni> ini;
  std::vector<TPackedIcon> icons;
  bool operator==(const TPayloadIndex&) const = default;
};

// Any fault of the packed bytes: the setup shows its one "corrupted" message,
// tests and logs see the reason.
class TPayloadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string EncodeIndex(const TPayloadIndex& index);
// Throws TPayloadError; every destination passes the path rules again.
TPayloadIndex DecodeIndex(std::string_view bytes);

class IByteSink {
 public:
  virtual ~IByteSink() = default;
  virtual void Write(const void* data, size_t size) = 0;  // throws on failure
};

class IByteSource {
 public:
  virtual ~IByteSource() = default;
  virtual uint64_t Size() const = 0;
  virtual void ReadAt(uint64_t offset, void* data, size_t size) = 0;  // throws on failure
};

class TStringSink : public IByteSink {
 public:
  void Write(const void* data, size_t size) override { bytes.append(static_cast<const char*>(data), size); }
  std::string bytes;
};

class TMemorySource : public IByteSource {
 public:
  explicit TMemorySource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  void ReadAt(uint64_t offset, void* data, size_t size) override;

 private:
  std::string_view bytes_;
};

// A file's bytes for packing, read in order, again from the start after
// Rewind. Read returns 0 at the end; a short or long file throws.
class IFileReader {
 public:
  virtual ~IFileReader() = default;
  virtual uint64_t Size() const = 0;
  virtual size_t Read(void* data, size_t size) = 0;
  virtual void Rewind() = 0;
};

class TMemoryReader : public IFileReader {
 public:
  explicit TMemoryReader(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  size_t Read(void* data, size_t size) override;
  void Rewind() override { at_ = 0; }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

// Writes the data of each file as it comes, then the index and the tail.
// The output depends only on the files and the index: no time, no paths of
// the building computer.
class TPayloadWriter {
 public:
  explicit TPayloadWriter(IByteSink& out, int level = kDefaultLevel);
  ~TPayloadWriter();
  TPayloadWriter(const TPayloadWriter&) = delete;
  TPayloadWriter& operator=(const TPayloadWriter&) = delete;
  static constexpr int kDefaultLevel = 9;

  // Packs one file and returns its entry (flags: the caller's
  // kFileNeverUninstall / kFileIsReadme; kFileCompressed and the delta are
  // decided here). The file's first kSampleSize bytes decide: packed
  // quickly, as they are and as differences to the byte 1 to 4 places
  // before (pixels, sound samples), the best of them must shrink by 3%,
  // or the file is stored as it is without trying the rest (pictures and
  // music that are packed already). Stored files stream straight through;
  // only a packed file's packed bytes are held in memory, and a file that
  // does not end up smaller is stored after all.
  TPackedFile AddFile(const TDestination& folder, std::string_view name, uint32_t flags, IFileReader& file);
  TPackedFile AddFile(const TDestination& folder, std::string_view name, uint32_t flags, std::string_view bytes);
  static constexpr size_t kSampleSize = 256 << 10;
  // `index.files` is replaced by the files added, in order.
  void Finish(TPayloadIndex index);
  uint64_t DataSize() const { return dataSize_; }
  uint64_t TotalSize() const { return total_; }

 private:
  struct TPlan {
    bool pack = false;
    uint8_t delta = 0;
  };
  TPlan Plan(std::string_view sample);
  void Put(const void* data, size_t size);
  void Store(IFileReader& file, TPackedFile& f, size_t have);
  bool Pack(IFileReader& file, TPackedFile& f, size_t have, uint8_t delta);
  IByteSink& out_;
  int level_;
  void* cctx_ = nullptr;  // ZSTD_CCtx, kept from file to file
  std::string chunk_;  // what is read of a file at a time
  std::string packed_;
  std::vector<TPackedFile> files_;
  uint64_t dataSize_ = 0;
  uint64_t total_ = 0;
  bool finished_ = false;
};

// The difference filter, a piece at a time: each byte becomes its
// difference to the byte `distance` places before it in the file (Encode)
// and back (Decode).
class TDeltaFilter {
 public:
  explicit TDeltaFilter(uint8_t distance) : distance_(distance) {}
  void Encode(const uint8_t* in, uint8_t* out, size_t size);
  void Decode(uint8_t* data, size_t size);

 private:
  uint8_t distance_;
  uint8_t history_[kMaxDelta] = {};  // the `distance_` bytes before the next piece, oldest first
};

struct TPayload {
  uint64_t start = 0;  // offset of the first data byte in the source
  uint64_t dataSize = 0;
  TPayloadIndex index;
  std::vector<uint64_t> fileOffsets;  // from `start`
};

// Finds the payload at the end of `source` (for a signed setup: before the
// certificates that signing appended), checks the index against the tail's
// checksum, reads it, then checks every file's data against its stored
// checksum. Throws TPayloadError.
TPayload OpenPayload(IByteSource& source);

// Where a Windows program's certificate table starts when signing appended
// one at the end of the file; the file's size otherwise.
uint64_t SignedPartEnd(IByteSource& source);

// One file's bytes, unpacked and checked against its size and (when
// packed: stored bytes were checked by OpenPayload) its checksum.
using TChunkSink = std::function<void(const void* data, size_t size)>;
void ExtractFile(IByteSource& source, const TPayload& payload, size_t file, const TChunkSink& sink);
std::string ExtractFile(IByteSource& source, const TPayload& payload, size_t file);

}  // namespace vanta::build
