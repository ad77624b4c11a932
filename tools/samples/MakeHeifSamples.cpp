// Makes the HEIC sample at build time: t3.jpg's lighthouse, stored on its
// side, as a phone stores a portrait photo: a grid of tiles coded with HEVC
// (the build machine's libheif and x265), with the rotation property that
// stands it upright in place of t3's Exif orientation.
//
//   make-heif-samples t3.jpg OUTPUT.heic
//   make-heif-samples IN.jpg OUTPUT.heic ORIENTATION COLUMNS ROWS
// (the second for the tests: any stored picture, its Exif-style
// orientation written as properties, in a grid of COLUMNS x ROWS tiles).
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

#include "HeifWriter.h"

namespace {

vanta::heifwriter::TPixels ReadJpeg(const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (!f) throw std::runtime_error(std::string("cannot open ") + path);
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  vanta::heifwriter::TPixels p;
  p.Width = static_cast<int>(cinfo.output_width);
  p.Height = static_cast<int>(cinfo.output_height);
  std::vector<uint8_t> row(static_cast<size_t>(p.Width) * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW r = row.data();
    jpeg_read_scanlines(&cinfo, &r, 1);
    p.Samples.insert(p.Samples.end(), row.begin(), row.end());
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 6) {
    std::fprintf(stderr, "usage: make-heif-samples IN.jpg OUTPUT.heic [ORIENTATION COLUMNS ROWS]\n");
    return 2;
  }
  try {
    const vanta::heifwriter::TPixels stored = ReadJpeg(argv[1]);
    vanta::heifwriter::TOptions o;
    o.Quality = 80;
    o.Orientation = 6;  // as t3's Exif says: turned a quarter clockwise to stand
    o.Columns = 4, o.Rows = 3;  // 640 x 480 in tiles of 160 x 160
    if (argc == 6) o.Orientation = std::atoi(argv[3]), o.Columns = std::atoi(argv[4]), o.Rows = std::atoi(argv[5]);
    const std::string file = vanta::heifwriter::Encode(stored, o);
    std::ofstream(argv[2], std::ios::binary) << file;
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make-heif-samples: %s\n", e.what());
    return 1;
  }
}
