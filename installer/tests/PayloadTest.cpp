#include "Payload.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace vanta::build {
namespace {

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(gen());
  return s;
}

struct TInputFile {
  TDestination folder;
  std::string name;
  uint32_t flags;
  std::string bytes;
  bool compressed;  // what packing should decide
};

std::vector<TInputFile> InputFiles() {
  return {
      {{TFolder::Sys, ""}, "My Saver.scr", 0, std::string(100000, 'x') + "tail", true},
      {{TFolder::Sys, ""}, "VantaSaver.001", kFileNeverUninstall, "[Effects]\r\nFade=118\r\n", false},
      {{TFolder::App, "sample"}, "photo.jpg", 0, RandomBytes(70000, 1), false},
      {{TFolder::App, "sample"}, "empty.wav", 0, "", false},
      {{TFolder::App, ""}, "Readme.txt", kFileIsReadme, std::string(5000, 'r'), true},
  };
}

TPayloadIndex SampleIndex() {
  TPayloadIndex x;
  x.appName = "My Saver";
  x.appVerName = "My Saver 1.0";
  x.defaultDirName = {TFolder::Pf, "My Saver"};
  x.defaultGroupName = "My Saver";
  x.registry.push_back({TRegistryRoot::CurrentUser, "Software\\Norvane\\My Saver", "", *ParseConstText("{app}", nullptr), true});
  x.registry.push_back({TRegistryRoot::LocalMachine, "Software\\X", "Path", *ParseConstText("{{literal}", nullptr), false});
  x.ini.push_back({{TFolder::Win, "system.INI"}, "boot", "SCRNSAVE.EXE", *ParseConstText("{sys}\\MySaver~1.scr", nullptr)});
  x.icons.push_back({{TFolder::Group, "Uninstall"}, *ParseConstText("{app}\\unins000.exe", nullptr),
                     *ParseConstText("/c {app}", nullptr)});
  x.run.push_back({*ParseConstText("{sys}\\a.scr", nullptr), *ParseConstText("/s", nullptr), "Preview", kRunUnchecked});
  return x;
}

// A program's bytes, then the payload.
std::string Pack(const std::vector<TInputFile>& files, const TPayloadIndex& index, const std::string& stub = "MZ stub") {
  TStringSink sink;
  sink.bytes = stub;
  TPayloadWriter writer(sink);
  for (const TInputFile& f : files) writer.AddFile(f.folder, f.name, f.flags, f.bytes);
  writer.Finish(index);
  EXPECT_EQ(writer.TotalSize(), sink.bytes.size() - stub.size());
  return sink.bytes;
}

TEST(Payload, RoundTrip) {
  const std::vector<TInputFile> files = InputFiles();
  const std::string setup = Pack(files, SampleIndex());
  TMemorySource source(setup);
  const TPayload p = OpenPayload(source);
  EXPECT_EQ(p.start, 7u);

  TPayloadIndex expected = SampleIndex();
  ASSERT_EQ(p.index.files.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    const TPackedFile& f = p.index.files[i];
    EXPECT_EQ(f.folder, files[i].folder) << i;
    EXPECT_EQ(f.name, files[i].name) << i;
    EXPECT_EQ(f.size, files[i].bytes.size()) << i;
    EXPECT_EQ((f.flags & kFileCompressed) != 0, files[i].compressed) << f.name;
    EXPECT_EQ(f.flags & ~uint32_t(kFileCompressed), files[i].flags) << f.name;
    EXPECT_EQ(f.checksum, Xxh3(files[i].bytes)) << f.name;
    if (files[i].compressed) EXPECT_LT(f.storedSize, f.size / 10) << f.name;
    else EXPECT_EQ(f.storedSize, f.size) << f.name;
    EXPECT_EQ(ExtractFile(source, p, i), files[i].bytes) << f.name;
    expected.files.push_back(f);
  }
  EXPECT_EQ(p.index, expected);
}

TEST(Payload, SameInputSameBytes) {
  EXPECT_EQ(Pack(InputFiles(), SampleIndex()), Pack(InputFiles(), SampleIndex()));
}

