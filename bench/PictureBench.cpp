// How long a photo takes to become a picture of the show, full size and
// shrunk to fit, with the decoder's DCT scaling and without it (full
// decode, then our scaling). "LibjpegPlain" is libjpeg alone decoding the
// same file at full size with its defaults, as its own command-line
// decoder does: the yardstick for the others in the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include <jpeglib.h>

#include "PictureWriters.h"
#include "engine/PictureLoader.h"

#include "BenchPhoto.h"

namespace vanta {
namespace {

TBitmap24 Photo(int w, int h) { return bench::Photo(w, h, 8); }

// The test files, made once per run.
const std::string& PhotoFile(int w, int h) {
  static std::map<std::pair<int, int>, std::string> files;
  std::string& path = files[{w, h}];
  if (path.empty()) {
    path = (std::filesystem::temp_directory_path() / ("vanta-bench-" + std::to_string(w) + "x" + std::to_string(h) + ".jpg")).string();
    std::ofstream(path, std::ios::binary) << test::MakeJpeg(Photo(w, h), 90);
  }
  return path;
}

void LoadPicture(benchmark::State& state) {
  const std::string& file = PhotoFile(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const int boxW = static_cast<int>(state.range(2)), boxH = static_cast<int>(state.range(3));
  for (auto _ : state) {
    TBitmap24 b;
    LoadPictureToBitmap(b, file, boxW, boxH, 0);
    benchmark::DoNotOptimize(b.Bits());
  }
}

// The same result without DCT scaling: full decode, then shrink.
void LoadPictureUnscaledDecode(benchmark::State& state) {
  const std::string& file = PhotoFile(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const TPictureSize box{static_cast<int>(state.range(2)), static_cast<int>(state.range(3))};
  for (auto _ : state) {
    TDecodedPicture d = ReadPictureFile(file, 0);
    TBitmap24 b = ScaleBitmap(d.Bitmap, ShrinkToFitSize(d.Natural, box));
    benchmark::DoNotOptimize(b.Bits());
  }
}

void LibjpegPlain(benchmark::State& state) {
  const std::string& file = PhotoFile(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<uint8_t> row;
  for (auto _ : state) {
    jpeg_decompress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&c, TRUE);
    jpeg_start_decompress(&c);
    std::vector<uint8_t> out(static_cast<size_t>(c.output_width) * c.output_components * c.output_height);
    while (c.output_scanline < c.output_height) {
      JSAMPROW r[1] = {out.data() + static_cast<size_t>(c.output_scanline) * c.output_width * c.output_components};
      jpeg_read_scanlines(&c, r, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    benchmark::DoNotOptimize(out.data());
  }
}

BENCHMARK(LibjpegPlain)->Args({1920, 1080})->Args({6000, 4000})->Unit(benchmark::kMillisecond);
BENCHMARK(LoadPicture)
    ->Args({1920, 1080, 0, 0})
    ->Args({1920, 1080, 320, 240})
    ->Args({6000, 4000, 0, 0})
    ->Args({6000, 4000, 1920, 1080})
    ->Args({6000, 4000, 320, 240})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LoadPictureUnscaledDecode)
    ->Args({1920, 1080, 320, 240})
    ->Args({6000, 4000, 1920, 1080})
    ->Args({6000, 4000, 320, 240})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vanta
