#include "PictureMode.h"

#include <algorithm>
#include <cstdio>

#include "base/Text.h"
#include "engine/PictureLoader.h"

namespace vanta {
namespace {

constexpr const char* kUsage =
    "usage: vanta-render --picture FILE --out OUT.bmp [--box W H] [--color RRGGBB]\n"
    "  FILE: .jpg .jpeg .png .webp .heic .heif .avif .gif .bmp .ico (.wmf .emf on Windows); photos come upright";

void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i) & 255);
}

bool ParseColor(const std::string& s, TColor& color) {
  if (s.size() != 6 || !std::all_of(s.begin(), s.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
    return false;
  const uint32_t rgb = static_cast<uint32_t>(std::stoul(s, nullptr, 16));
  color = (rgb >> 16 & 255) | (rgb & 0xFF00) | (rgb & 255) << 16;
  return true;
}

// The 54 bytes before the rows.
std::string BmpHeader(const TBitmap24& b) {
  const uint32_t stride = static_cast<uint32_t>(b.Stride()), pixels = stride * static_cast<uint32_t>(b.Height());
  std::string f = "BM";
  Put(f, 54 + pixels, 4);
  Put(f, 0, 4);
  Put(f, 54, 4);
  Put(f, 40, 4);
  Put(f, static_cast<uint32_t>(b.Width()), 4);
  Put(f, static_cast<uint32_t>(b.Height()), 4);  // positive: bottom-up
  Put(f, 1, 2);
  Put(f, 24, 2);
  Put(f, 0, 4);
  Put(f, pixels, 4);
  Put(f, 2835, 4);  // 72 an inch
  Put(f, 2835, 4);
  Put(f, 0, 4);
  Put(f, 0, 4);
  return f;
}

// Row by row: no second copy of a picture that may take hundreds of
// megabytes. Written in place (a rename over the old file makes some file
// systems flush the new one at once) and not synced: this is a tool's
// output. A failed write removes what it began.
bool WriteBmp24(const std::string& path, const TBitmap24& b) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const std::string header = BmpHeader(b);
  bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size();
  for (int y = b.Height() - 1; ok && y >= 0; --y) ok = std::fwrite(b.Row(y), 1, b.Stride(), f) == b.Stride();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::remove(path.c_str());
  return ok;
}

}  // namespace

std::string EncodeBmp24(const TBitmap24& b) {
  std::string f = BmpHeader(b);
  f.reserve(f.size() + b.Stride() * static_cast<size_t>(b.Height()));
  for (int y = b.Height() - 1; y >= 0; --y) f.append(reinterpret_cast<const char*>(b.Row(y)), b.Stride());
  return f;
}

bool IsPictureCommand(const std::vector<std::string>& args) {
  return std::find(args.begin(), args.end(), "--picture") != args.end();
}

int RunPictureCommand(const std::vector<std::string>& args, std::ostream& err) {
  std::string picture, out;
  int boxW = 0, boxH = 0;
  TColor color = 0;
  auto usage = [&](const std::string& why) {
    err << why << "\n" << kUsage << "\n";
    return 2;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const size_t left = args.size() - i - 1;
    if (a == "--picture" && left >= 1) {
      picture = args[++i];
    } else if (a == "--out" && left >= 1) {
      out = args[++i];
    } else if (a == "--box" && left >= 2) {
      const auto w = ParseDecimal32(args[i + 1]), h = ParseDecimal32(args[i + 2]);
      if (!w || !h || *w < 0 || *h < 0) return usage("--box needs two whole numbers of 0 or more");
      boxW = *w;
      boxH = *h;
      i += 2;
    } else if (a == "--color" && left >= 1) {
      if (!ParseColor(args[++i], color)) return usage("--color needs six hexadecimal digits RRGGBB");
    } else {
      return usage("unexpected argument: " + a);
    }
  }
  if (picture.empty() || out.empty()) return usage("--picture and --out are needed");
  TBitmap24 bitmap;
  try {
    LoadPictureToBitmap(bitmap, picture, boxW, boxH, color);
  } catch (const std::exception& e) {
    err << "error: " << e.what() << "\n";
    return 1;
  }
  if (!WriteBmp24(out, bitmap)) {
    err << "error: cannot write " << out << "\n";
    return 1;
  }
  return 0;
}

}  // namespace vanta