TEST(Payload, AFileLargerThanOneChunkStreamsInPieces) {
  // One stored, one packed, both over two megabytes.
  const std::string stored = RandomBytes(2500000, 7), packed = std::string(400000, 'z') + RandomBytes(2500000, 8);
  const std::string setup =
      Pack({{{TFolder::App, ""}, "stored.bin", 0, stored, false}, {{TFolder::App, ""}, "packed.bin", 0, packed, true}},
           SampleIndex());
  TMemorySource source(setup);
  const TPayload p = OpenPayload(source);
  for (size_t i = 0; i < 2; ++i) {
    const std::string& big = i == 0 ? stored : packed;
    EXPECT_EQ((p.index.files[i].flags & kFileCompressed) != 0, i == 1);
    size_t calls = 0;
    std::string out;
    ExtractFile(source, p, i, [&](const void* d, size_t n) {
      ++calls;
      out.append(static_cast<const char*>(d), n);
    });
    EXPECT_EQ(out, big);
    EXPECT_GT(calls, 2u);
  }
}

// Every byte of the payload, changed in three ways: the open fails, or
// unpacking the file whose bytes it is does.
TEST(Payload, EveryFlippedByteIsDetected) {
  const std::string stub = "MZ";
  const std::string setup = Pack({{{TFolder::App, ""}, "a.txt", 0, std::string(300, 'a'), true},
                                  {{TFolder::Sys, ""}, "b.bin", 0, "bbbb", false}},
                                 SampleIndex(), stub);
  for (size_t i = stub.size(); i < setup.size(); ++i) {
    for (uint8_t mask : {0x01, 0x80, 0xFF}) {
      std::string bad = setup;
      bad[i] = char(bad[i] ^ mask);
      TMemorySource source(bad);
      EXPECT_THROW(
          {
            const TPayload p = OpenPayload(source);
            for (size_t f = 0; f < p.index.files.size(); ++f) ExtractFile(source, p, f);
          },
          TPayloadError)
          << "byte " << i << " mask " << int(mask);
    }
  }
}

TEST(Payload, CutOrExtendedFilesAreRefused) {
  const std::string setup = Pack(InputFiles(), SampleIndex());
  for (size_t keep : {size_t(0), size_t(1), kTailSize - 1, kTailSize, setup.size() / 2, setup.size() - 1}) {
    TMemorySource source(std::string_view(setup).substr(0, keep));
    EXPECT_THROW(OpenPayload(source), TPayloadError) << keep;
  }
  const std::string longer = setup + "x";
  TMemorySource source(longer);
  EXPECT_THROW(OpenPayload(source), TPayloadError);
}

// A setup of another format (version 2 had XXH64 checksums) is refused as
// damaged even when its tail's checksum is right for the version it names.
TEST(Payload, AnotherFormatVersionIsRefused) {
  const std::string setup = Pack(InputFiles(), SampleIndex());
  const size_t tail = setup.size() - kTailSize;
  for (uint32_t version : {1u, 2u, kPayloadVersion + 1, 0xFFFFFFFFu}) {
    std::string bad = setup;
    for (int i = 0; i < 4; ++i) bad[tail + 8 + i] = char(version >> (8 * i));
    const uint64_t indexSize = uint8_t(bad[tail + 24]) | uint64_t(uint8_t(bad[tail + 25])) << 8;
    TXxh3 sum;
    sum.Update(std::string_view(bad).substr(tail - indexSize, indexSize));
    sum.Update(std::string_view(bad).substr(tail, 32));
    const TChecksum c = sum.Finish();
    for (int i = 0; i < 8; ++i) bad[tail + 32 + i] = char(c >> (8 * i));
    TMemorySource source(bad);
    try {
      OpenPayload(source);
      ADD_FAILURE() << "version " << version << " accepted";
    } catch (const TPayloadError& e) {
      EXPECT_NE(std::string(e.what()).find("version"), std::string::npos) << e.what();
    }
  }
}

