// Draws the builder's sample pictures, t1.jpg (a sunset over hills and
// water), t2.jpg (a many-coloured rosette) and t3.jpg (a lighthouse, a
// portrait photo stored on its side as a camera held upright stores it, with
// the Exif orientation 6 that turns it), from nothing but arithmetic, so
// that they are entirely our own. They show the effect preview off: large
// soft areas, strong edges and different colours in each; t3 shows the
// orientation at work.
//
//   make-samples OUTPUT_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int kW = 640, kH = 480;
constexpr double kPi = 3.14159265358979323846;

struct TRgb {
  double r, g, b;
};

TRgb Mix(TRgb a, TRgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double Smooth(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

TRgb Sunset(double x, double y) {
  const double horizon = 0.62;
  const TRgb sunColour{255, 236, 170};
  // Sky: night blue at the top through violet and rose to orange at the horizon.
  TRgb sky = Mix(Mix({28, 30, 88}, {150, 70, 140}, y / 0.35), Mix({240, 110, 90}, {255, 190, 100}, (y - 0.35) / 0.27),
                 Smooth(0.25, 0.45, y));
  const double sx = 0.68, sy = 0.5, d = std::hypot((x - sx) * 1.33, y - sy);
  sky = Mix(sky, sunColour, 0.55 * std::exp(-d * 9));  // glow
  if (d < 0.055) sky = Mix(sky, sunColour, Smooth(0.055, 0.05, d));
  if (y < horizon) {
    // Two rows of hills in front of the sky.
    const double far = 0.5 + 0.035 * std::sin(x * 9 + 1) + 0.02 * std::sin(x * 23);
    const double near = 0.56 + 0.04 * std::sin(x * 5 + 2.5) + 0.015 * std::sin(x * 31 + 1);
    if (y > near) return {52, 28, 62};
    if (y > far) return Mix({110, 60, 110}, {80, 44, 90}, (y - far) / 0.08);
    return sky;
  }
  // Water: the sky mirrored, darker, broken by ripples.
  const double depth = (y - horizon) / (1 - horizon);
  const double ripple = 0.005 * std::sin(y * 260 + std::sin(x * 40) * 2) * (0.3 + depth);
  TRgb mirrored = Sunset(x + ripple, horizon - (y - horizon) * 0.9 - 0.001);
  return Mix(mirrored, {20, 24, 60}, 0.25 + 0.5 * depth);
}

TRgb Rosette(double x, double y) {
  const double dx = (x - 0.5) * 1.333, dy = y - 0.5;
  const double r = std::hypot(dx, dy), a = std::atan2(dy, dx);
  // Petals: a twelve-fold rose with hue turning around the centre.
  const double petal = 0.36 + 0.08 * std::cos(12 * a) + 0.03 * std::cos(24 * a + 1);
  const double hue = (a + kPi) / (2 * kPi) * 6;
  auto rainbow = [](double h) {
    const double c[6][3] = {{255, 80, 80}, {255, 190, 60}, {120, 220, 90}, {60, 200, 220}, {90, 110, 255}, {210, 90, 230}};
    const int i = static_cast<int>(h) % 6, j = (i + 1) % 6;
    const double t = h - std::floor(h);
    return TRgb{c[i][0] + (c[j][0] - c[i][0]) * t, c[i][1] + (c[j][1] - c[i][1]) * t, c[i][2] + (c[j][2] - c[i][2]) * t};
  };
  const TRgb background = Mix({250, 244, 228}, {214, 226, 240}, y);
  if (r > petal + 0.004) {
    // Rings of dots in the background.
    const double ring = std::fmod(r * 18, 1.0), dots = std::cos(a * std::round(r * 60));
    return ring < 0.12 && dots > 0.6 ? Mix(background, {180, 190, 215}, 0.7) : background;
  }
  TRgb c = rainbow(hue);
  c = Mix(c, {255, 255, 255}, 0.35 * (1 - r / petal));            // light towards the middle
  if (std::fmod(r * 30, 1.0) < 0.08) c = Mix(c, {90, 40, 70}, 0.35);  // fine rings
  if (r < 0.07) c = Mix({255, 220, 90}, {230, 120, 40}, r / 0.07);   // the heart
  if (r > petal - 0.008) c = Mix(c, {70, 40, 80}, 0.8);               // outline
  return c;
}

TRgb Lighthouse(double x, double y) {
  // Portrait, 3 wide by 4 high: sky, sea from 0.72 down, a rock and a
  // striped tower on it with its lantern lit.
  const double horizon = 0.72;
  TRgb c = Mix({36, 60, 130}, {250, 200, 150}, Smooth(0.0, horizon, y));
  if (y > horizon) c = Mix({40, 90, 130}, {18, 40, 70}, (y - horizon) / (1 - horizon));
  const double rock = 0.78 - 0.09 * std::exp(-std::pow((x - 0.5) / 0.22, 2));
  if (y > rock && y < 0.9 - 0.05 * std::abs(x - 0.5)) c = Mix({70, 60, 55}, {40, 34, 30}, (y - rock) * 6);
  const double top = 0.2, foot = 0.7, t = (y - top) / (foot - top);
  const double half = 0.05 + 0.025 * t;
  if (y > top && y < foot && std::abs(x - 0.5) < half)
    c = std::fmod(t * 6, 1.0) < 0.5 ? TRgb{200, 40, 40} : TRgb{245, 245, 240};
  if (y > 0.14 && y <= top && std::abs(x - 0.5) < 0.045) c = {255, 230, 120};  // the lantern
  if (y > 0.11 && y <= 0.14 && std::abs(x - 0.5) < 0.06 - (y - 0.11) * 0.4) c = {60, 50, 50};
  const double glow = std::exp(-std::hypot((x - 0.5) * 1.2, y - 0.17) * 14);
  return Mix(c, {255, 240, 170}, 0.5 * glow);
}

// The Exif block of a picture stored turned: a TIFF header and one IFD
// with the orientation tag (0x0112, SHORT) set to 6.
std::vector<unsigned char> OrientationExif() {
  const unsigned char tiff[] = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
  std::vector<unsigned char> app1 = {'E', 'x', 'i', 'f', 0, 0};
  app1.insert(app1.end(), std::begin(tiff), std::end(tiff));
  return app1;
}

// A w x h picture; with `sideways` it is stored turned a quarter to the
// left (h x w) and tagged to be turned back.
bool Write(const std::string& path, TRgb (*draw)(double, double), int w = kW, int h = kH, bool sideways = false) {
  const int sw = sideways ? h : w, sh = sideways ? w : h;
  // Four samples a pixel against jagged edges.
  std::vector<unsigned char> rgb(static_cast<size_t>(sw) * sh * 3);
  for (int sy = 0; sy < sh; ++sy)
    for (int sx = 0; sx < sw; ++sx) {
      // Stored (sx, sy) shows at upright (w - 1 - sy, sx) when turned.
      const int x = sideways ? w - 1 - sy : sx, y = sideways ? sx : sy;
      TRgb sum{0, 0, 0};
      for (int s = 0; s < 4; ++s) {
        const TRgb c = draw((x + 0.25 + 0.5 * (s & 1)) / w, (y + 0.25 + 0.5 * (s >> 1)) / h);
        sum = {sum.r + c.r / 4, sum.g + c.g / 4, sum.b + c.b / 4};
      }
      unsigned char* p = &rgb[(static_cast<size_t>(sy) * sw + sx) * 3];
      p[0] = static_cast<unsigned char>(std::clamp(sum.r, 0.0, 255.0));
      p[1] = static_cast<unsigned char>(std::clamp(sum.g, 0.0, 255.0));
      p[2] = static_cast<unsigned char>(std::clamp(sum.b, 0.0, 255.0));
    }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = static_cast<JDIMENSION>(sw);
  c.image_height = static_cast<JDIMENSION>(sh);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 88, TRUE);
  jpeg_start_compress(&c, TRUE);
  if (sideways) {
    const std::vector<unsigned char> exif = OrientationExif();
    jpeg_write_marker(&c, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
  }
  while (c.next_scanline < c.image_height) {
    JSAMPROW row[1] = {&rgb[static_cast<size_t>(c.next_scanline) * sw * 3]};
    jpeg_write_scanlines(&c, row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-samples OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  if (!Write(folder + "t1.jpg", Sunset) || !Write(folder + "t2.jpg", Rosette) ||
      !Write(folder + "t3.jpg", Lighthouse, 480, 640, true)) {
    std::fprintf(stderr, "error: cannot write the sample pictures to %s\n", argv[1]);
    return 1;
  }
  return 0;
}
