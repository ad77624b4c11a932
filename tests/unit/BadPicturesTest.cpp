// The malformed-file corpus: hand-made bad files for each reader, every
// one refused with a TPictureError (never another exception, never a
// crash), plus every truncation and many one-byte corruptions of good
// files. With VANTA_WRITE_CORPUS=folder the corpus is also written there
// (it seeds the fuzz targets' corpora).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "PictureWriters.h"
#include "engine/codecs/Bmp.h"
#include "engine/codecs/Gif.h"
#include "engine/codecs/Ico.h"
#include "engine/codecs/Jpeg.h"
#include "engine/codecs/Png.h"
#include "engine/codecs/Webp.h"

namespace vanta {
namespace {

using test::TFile;

using test::Bytes;

using TDecode = std::function<TBitmap24(TBytes)>;
const TDecode kGif = [](TBytes b) { return DecodeGif(b, 0x010203); };
const TDecode kBmp = [](TBytes b) { return DecodeBmp(b); };
const TDecode kIco = [](TBytes b) { return DecodeIco(b, 0x010203); };
const TDecode kJpeg = [](TBytes b) { return DecodeJpeg(b).Bitmap; };
const TDecode kPng = [](TBytes b) { return DecodePng(b, 0x010203).Bitmap; };
const TDecode kWebp = [](TBytes b) { return DecodeWebp(b, 0x010203).Bitmap; };

struct TBad {
  std::string name;
  TFile file;
  const char* reason;  // part of the message
};

void WriteCorpus(const char* reader, const std::vector<TBad>& bad, const std::string& prefix = "bad-") {
  const char* folder = std::getenv("VANTA_WRITE_CORPUS");
  if (!folder) return;
  const std::filesystem::path dir = std::filesystem::path(folder) / reader;
  std::filesystem::create_directories(dir);
  for (const TBad& b : bad) std::ofstream(dir / (prefix + b.name), std::ios::binary) << b.file;
}

void ExpectAllRefused(const char* reader, const TDecode& decode, const std::vector<TBad>& bad) {
  WriteCorpus(reader, bad);
  for (const TBad& b : bad) {
    try {
      decode(Bytes(b.file));
      ADD_FAILURE() << reader << " " << b.name << ": decoded";
    } catch (const TPictureError& e) {
      EXPECT_NE(std::string(e.what()).find(b.reason), std::string::npos) << b.name << ": " << e.what();
    } catch (const std::exception& e) {
      ADD_FAILURE() << reader << " " << b.name << ": not a picture error: " << e.what();
    }
  }
}

// A GIF with a global table of `colours` entries and one w x h image whose
// data are `codes`, each written `bits` wide.
TFile RawGif(int colours, int w, int h, int minCodeSize, const std::vector<int>& codes, int bits) {
  TFile f = "GIF87a";
  test::Put16(f, w);
  test::Put16(f, h);
  int sizeBits = 0;
  while ((2 << sizeBits) < colours) ++sizeBits;
  f += static_cast<char>(0x80 | sizeBits);
  f += std::string("\0\0", 2);
  for (int i = 0; i < (2 << sizeBits) * 3; ++i) f += static_cast<char>(i * 40);
  f += '\x2C';
  test::Put32(f, 0);
  test::Put16(f, w);
  test::Put16(f, h);
  f += '\0';
  f += static_cast<char>(minCodeSize);
  TFile data;
  uint32_t buffer = 0;
  int count = 0;
  for (int c : codes) {
    buffer |= static_cast<uint32_t>(c) << count;
    count += bits;
    while (count >= 8) {
      data += static_cast<char>(buffer & 255);
      buffer >>= 8;
      count -= 8;
    }
  }
  if (count) data += static_cast<char>(buffer);
  f += static_cast<char>(data.size());
  f += data;
  f += '\0';
  f += ';';
  return f;
}

TFile With(TFile f, size_t at, const std::string& bytes) {
  if (f.size() < at + bytes.size()) f.resize(at + bytes.size());
  f.replace(at, bytes.size(), bytes);
  return f;
}
TFile Cut(const TFile& f, size_t n) { return f.substr(0, f.size() > n ? f.size() - n : 0); }
std::string U32(uint32_t v) {
  TFile f;
  test::Put32(f, v);
  return f;
}
std::string U16(uint32_t v) {
  TFile f;
  test::Put16(f, v);
  return f;
}

TEST(BadPictures, GifCorpusIsRefused) {
  const TFile good = test::MakeGif(test::ReferencePicture(9, 13), {.extensions = true});
  const size_t image = good.find('\x2C', 13 + 24);  // the image descriptor after the extensions
  ASSERT_NE(image, std::string::npos);
  ASSERT_NO_THROW(kGif(Bytes(good)));
  ASSERT_NO_THROW(kGif(Bytes(RawGif(4, 2, 1, 2, {4, 1, 2, 5}, 3))));  // the raw builder itself is sound
  std::vector<TBad> bad = {
      {"empty", "", "not a GIF"},
      {"signature-only", "GIF89", "not a GIF"},
      {"gif88a", With(good, 0, "GIF88a"), "not a GIF"},
      {"screen-cut", good.substr(0, 9), "truncated"},
      {"table-cut", good.substr(0, 20), "truncated"},
      {"no-image", good.substr(0, 13 + 24) + ";", "no image"},
      {"unknown-block", good.substr(0, 13 + 24) + "\x99", "unknown block"},
      {"descriptor-cut", good.substr(0, image + 5), "truncated"},
      {"code-size-0", RawGif(4, 2, 1, 0, {4, 1, 2, 5}, 3), "LZW code size 0"},
      {"code-size-9", RawGif(4, 2, 1, 9, {4, 1, 2, 5}, 3), "LZW code size 9"},
      {"code-size-12", RawGif(4, 2, 1, 12, {4, 1, 2, 5}, 3), "LZW code size 12"},
      {"code-size-13", RawGif(4, 2, 1, 13, {4, 1, 2, 5}, 3), "LZW code size 13"},
      {"code-size-255", RawGif(4, 2, 1, 255, {4, 1, 2, 5}, 3), "LZW code size"},
      {"code-beyond-table", RawGif(4, 3, 1, 2, {4, 1, 7, 5}, 3), "not in the table"},
      {"first-code-undefined", RawGif(4, 2, 1, 2, {4, 6, 1, 5}, 3), "not in the table"},
      {"first-code-after-clear-defined-later", RawGif(4, 4, 1, 2, {4, 1, 1, 4, 6, 5}, 3), "not in the table"},
      {"end-code-first", RawGif(4, 2, 1, 2, {5}, 3), "ends before"},
      {"too-few-pixels", RawGif(4, 3, 1, 2, {4, 1, 2, 5}, 3), "ends before"},
      {"no-data", RawGif(4, 3, 1, 2, {}, 3), "ends before"},
      {"index-outside-table", RawGif(2, 2, 1, 2, {4, 1, 3, 5}, 3), "outside the colour table"},
      {"no-colour-table", With(RawGif(4, 2, 1, 2, {4, 1, 2, 5}, 3), 10, std::string(1, '\0')).erase(13, 12), "no colour table"},
      {"data-cut", Cut(good, 40), "truncated"},
      {"width-0", With(good, image + 5, U16(0)), "empty picture"},
      {"height-0", With(good, image + 7, U16(0)), "empty picture"},
      {"side-too-large", With(With(good, image + 5, U16(20000)), 6, U16(20000)), "pixels a side"},
      {"bytes-too-large", With(With(good, image + 5, U16(16384)), image + 7, U16(16384)), "MB"},
      {"offset-overflow", With(good, image + 1, U16(65535) + U16(65535)), "pixels a side"},
      {"gce-short", good.substr(0, 13 + 24) + "\x21\xF9\x02\x01\x00\x00" + good.substr(image), "graphic control"},
      {"extension-cut", good.substr(0, 13 + 24) + "\x21\xFE\x40xy", "truncated"},
  };
  ExpectAllRefused("gif", kGif, bad);
}

TEST(BadPictures, BmpCorpusIsRefused) {
  const TFile good = test::MakeBmp(test::ReferencePicture(7, 5), {8, 0, false, false});
  const TFile rle = test::MakeBmp(test::ReferencePicture(7, 5), {8, 1, false, false});
  const TFile rle4 = test::MakeBmp(test::ReferencePicture(7, 5), {4, 2, false, false});
  const TFile core = test::MakeBmp(test::ReferencePicture(7, 5), {24, 0, false, true});
  ASSERT_NO_THROW(kBmp(Bytes(good)));
  const size_t pixels = 14 + 40 + 1024;
  std::vector<TBad> bad = {
      {"empty", "", "not a BMP"},
      {"bm-only", "BM", "truncated"},
      {"signature", With(good, 0, "BX"), "not a BMP"},
      {"header-size-0", With(good, 14, U32(0)), "header size 0"},
      {"header-size-13", With(good, 14, U32(13)), "header size 13"},
      {"header-size-64", With(good, 14, U32(64)), "header size 64"},
      {"header-size-huge", With(good, 14, U32(0xFFFFFFF0)), "header size"},
      {"header-cut", good.substr(0, 30), "truncated"},
      {"width-0", With(good, 18, U32(0)), "not positive"},
      {"width-negative", With(good, 18, U32(-7)), "not positive"},
      {"height-0", With(good, 22, U32(0)), "empty picture"},
      {"height-int-min", With(good, 22, U32(0x80000000)), "pixels a side"},
      {"width-huge", With(good, 18, U32(100000)), "pixels a side"},
      {"size-overflow", With(With(good, 18, U32(0x7FFFFFFF)), 22, U32(0x7FFFFFFF)), "pixels a side"},
      {"bytes-too-large", With(With(good, 18, U32(16384)), 22, U32(16384)), "MB"},
      {"bits-0", With(good, 28, U16(0)), "bit count 0"},
      {"bits-2", With(good, 28, U16(2)), "bit count 2"},
      {"bits-48", With(good, 28, U16(48)), "bit count 48"},
      {"compression-jpeg", With(good, 30, U32(4)), "compression 4"},
      {"compression-png", With(good, 30, U32(5)), "compression 5"},
      {"compression-huge", With(good, 30, U32(0x7FFFFFFF)), "compression"},
      {"rle8-with-4-bits", With(rle, 28, U16(4)), "run-length compression with 4"},
      {"rle-top-down", With(rle, 22, U32(-5)), "top-down run-length"},
      {"bitfields-24", With(With(good, 28, U16(24)), 30, U32(3)), "bit fields with 24"},
      {"mask-with-gaps", With(test::MakeBmp(test::ReferencePicture(7, 5), {16, 3}), 54, U32(0xF00F)), "gaps"},
      {"colours-used-huge", With(good, 46, U32(70000)), "colour table of 70000"},
      {"palette-cut", good.substr(0, 14 + 40 + 100), "truncated"},
      {"offset-beyond-file", With(good, 10, U32(100000)), "outside the file"},
      {"offset-into-header", With(good, 10, U32(20)), "outside the file"},
      {"pixels-cut", Cut(good, 1), "truncated pixel data"},
      {"pixels-missing", good.substr(0, pixels), "truncated pixel data"},
      {"index-outside-table", With(With(good, 46, U32(2)), 10, U32(14 + 40 + 8)), "outside the colour table"},
      {"rle-run-leaves-row", With(rle, pixels, "\x09\x01"), "leaves the picture"},
      {"rle-absolute-leaves-row", With(rle, pixels, std::string("\x00\x09", 2) + "123456789\x00"), "leaves the picture"},
      {"rle-absolute-cut", rle.substr(0, pixels) + std::string("\x00\x09\x01", 3), "truncated"},
      {"rle-delta-outside", With(rle, pixels, std::string("\x00\x02\x05\x00\x00\x02\x05\x00", 8)), "outside the picture"},
      {"rle-delta-above", With(rle, pixels, std::string("\x00\x02\x00\x09", 4)), "outside the picture"},
      {"rle-no-end", Cut(rle, 2), "without its end mark"},
      {"rle-too-many-rows", rle.substr(0, pixels) + std::string(12, '\0') + "\x01\x01", "leaves the picture"},
      {"rle-index-outside-table", With(With(rle, 46, U32(2)), pixels, "\x01\x05"), "outside the colour table"},
      {"rle4-run-leaves-row", With(rle4, 14 + 40 + 64, "\x09\x11"), "leaves the picture"},
      {"rle-delta-beyond-row", With(rle, pixels, std::string("\x00\x02\x09\x00", 4)), "outside the picture"},
      {"core-bits-16", With(core, 24, U16(16)), "bit count 16"},
      {"core-width-0", With(core, 18, U16(0)), "empty picture"},
      {"core-cut", Cut(core, 3), "truncated pixel data"},
  };
  ExpectAllRefused("bmp", kBmp, bad);
}

TEST(BadPictures, IcoCorpusIsRefused) {
  test::TIconImage entry{test::ReferencePicture(16, 16), {}, std::vector<bool>(256, false)};
  const TFile good = test::MakeIco({entry});
  ASSERT_NO_THROW(kIco(Bytes(good)));
  const size_t dib = 22;
  std::vector<TBad> bad = {
      {"empty", "", "truncated"},
      {"reserved", With(good, 0, U16(1)), "not an icon"},
      {"type-3", With(good, 2, U16(3)), "not an icon"},
      {"count-0", With(good, 4, U16(0)), "no icon"},
      {"count-beyond-file", With(good, 4, U16(5000)), "points outside"},
      {"offset-beyond-file", With(good, 18, U32(100000)), "points outside"},
      {"size-beyond-file", With(good, 14, U32(100000)), "points outside"},
      {"offset-in-directory", With(good, 18, U32(8)), "points outside"},
      {"offset-size-overflow", With(With(good, 18, U32(0xFFFFFFF0)), 14, U32(0x20)), "points outside"},
      {"size-0", With(good, 14, U32(0)), "points outside"},
      {"second-entry-lies", With(With(good, 4, U16(2)), 6 + 16, std::string(8, '\x10') + U32(100) + U32(999999)), "points outside"},
      {"dib-header-size", With(good, dib, U32(99)), "header size 99"},
      {"dib-odd-height", With(good, dib + 8, U32(33)), "odd icon height"},
      {"dib-top-down", With(good, dib + 8, U32(-32)), "top-down icon"},
      {"dib-bits-7", With(good, dib + 14, U16(7)), "bit count 7"},
      {"dib-width-huge", With(good, dib + 4, U32(100000)), "pixels a side"},
      {"dib-width-0", With(good, dib + 4, U32(0)), "not positive"},
      {"dib-index-outside-table", With(With(good, dib + 32, U32(2)), dib + 40 + 8, "\x05"), "outside the colour table"},
      {"dib-mask-cut", With(good, 14, U32(static_cast<uint32_t>(good.size() - dib - 10))), "truncated AND mask"},
      {"dib-pixels-cut", With(good, 14, U32(40 + 1024 + 100)), "truncated pixel data"},
      {"png-entry", With(good, dib, "\x89PNG\r\n\x1a\n"), "PNG"},
      {"dib-rle8", With(good, dib + 16, U32(1)), "run-length compressed icon"},
  };
  ExpectAllRefused("ico", kIco, bad);
}

TEST(BadPictures, JpegCorpusIsRefused) {
  const TFile good = test::MakeJpeg(test::ReferencePicture(32, 16), 90);
  ASSERT_NO_THROW(kJpeg(Bytes(good)));
  const size_t sof = good.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  const size_t sos = good.find("\xFF\xDA"), dqt = good.find("\xFF\xDB"), dht = good.find("\xFF\xC4");
  ASSERT_NE(sos, std::string::npos);
  ASSERT_NE(dqt, std::string::npos);
  ASSERT_NE(dht, std::string::npos);
  std::vector<TBad> bad = {
      {"eoi-after-soi", "\xFF\xD8\xFF\xD9", "JPEG: "},
      {"soi-twice", "\xFF\xD8" + good, "JPEG: "},
      {"sos-before-sof", good.substr(0, 2) + good.substr(sos), "JPEG: "},
      {"components-5", With(good, sof + 9, "\x05"), "JPEG: "},
      {"sampling-0", With(good, sof + 11, std::string(1, '\0')), "JPEG: "},
      {"sampling-5", With(good, sof + 11, "\x55"), "JPEG: "},
      {"quant-table-undefined", With(good, sof + 12, "\x03"), "JPEG: "},
      {"dqt-index-9", With(good, dqt + 4, "\x09"), "JPEG: "},
      {"dht-index-bogus", With(good, dht + 4, "\x25"), "JPEG: "},
      {"dht-counts-overflow", With(good, dht + 5, std::string(16, '\xFF')), "JPEG: "},
      {"sos-component-unknown", With(good, sos + 5, "\x09"), "JPEG: "},
      {"sos-length-short", With(good, sos + 2, std::string("\x00\x02", 2)), "JPEG: "},
      {"sos-components-0", With(good, sos + 4, std::string(1, '\0')), "JPEG: "},
      {"empty", "", "not a JPEG"},
      {"soi-only", "\xFF\xD8", "not a JPEG"},
      {"not-soi", With(good, 0, "\xFF\xD9"), "not a JPEG"},
      {"header-cut", good.substr(0, 100), "JPEG"},
      {"scan-cut", good.substr(0, sos + 40), "ends before"},
      {"eoi-missing-half", good.substr(0, good.size() / 2 + 100), "ends before"},
      {"width-0", With(good, sof + 7, std::string(2, '\0')), "JPEG"},
      {"height-too-large", With(With(good, sof + 5, "\x7F\x00"), sof + 7, "\x7F\x00"), "pixels a side"},
      {"sof-length", With(good, sof + 2, std::string("\x00\x03", 2)), "JPEG"},
      {"components-0", With(good, sof + 9, std::string(1, '\0')), "JPEG"},
      {"precision-12", With(good, sof + 4, "\x0C"), "JPEG"},
      {"garbage-after-soi", "\xFF\xD8" + std::string(200, '\x55'), "JPEG"},
      {"marker-length-beyond", With(good, 4, "\xFF\xFF"), "JPEG"},
  };
  ExpectAllRefused("jpeg", kJpeg, bad);
}

// A PNG of only a header (and IEND) with the given fields.
TFile PngHeader(uint32_t w, uint32_t h, int type, int bits, int interlace = 0) {
  std::string ihdr;
  for (uint32_t v : {w, h})
    ihdr += {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
  ihdr += {static_cast<char>(bits), static_cast<char>(type), 0, 0, static_cast<char>(interlace)};
  return "\x89PNG\r\n\x1A\n" + test::PngChunk("IHDR", ihdr);
}

TEST(BadPictures, PngCorpusIsRefused) {
  const TFile good = test::MakePng(test::ReferencePicture(9, 5));
  ASSERT_NO_THROW(kPng(Bytes(good)));
  const size_t idat = good.find("IDAT") - 4;  // the chunk's length field
  const TFile iend = test::PngChunk("IEND", "");
  const TFile idatChunk = good.substr(idat, good.size() - 12 - idat);
  const std::string idatData = idatChunk.substr(8, idatChunk.size() - 12);
  auto withIdat = [&](const std::string& data) { return good.substr(0, idat) + test::PngChunk("IDAT", data) + iend; };
  std::string badFilter = idatData;
  badFilter[7] = '\x09';  // the first row's filter byte, inside the stored block
  std::vector<TBad> bad = {
      {"empty", "", "not a PNG file"},
      {"signature-only", good.substr(0, 8), "PNG: "},
      {"not-png", "GIF89a" + good, "not a PNG file"},
      {"ihdr-crc", With(good, 29, "\x55"), "PNG: "},
      {"width-0", PngHeader(0, 5, 2, 8) + idatChunk + iend, "PNG: "},
      {"width-above-limit", PngHeader(16385, 1, 2, 8) + idatChunk + iend, "PNG: "},
      {"too-many-pixels", PngHeader(16000, 16000, 2, 8) + idatChunk + iend, "MB"},
      {"bit-depth-3", PngHeader(9, 5, 2, 3) + idatChunk + iend, "PNG: "},
      {"colour-type-5", PngHeader(9, 5, 5, 8) + idatChunk + iend, "PNG: "},
      {"palette-16-bit", PngHeader(9, 5, 3, 16) + idatChunk + iend, "PNG: "},
      {"interlace-method-2", PngHeader(9, 5, 2, 8, 2) + idatChunk + iend, "PNG: "},
      {"palette-missing", PngHeader(9, 5, 3, 8) + idatChunk + iend, "PNG: "},
      {"idat-missing", good.substr(0, idat) + iend, "PNG: "},
      {"idat-cut", good.substr(0, idat + 40), "PNG: "},
      {"idat-crc", With(good, idat + 20, "\x77"), "PNG: "},
      {"zlib-header", withIdat("\x78\x02" + idatData.substr(2)), "PNG: "},
      {"rows-missing", withIdat(test::MakePng(test::ReferencePicture(9, 2)).substr(idat + 8, 2 + 5 + 2 * 28 + 4)), "PNG: "},
      {"filter-type-9", withIdat(badFilter), "PNG: "},
      {"chunk-length-huge", With(good, idat, "\x7F\xFF\xFF\xF0"), "PNG: "},
  };
  ExpectAllRefused("png", kPng, bad);
}

TEST(BadPictures, WebpCorpusIsRefused) {
  const TFile good = test::MakeWebp(test::ReferencePicture(16, 8), true);
  ASSERT_NO_THROW(kWebp(Bytes(good)));
  // An animation whose canvas is 16000 x 16000 (too large to decode) or
  // whose frame lies outside its canvas.
  auto animation = [&](uint32_t canvas, uint32_t frameX) {
    TFile vp8x = "\x02" + std::string(3, '\0'), frame;
    test::Put24(vp8x, canvas - 1);
    test::Put24(vp8x, canvas - 1);
    test::Put24(frame, frameX / 2);
    test::Put24(frame, 0);
    test::Put24(frame, 15);
    test::Put24(frame, 7);
    test::Put24(frame, 100);
    frame += '\0';
    const TFile body = "WEBP" + test::RiffChunk("VP8X", vp8x) + test::RiffChunk("ANIM", std::string(6, '\0')) +
                       test::RiffChunk("ANMF", frame + good.substr(12));
    TFile f = "RIFF";
    test::Put32(f, static_cast<uint32_t>(body.size()));
    return f + body;
  };
  TFile zeroed = good;
  std::fill(zeroed.begin() + 25, zeroed.end(), '\0');
  std::vector<TBad> bad = {
      {"empty", "", "not a WebP file"},
      {"riff-only", good.substr(0, 12), "WebP: "},
      {"not-webp", With(good, 8, "WAVE"), "not a WebP file"},
      {"cut", good.substr(0, good.size() - 10), "WebP: "},
      {"riff-size-beyond", With(good, 4, U32(static_cast<uint32_t>(good.size()) + 100)), "WebP: "},
      {"chunk-size-beyond", With(good, 16, U32(0x7FFFFFF0)), "WebP: "},
      {"bitstream-zeroed", zeroed, "WebP: "},
      {"vp8-in-vp8l-chunk", With(good, 12, "VP8 "), "WebP: "},
      {"canvas-too-large", animation(16000, 0), "MB"},
      {"frame-outside-canvas", animation(16, 8), "WebP: "},
  };
  ExpectAllRefused("webp", kWebp, bad);
}

// Every prefix of a good file is refused or, when the cut only removes
// what comes after the picture, gives the same picture: never a crash and
// never a different picture.
TEST(BadPictures, TruncationsAndCorruptionsNeverCrash) {
  test::TIconImage entry{test::ReferencePicture(8, 8), {}, std::vector<bool>(64, true)};
  struct Case { const char* name; const char* reader; char kind; TFile file; TDecode decode; } cases[] = {
      {"gif", "gif", 1, test::MakeGif(test::ReferencePicture(21, 11), {.interlaced = true, .extensions = true}), kGif},
      {"bmp8", "bmp", 2, test::MakeBmp(test::ReferencePicture(9, 4), {8, 0}), kBmp},
      {"bmp-rle4", "bmp", 2, test::MakeBmp(test::ReferencePicture(9, 4), {4, 2}), kBmp},
      {"bmp16", "bmp", 2, test::MakeBmp(test::ReferencePicture(9, 4), {16, 3}), kBmp},
      {"ico", "ico", 3, test::MakeIco({entry}), kIco},
      {"jpeg", "jpeg", 0, test::MakeJpeg(test::ReferencePicture(24, 16), 80), kJpeg},
      {"png", "png", 8, test::MakePng(test::ReferencePicture(9, 5), {{"eXIf", test::MakeExifTiff(6)}}), kPng},
      {"webp", "webp", 9, test::WebpWithExif(test::MakeWebp(test::ReferencePicture(9, 5), false, std::vector<uint8_t>(45, 128)), 9, 5, test::MakeExifTiff(5), true), kWebp},
  };
  for (const Case& c : cases) {
    // Good seeds for the fuzz targets; the whole-load target takes a kind
    // byte and a box (here 5 x 5) before the file.
    WriteCorpus(c.reader, {{c.name, c.file, ""}}, "good-");
    WriteCorpus("loadpicture", {{c.name, std::string(1, c.kind) + "\x05\x00\x05" + '\0' + c.file, ""}}, "good-");
    const TBitmap24 whole = c.decode(Bytes(c.file));
    for (size_t n = 0; n < c.file.size(); ++n) {
      try {
        EXPECT_TRUE(c.decode(Bytes(c.file.substr(0, n))) == whole) << c.name << " cut at " << n;
      } catch (const TPictureError&) {
      }
    }
    for (size_t i = 0; i < c.file.size(); ++i)
      for (char v : {'\x00', '\xFF', '\x7F'}) {
        TFile f = c.file;
        f[i] = v;
        try {
          c.decode(Bytes(f));
        } catch (const TPictureError&) {
        }
      }
  }
}

}  // namespace
}  // namespace vanta