// A payload packed by hand with a valid checksum: the reader's own checks
// must still refuse destinations outside their folders.
TEST(Payload, HostileIndexWithAValidChecksumIsRefused) {
  const std::vector<std::function<void(TPayloadIndex&, std::string&)>> kHostile = {
      [](TPayloadIndex&, std::string& name) { name = "..\\evil.dll"; },
      [](TPayloadIndex&, std::string& name) { name = "CON"; },
      [](TPayloadIndex&, std::string& name) { name = "x.txt:stream"; },
      [](TPayloadIndex&, std::string& name) { name = ""; },
      [](TPayloadIndex& x, std::string&) { x.defaultDirName.relative = ""; },
      [](TPayloadIndex& x, std::string&) { x.defaultDirName.relative = "..\\.."; },
      [](TPayloadIndex& x, std::string&) { x.defaultDirName.folder = TFolder::App; },
      [](TPayloadIndex& x, std::string&) { x.defaultGroupName = "..\\..\\Startup"; },
      [](TPayloadIndex& x, std::string&) { x.ini[0].file.relative = "C:\\boot.ini"; },
      [](TPayloadIndex& x, std::string&) { x.ini[0].file.relative = ""; },
      [](TPayloadIndex& x, std::string&) { x.ini[0].key = "a=b"; },
      [](TPayloadIndex& x, std::string&) { x.ini[0].section = "s\r\n[boot"; },
      [](TPayloadIndex& x, std::string&) { x.icons[0].name.relative = "\\Startup\\x"; },
      [](TPayloadIndex& x, std::string&) { x.registry[0].subkey = ""; },
      [](TPayloadIndex& x, std::string&) { x.registry[0].subkey = "\\"; },
      [](TPayloadIndex& x, std::string&) { x.registry[0].valueName = "a\nb"; },
      [](TPayloadIndex& x, std::string&) { x.parts.push_back({"..\\setup-1.bin", 4}); },
      [](TPayloadIndex& x, std::string&) { x.parts = {{"setup-1.bin", 4}, {"setup-2.bin", 0}}; },
  };
  for (size_t i = 0; i < kHostile.size(); ++i) {
    TPayloadIndex index = SampleIndex();
    std::string name = "ok.txt";
    kHostile[i](index, name);
    const std::string setup = Pack({{{TFolder::App, ""}, name, 0, "data", false}}, index);
    TMemorySource source(setup);
    EXPECT_THROW(OpenPayload(source), TPayloadError) << "case " << i;
  }
}

TEST(Payload, IndexCountsBeyondTheIndexAreRefusedBeforeUse) {
  std::string bytes = EncodeIndex(SampleIndex());
  // The file count follows the setup texts (the five about the program empty) and the part count; make it huge.
  const size_t at = 4 + 8 + 4 + 12 + 5 * 4 + 1 + 4 + 8 + 4 + 8 + 4;
  ASSERT_EQ(bytes.substr(at, 4), std::string(4, '\0'));
  bytes.replace(at, 4, "\xFF\xFF\xFF\x7F");
  EXPECT_THROW(DecodeIndex(bytes), TPayloadError);
  EXPECT_EQ(DecodeIndex(EncodeIndex(SampleIndex())), SampleIndex());
}

TEST(Payload, CompressedDataThatUnpacksWrongIsRefused) {
  TPayloadIndex index = SampleIndex();
  TStringSink sink;
  TPayloadWriter writer(sink);
  const std::string bytes(5000, 'q');
  writer.AddFile({TFolder::App, ""}, "q.txt", 0, bytes);
  writer.Finish(index);
  TMemorySource good(sink.bytes);
  TPayload p = OpenPayload(good);
  ASSERT_TRUE(p.index.files[0].flags & kFileCompressed);
  // The index lies about the size or the checksum after a valid open.
  p.index.files[0].size -= 1;
  EXPECT_THROW(ExtractFile(good, p, 0), TPayloadError);
  p.index.files[0].size += 2;
  EXPECT_THROW(ExtractFile(good, p, 0), TPayloadError);
  p.index.files[0].size -= 1;
  p.index.files[0].checksum ^= 1;
  EXPECT_THROW(ExtractFile(good, p, 0), TPayloadError);
}

struct TPackingCase {
  const char* what;
  std::string bytes;
  bool compressed;
};

// 16-bit stereo sound: a slow tone, and noise of `noise` steps on top.
std::string Sound(size_t frames, int amplitude, int noise, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s;
  for (size_t i = 0; i < frames; ++i) {
    for (int channel = 0; channel < 2; ++channel) {
      const int v = int(amplitude * std::sin(double(i) * (channel ? 0.011 : 0.007))) + int(gen() % (2 * noise + 1)) - noise;
      s += char(v & 0xFF);
      s += char((v >> 8) & 0xFF);
    }
  }
  return s;
}

