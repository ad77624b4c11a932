#include "engine/codecs/Jpeg.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jerror.h>
#include <jpeglib.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <optional>
#include <vector>

#include "engine/codecs/Exif.h"

namespace vanta {
namespace {

constexpr const char* kWhat = "JPEG";
// Progressive files can hold any number of scans; a hostile one with
// thousands makes each decode take minutes.
constexpr int kMaxScans = 1000;
// Rows decoded at a time when the picture is turned while decoding.
constexpr int kStripRows = 256;

struct TErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool truncated;
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings are tolerated, except the end of the data: libjpeg would go on
// and fill the rest of a picture (maybe hundreds of megabytes) with grey.
void EmitMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
  if (level < 0) {
    ++err->pub.num_warnings;
    if (err->pub.msg_code == JWRN_JPEG_EOF) {
      err->truncated = true;
      std::snprintf(err->message, sizeof err->message, "file ends before the picture does");
      std::longjmp(err->jump, 3);
    }
  }
}

void OutputMessage(j_common_ptr) {}

void Progress(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->is_decompressor && d->input_scan_number > kMaxScans) {
    auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "more than %d scans", kMaxScans);
    std::longjmp(err->jump, 2);
  }
}

// One decompression. The two steps that call libjpeg hold the jump point
// and keep only plain data in their frames, so the long jump back from an
// error skips no destructor; the bitmap is allocated between them.
struct TSession {
  jpeg_decompress_struct cinfo{};
  TErrorManager err{};
  jpeg_progress_mgr progress{};
  bool created = false;

  ~TSession() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

bool ReadHeader(TSession& s, const uint8_t* data, size_t size, int minWidth, int minHeight) {
  s.cinfo.err = jpeg_std_error(&s.err.pub);
  s.err.pub.error_exit = ErrorExit;
  s.err.pub.emit_message = EmitMessage;
  s.err.pub.output_message = OutputMessage;
  if (setjmp(s.err.jump)) return false;
  jpeg_create_decompress(&s.cinfo);
  s.created = true;
  s.progress.progress_monitor = Progress;
  s.cinfo.progress = &s.progress;
  jpeg_mem_src(&s.cinfo, data, static_cast<unsigned long>(size));
  jpeg_save_markers(&s.cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&s.cinfo, TRUE);

  const bool cmyk = s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK;
  s.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  s.cinfo.scale_num = 8;
  s.cinfo.scale_denom = 8;
  if (minWidth > 0 && minHeight > 0) {
    for (unsigned n = 1; n <= 8; ++n) {
      s.cinfo.scale_num = n;
      jpeg_calc_output_dimensions(&s.cinfo);
      if (s.cinfo.output_width >= static_cast<JDIMENSION>(minWidth) &&
          s.cinfo.output_height >= static_cast<JDIMENSION>(minHeight))
        break;
    }
  }
  jpeg_calc_output_dimensions(&s.cinfo);
  return true;
}

// Rows go into `out`, or, when a writer turns the picture, a strip at a
// time through `strip` (allocated by the caller: nothing in this frame may
// need a destructor).
struct TStrip {
  TUprightWriter* writer = nullptr;
  uint8_t* rows = nullptr;
  size_t stride = 0;
  int count = 0;
};

bool ReadPixels(TSession& s, TBitmap24& out, const TStrip& strip) {
  if (setjmp(s.err.jump)) return false;
  jpeg_start_decompress(&s.cinfo);
  const bool cmyk = s.cinfo.out_color_space == JCS_CMYK;
  // CMYK rows go through a row of their own and are converted after.
  JSAMPARRAY cmykRow =
      cmyk ? (*s.cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&s.cinfo), JPOOL_IMAGE,
                                          s.cinfo.output_width * 4, 1)
           : nullptr;
  // Adobe's CMYK files store the inks inverted.
  const bool inverted = s.cinfo.saw_Adobe_marker;
  while (s.cinfo.output_scanline < s.cinfo.output_height) {
    const int y = static_cast<int>(s.cinfo.output_scanline);
    uint8_t* row = strip.writer ? strip.rows + strip.stride * static_cast<size_t>(y % strip.count) : out.Row(y);
    // A full strip (or the last rows) goes to its upright place.
    const auto flush = [&] {
      if (strip.writer && ((y + 1) % strip.count == 0 || y + 1 == static_cast<int>(s.cinfo.output_height)))
        strip.writer->Put(y - y % strip.count, y % strip.count + 1, strip.rows, strip.stride);
    };
    if (!cmyk) {
      JSAMPROW rows[1] = {row};
      jpeg_read_scanlines(&s.cinfo, rows, 1);
      flush();
      continue;
    }
    jpeg_read_scanlines(&s.cinfo, cmykRow, 1);
    const uint8_t* p = cmykRow[0];
    for (JDIMENSION x = 0; x < s.cinfo.output_width; ++x, p += 4, row += 3) {
      unsigned c = p[0], m = p[1], y = p[2], k = p[3];
      if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
      row[0] = static_cast<uint8_t>((y * k + 127) / 255);
      row[1] = static_cast<uint8_t>((m * k + 127) / 255);
      row[2] = static_cast<uint8_t>((c * k + 127) / 255);
    }
    flush();
  }
  jpeg_finish_decompress(&s.cinfo);
  return true;
}

