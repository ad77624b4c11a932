// The packed data a setup carries after its own program bytes.
//
// A setup is one file, "<Base>.exe", when all of it fits in the slice size
// (DiskSliceSize); otherwise the .exe holds the program, the index and the
// tail, and the data runs on across "<Base>-1.bin", "<Base>-2.bin"...
// beside it, each at most the slice size, a file's bytes crossing from one
// part into the next where they must. The choice is made before packing,
// from the files' sizes (packing never makes a file larger).
//
// Layout of the .exe, integers little-endian, read from the end of the file:
//   data   (one file only) each file's bytes one after another: a zstd
//          frame (of the bytes as they are, or of their differences to the
//          byte `delta` places before), or the bytes as they are when
//          packing would not pay
//   index  what to install (see PayloadIndex.cpp): the setup's names,
//          version, publisher and links, default folders, the parts (name and exact size; none in one
//          file), then the files (destination constant, relative folder,
//          name, size, stored size, flags, delta, checksum of the bytes, and
//          of the stored bytes when they are packed, SHA-256 of the stored
//          bytes), registry values, INI entries, shortcuts and
//          the programs the Finished page offers
//   tail   48 bytes: "VantaPak", version, 0, size of the data in this file
//          (0 when it is in parts), index size, checksum of index + the
//          tail's first 32 bytes, "VantaEnd"
// Checksums are XXH3, 64 bits, digests SHA-256 (Checksum.h says which
// protects what); versions before 7 are refused like any damaged setup.
// The tail's sizes locate the payload from the end, so any program can go
// before it. Before anything is installed the setup checks the index
// against the tail's checksum and that every part is there with its exact
// size. The data is read once, while it is installed: each file's stored
// bytes are checked against their checksum and digest as they stream, and
// a mismatch fails the install, which then undoes all it did.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Constants.h"
#include "RegistryRoot.h"
#include "Checksum.h"

namespace vanta::build {

inline constexpr uint32_t kPayloadVersion = 7;
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
  TDigest storedDigest{};        // SHA-256 of its bytes in the data
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

// The Finished page has room for this many programs to start.
inline constexpr size_t kMaxRunEntries = 8;
enum TRunFlags : uint8_t { kRunUnchecked = 1, kRunSkipIfSilent = 2, kRunKnownFlags = 3 };

struct TPackedRun {
  TConstText filename;
  TConstText parameters;
  std::string description;
  uint8_t flags = 0;
  bool operator==(const TPackedRun&) const = default;
};

// A picture of the wizard's pages, fitted by the compiler: 24-bit rows,
// top-down, blue-green-red, each padded to 4 bytes (a DIB's rows).
struct TWizardPicture {
  uint32_t width = 0, height = 0;
  std::string rows;
  bool Empty() const { return width == 0; }
  static size_t Stride(uint32_t width) { return (size_t(width) * 3 + 3) & ~size_t(3); }
  bool operator==(const TWizardPicture&) const = default;
};
// Their sizes: the pages' at 200 %, so that they are drawn smaller, never larger.
inline constexpr uint32_t kWizardImageWidth = 328, kWizardImageHeight = 628;
inline constexpr uint32_t kWizardSmallImageSide = 110;

// One data part beside a spanned setup.
struct TPackedPart {
  std::string name;  // a file name in the setup's folder
  uint64_t size = 0;
  bool operator==(const TPackedPart&) const = default;
};

struct TPayloadIndex {
  std::string appName;
  std::string appVerName;
  std::string appVersion, appPublisher, appPublisherURL, appSupportURL, appUpdatesURL;
  TDestination defaultDirName;
  std::string defaultGroupName;
  std::vector<TPackedPart> parts;  // empty: the data is in the setup's own file
  std::vector<TPackedFile> files;
  std::vector<TPackedRegistry> registry;
  std::vector<TPackedIni> ini;
  std::vector<TPackedIcon> icons;
  std::vector<TPackedRun> run;
  TWizardPicture wizardImage, wizardSmallImage;  // empty: none
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
  // `index.files` is replaced by the files added, in order. The index and
  // tail go to `out`, which is the data's sink unless the data went into
  // the parts that `index.parts` names (their sizes add up to DataSize()).
  void Finish(TPayloadIndex index);
  void Finish(TPayloadIndex index, IByteSink& out);
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
  uint64_t programSize = 0;  // the setup's own file up to the payload: the program
  uint64_t start = 0;  // offset of the first data byte in the data's source
  uint64_t dataSize = 0;
  TPayloadIndex index;
  std::vector<uint64_t> fileOffsets;  // from `start`
};

// Finds the payload at the end of `source` (for a signed setup: before the
// certificates that signing appended) and reads its index once it matches
// the tail's checksum. The data is not read. Throws TPayloadError.
TPayload OpenPayload(IByteSource& source);

// A part beside the setup by its file name; nullptr when it is not there.
using TPartOpener = std::function<std::unique_ptr<IByteSource>(const std::string& name)>;
// Where the data is read from: `self` for a setup of one file, or its parts
// one after another, each there with its exact size. Throws TPayloadError
// naming the first part that is not.
std::unique_ptr<IByteSource> OpenData(IByteSource& self, const TPayload& payload, const TPartOpener& open);

// Where a Windows program's certificate table starts when signing appended
// one at the end of the file; the file's size otherwise.
uint64_t SignedPartEnd(IByteSource& source);

// One file's bytes from the data's source (OpenData), unpacked and checked
// as they come: the stored bytes against their checksum, and what they
// unpack to against its size and checksum. A mismatch throws TPayloadError
// naming the part (or parts) that hold the file, after the sink has seen
// the bytes, so the caller must undo what it made of them.
using TChunkSink = std::function<void(const void* data, size_t size)>;
void ExtractFile(IByteSource& source, const TPayload& payload, size_t file, const TChunkSink& sink);
std::string ExtractFile(IByteSource& source, const TPayload& payload, size_t file);

}  // namespace vanta::build