// Large files are decided by their first bytes, small ones whole.
TEST(Payload, WhatIsPackedAndWhatIsStored) {
  const size_t mb = 1 << 20, sample = TPayloadWriter::kSampleSize;
  const TPackingCase kCases[] = {
      {"3 MB of zeros", std::string(3 * mb, '\0'), true},
      {"3 MB of noise", RandomBytes(3 * mb, 3), false},
      {"noise, then zeros", RandomBytes(sample, 4) + std::string(2 * mb, '\0'), false},
      {"zeros, then noise", std::string(2 * mb, '\0') + RandomBytes(mb, 5), true},
      {"a small text", std::string(5000, 'q'), true},
      {"a little noise", RandomBytes(5000, 6), false},
      {"one byte", "x", false},
      {"exactly the sample, zeros", std::string(sample, '\0'), true},
      {"exactly the read size, zeros", std::string(mb, '\0'), true},
  };
  for (const TPackingCase& c : kCases) {
    TStringSink sink;
    TPayloadWriter writer(sink);
    const TPackedFile f = writer.AddFile({TFolder::App, ""}, "f.bin", 0, c.bytes);
    writer.Finish(SampleIndex());
    EXPECT_EQ((f.flags & kFileCompressed) != 0, c.compressed) << c.what;
    EXPECT_EQ(f.checksum, Xxh3(c.bytes)) << c.what;
    TMemorySource source(sink.bytes);
    const TPayload p = OpenPayload(source);
    EXPECT_EQ(ExtractFile(source, p, 0), c.bytes) << c.what;
  }
}

// Sound and pictures are packed as differences to the sample or pixel
// before, even when the bytes themselves do not pack; the setup gets the
// same bytes back, across the pieces it unpacks them in.
TEST(Payload, SoundAndPicturesArePackedAsDifferences) {
  std::string picture;  // 24-bit pixels of a gradient with a little noise
  std::mt19937 gen(9);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      for (int c = 0; c < 3; ++c) picture += char((x / 4 + y / 3 + c * 40 + int(gen() % 5)) & 0xFF);
  struct TCase {
    const char* what;
    std::string bytes;
    uint8_t delta;
  };
  const TCase kCases[] = {
      {"quiet sound", Sound(600000, 12000, 3, 1), 4},
      // Too noisy for the pattern search alone: its bytes do not pack.
      {"loud, noisy sound", Sound(600000, 30000, 1000, 2), 4},
      {"picture", picture, 3},
  };
  for (const TCase& c : kCases) {
    TStringSink sink;
    TPayloadWriter writer(sink);
    const TPackedFile f = writer.AddFile({TFolder::App, ""}, "f.bin", 0, c.bytes);
    writer.Finish(SampleIndex());
    EXPECT_TRUE(f.flags & kFileCompressed) << c.what;
    EXPECT_EQ(f.delta, c.delta) << c.what;
    EXPECT_LT(f.storedSize, f.size * 9 / 10) << c.what;
    EXPECT_EQ(f.checksum, Xxh3(c.bytes)) << c.what;
    TMemorySource source(sink.bytes);
    const TPayload p = OpenPayload(source);
    EXPECT_EQ(p.index.files[0], f);
    EXPECT_EQ(ExtractFile(source, p, 0), c.bytes) << c.what;
  }
}