// The first APP1 segment that holds an Exif block decides.
int Orientation(const jpeg_decompress_struct& cinfo) {
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
    if (m->marker != JPEG_APP0 + 1 || m->data_length < 6 || std::memcmp(m->data, "Exif\0", 6) != 0) continue;
    return ExifOrientation(TBytes(m->data, m->data_length));
  }
  return kOrientationAsStored;
}

}  // namespace

TJpegPicture ReadJpegSize(TBytes data) {
  if (data.size() < 3 || data[0] != 0xFF || data[1] != 0xD8) RefusePicture(kWhat, "not a JPEG file");
  TSession s;
  if (!ReadHeader(s, data.data(), data.size(), 0, 0)) RefusePicture(kWhat, s.err.message);
  TJpegPicture result;
  result.NaturalWidth = static_cast<int>(s.cinfo.image_width);
  result.NaturalHeight = static_cast<int>(s.cinfo.image_height);
  result.Orientation = Orientation(s.cinfo);
  return result;
}

TJpegPicture DecodeJpeg(TBytes data, int minWidth, int minHeight, bool upright) {
  if (data.size() < 3 || data[0] != 0xFF || data[1] != 0xD8) RefusePicture(kWhat, "not a JPEG file");
  TSession s;
  if (!ReadHeader(s, data.data(), data.size(), minWidth, minHeight)) RefusePicture(kWhat, s.err.message);
  TJpegPicture result;
  result.NaturalWidth = static_cast<int>(s.cinfo.image_width);
  result.NaturalHeight = static_cast<int>(s.cinfo.image_height);
  result.Orientation = Orientation(s.cinfo);
  CheckPictureSize(s.cinfo.output_width, s.cinfo.output_height, kWhat);
  const int w = static_cast<int>(s.cinfo.output_width), h = static_cast<int>(s.cinfo.output_height);
  std::optional<TUprightWriter> writer;
  std::vector<uint8_t> stripRows;
  TStrip strip;
  if (upright && result.Orientation != kOrientationAsStored) {
    writer.emplace(w, h, result.Orientation);
    strip = {&*writer, nullptr, static_cast<size_t>(w) * 3, kStripRows};
    stripRows.resize(strip.stride * kStripRows);
    strip.rows = stripRows.data();
  } else {
    result.Bitmap.SetSizeForOverwrite(w, h);  // every row is decoded, or the file refused
  }
  if (!ReadPixels(s, result.Bitmap, strip)) RefusePicture(kWhat, s.err.message);
  if (writer) result.Bitmap = writer->Take();
  if (s.err.truncated) RefusePicture(kWhat, "file ends before the picture does");
  return result;
}

std::string EncodeJpeg(const TBitmap24& bitmap, int quality) {
  if (bitmap.Empty()) throw TPictureError("JPEG: nothing to write");
  jpeg_compress_struct c{};
  TErrorManager err{};
  c.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.output_message = OutputMessage;
  // Held in memory the library writes through, so a longjmp finds it current.
  struct TOutput {
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
  } out;
  // Nothing below may own anything that a longjmp would leave behind.
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&c);
    std::free(out.bytes);
    throw TPictureError(std::string(kWhat) + ": " + err.message);
  }
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &out.bytes, &out.size);
  c.image_width = static_cast<JDIMENSION>(bitmap.Width());
  c.image_height = static_cast<JDIMENSION>(bitmap.Height());
  c.input_components = 3;
  c.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(bitmap.Row(static_cast<int>(c.next_scanline)));
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::string file(reinterpret_cast<const char*>(out.bytes), out.size);
  jpeg_destroy_compress(&c);
  std::free(out.bytes);
  return file;
}

}  // namespace vanta
