// "Make photos smaller for sharing" on a folder of 12-megapixel JPEGs:
// the photos are written once (4000 x 3000, quality 92, photo-like), then
// ShrinkPhotos makes their copies for 3840 x 2160 on two threads afresh.
// Prints the seconds and the bytes before and after, for
// bench/photo-shrink-bench.sh to set against djpeg | cjpeg.
//
//   vanta-shrink-bench FOLDER COUNT
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PictureWriters.h"

#include "BenchPhoto.h"
#include "builder/PhotoShrink.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vanta-shrink-bench FOLDER COUNT\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path dir = argv[1];
  const int count = std::stoi(argv[2]);
  fs::create_directories(dir / "photos");
  std::vector<std::string> photos;
  std::string jpeg;
  for (int i = 1; i <= count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "p%03d.jpg", i);
    const fs::path p = dir / "photos" / name;
    if (!fs::exists(p)) {
      if (jpeg.empty()) jpeg = vanta::test::MakeJpeg(vanta::bench::Photo(4000, 3000, 8), 92);
      std::ofstream(p, std::ios::binary) << jpeg;
    }
    photos.push_back(p.string());
  }
  fs::remove_all(dir / "copies");
  vanta::TShrinkOptions o;
  o.Enabled = true;
  const auto start = std::chrono::steady_clock::now();
  const vanta::TShrinkReport r = vanta::ShrinkPhotos(photos, (dir / "copies").string() + "/", o, 2, {});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f %llu %llu %zu\n", seconds, static_cast<unsigned long long>(r.Before),
              static_cast<unsigned long long>(r.After), r.Shrunk);
  return 0;
}