TEST(Payload, TheDifferenceFilterUndoesItselfInAnyPieces) {
  const std::string bytes = RandomBytes(1000, 11);
  for (uint8_t d = 1; d <= kMaxDelta; ++d) {
    for (size_t piece : {1u, 3u, 7u, 8u, 64u, 1000u}) {
      TDeltaFilter encoder(d), decoder(d);
      std::string encoded(bytes.size(), '\0');
      for (size_t at = 0; at < bytes.size(); at += piece) {
        const size_t n = std::min(piece, bytes.size() - at);
        encoder.Encode(reinterpret_cast<const uint8_t*>(bytes.data() + at), reinterpret_cast<uint8_t*>(encoded.data() + at), n);
      }
      // Each byte is its difference to the one d before.
      for (size_t i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(uint8_t(encoded[i]), uint8_t(bytes[i] - (i >= d ? bytes[i - d] : 0))) << int(d) << " " << piece << " " << i;
      std::string decoded = encoded;
      for (size_t at = 0; at < bytes.size(); at += piece + 2)
        decoder.Decode(reinterpret_cast<uint8_t*>(decoded.data() + at), std::min(piece + 2, bytes.size() - at));
      ASSERT_EQ(decoded, bytes) << int(d) << " " << piece;
    }
  }
}

TEST(Payload, AnIndexWithAFilterThatCannotBeIsRefused) {
  TPayloadIndex x = SampleIndex();
  TPackedFile f;
  f.folder = {TFolder::App, ""};
  f.name = "a.wav";
  f.size = 100;
  f.storedSize = 50;
  f.flags = kFileCompressed;
  f.delta = 2;
  x.files.push_back(f);
  EXPECT_EQ(DecodeIndex(EncodeIndex(x)), x);
  x.files[0].delta = kMaxDelta + 1;
  EXPECT_THROW(DecodeIndex(EncodeIndex(x)), TPayloadError);
  x.files[0] = f;
  x.files[0].flags = 0;
  x.files[0].storedSize = 100;
  EXPECT_THROW(DecodeIndex(EncodeIndex(x)), TPayloadError) << "differences of a stored file";
  x.files[0].delta = 0;
  x.files[0].storedChecksum = x.files[0].checksum;
  EXPECT_EQ(DecodeIndex(EncodeIndex(x)), x);
}

// A source that changes while it is packed.
class TLyingReader : public IFileReader {
 public:
  TLyingReader(uint64_t claimed, std::string bytes) : claimed_(claimed), bytes_(std::move(bytes)), inner_(bytes_) {}
  uint64_t Size() const override { return claimed_; }
  size_t Read(void* data, size_t size) override { return inner_.Read(data, size); }
  void Rewind() override { inner_.Rewind(); }

 private:
  uint64_t claimed_;
  std::string bytes_;
  TMemoryReader inner_;
};

TEST(Payload, AFileThatChangesWhilePackedIsAnError) {
  for (const auto& [claimed, real] : {std::pair<uint64_t, size_t>{100, 50}, {100, 150}, {3u << 20, (3u << 20) - 1}}) {
    TStringSink sink;
    TPayloadWriter writer(sink);
    TLyingReader reader(claimed, std::string(real, 'z'));
    EXPECT_THROW(writer.AddFile({TFolder::App, ""}, "f", 0, reader), std::runtime_error) << claimed << " " << real;
  }
}

// The headers of a Windows program as far as the certificate table's entry.
std::string FakeProgram() {
  std::string pe(0x40 + 24 + 224, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  pe[0x3C] = 0x40;
  pe.replace(0x40, 4, std::string("PE\0\0", 4));
  pe[0x40 + 24] = 0x0B;  // PE32
  pe[0x40 + 24 + 1] = 0x01;
  pe[0x40 + 24 + 92] = 16;  // data directories
  return pe;
}

// What signing does: pad to 8 bytes, append the certificates, point the
// security entry at them.
std::string Sign(std::string file, size_t certificateBytes) {
  while (file.size() % 8) file += '\0';
  const uint32_t table = uint32_t(file.size());
  file += std::string(certificateBytes, '\x5A');
  const size_t entry = 0x40 + 24 + 96 + 4 * 8;
  for (int i = 0; i < 4; ++i) {
    file[entry + i] = char(table >> (8 * i));
    file[entry + 4 + i] = char(certificateBytes >> (8 * i));
  }
  return file;
}

TEST(Payload, ASignedSetupStillFindsItsPayload) {
  const std::vector<TInputFile> files = InputFiles();
  const std::string setup = Pack(files, SampleIndex(), FakeProgram());
  // Zero bytes after the payload, then signing's own padding: up to 7 in
  // all can be signing's, more cannot.
  for (size_t extra = 0; extra < 16; ++extra) {
    const std::string signedSetup = Sign(setup + std::string(extra, '\0'), 1234);
    TMemorySource source(signedSetup);
    EXPECT_EQ(SignedPartEnd(source), signedSetup.size() - 1234);
    const size_t zeros = signedSetup.size() - 1234 - setup.size();
    if (zeros >= 8) {
      EXPECT_THROW(OpenPayload(source), TPayloadError) << extra;
      continue;
    }
    const TPayload p = OpenPayload(source);
    EXPECT_EQ(p.start, FakeProgram().size());
    EXPECT_EQ(ExtractFile(source, p, 2), files[2].bytes);
  }
  // A security entry that does not close the file is not a signature.
  std::string odd = Sign(setup, 100);
  odd += "more";
  TMemorySource oddSource(odd);
  EXPECT_EQ(SignedPartEnd(oddSource), odd.size());
  EXPECT_THROW(OpenPayload(oddSource), TPayloadError);
  // Bytes other than zeros between the payload and the certificates.
  TMemorySource junk(Sign(setup + "x", 64));
  EXPECT_THROW(OpenPayload(junk), TPayloadError);
  // Without a signature the program's headers change nothing.
  TMemorySource plain(setup);
  EXPECT_EQ(SignedPartEnd(plain), setup.size());
  EXPECT_EQ(OpenPayload(plain).index.files.size(), files.size());
}

}  // namespace
}  // namespace vanta::build
