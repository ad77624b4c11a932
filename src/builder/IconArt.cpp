#include "builder/IconArt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vanta {
namespace {

struct TPt {
  double x, y;
};

enum class TKind : uint8_t { Polygon, Ellipse, RoundRect };
enum class TPaint : uint8_t { Over, Erase };  // Erase cuts a hole through what is below

struct TShape {
  TKind kind;
  uint32_t color;  // 0xAARRGGBB
  std::vector<TPt> points;  // polygon corners; ellipse centre; rectangle's two corners
  double rx = 0, ry = 0;    // ellipse radii; rectangle corner radius in rx
  TPaint paint = TPaint::Over;
};

TShape Polygon(uint32_t color, std::vector<TPt> points) { return {TKind::Polygon, color, std::move(points)}; }
TShape Ellipse(uint32_t color, TPt centre, double rx, double ry) {
  return {TKind::Ellipse, color, {centre}, rx, ry};
}
TShape Circle(uint32_t color, TPt centre, double r) { return Ellipse(color, centre, r, r); }
TShape RoundRect(uint32_t color, TPt a, TPt b, double radius) { return {TKind::RoundRect, color, {a, b}, radius}; }
TShape Rect(uint32_t color, TPt a, TPt b) { return RoundRect(color, a, b, 0); }
TShape Hole(TShape s) {
  s.paint = TPaint::Erase;
  return s;
}

// Non-zero winding: the polygons here may be drawn either way round.
bool InsidePolygon(const std::vector<TPt>& p, TPt q) {
  int winding = 0;
  for (size_t i = 0, n = p.size(); i < n; ++i) {
    const TPt a = p[i], b = p[(i + 1) % n];
    const double side = (b.x - a.x) * (q.y - a.y) - (q.x - a.x) * (b.y - a.y);
    if (a.y <= q.y) {
      if (b.y > q.y && side > 0) ++winding;
    } else if (b.y <= q.y && side < 0) {
      --winding;
    }
  }
  return winding != 0;
}

bool Inside(const TShape& s, TPt q) {
  switch (s.kind) {
    case TKind::Polygon:
      return InsidePolygon(s.points, q);
    case TKind::Ellipse: {
      const double dx = (q.x - s.points[0].x) / s.rx, dy = (q.y - s.points[0].y) / s.ry;
      return dx * dx + dy * dy <= 1.0;
    }
    case TKind::RoundRect: {
      const TPt a = s.points[0], b = s.points[1];
      if (q.x < a.x || q.x > b.x || q.y < a.y || q.y > b.y) return false;
      const double r = s.rx;
      // Only the corners' squares need the distance to their centres.
      const double cx = std::clamp(q.x, a.x + r, b.x - r), cy = std::clamp(q.y, a.y + r, b.y - r);
      return (q.x - cx) * (q.x - cx) + (q.y - cy) * (q.y - cy) <= r * r;
    }
  }
  return false;
}

// A star of `points` tips around c, alternating radii outer and inner.
std::vector<TPt> Star(TPt c, int points, double outer, double inner, double turn = 0) {
  std::vector<TPt> p;
  for (int i = 0; i < 2 * points; ++i) {
    const double a = turn + i * std::numbers::pi / points - std::numbers::pi / 2;
    const double r = i % 2 ? inner : outer;
    p.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
  }
  return p;
}

// A gear's outline: teeth of the outer radius over a rim of the root radius.
std::vector<TPt> Gear(TPt c, int teeth, double outer, double root) {
  std::vector<TPt> p;
  const double step = 2 * std::numbers::pi / teeth;
  for (int i = 0; i < teeth; ++i) {
    const double a = i * step;
    const double corners[] = {a, a + step * 0.12, a + step * 0.38, a + step * 0.5, a + step * 0.62,
                              a + step * 0.88};
    const double radii[] = {root, outer, outer, outer, root, root};
    for (int k = 0; k < 6; ++k)
      if (k != 3) p.push_back({c.x + radii[k] * std::cos(corners[k]), c.y + radii[k] * std::sin(corners[k])});
  }
  return p;
}

// An arrow pointing right, turned by quarter turns (1: down, 2: left, 3: up).
std::vector<TPt> Arrow(int quarterTurns) {
  std::vector<TPt> p = {{0.14, 0.40}, {0.50, 0.40}, {0.50, 0.20}, {0.86, 0.50},
                        {0.50, 0.80}, {0.50, 0.60}, {0.14, 0.60}};
  for (TPt& q : p)
    for (int i = 0; i < quarterTurns; ++i) q = {1.0 - q.y, q.x};
  return p;
}

constexpr uint32_t kArrowColor = 0xFF2F6FB3;

std::vector<TShape> ShapesOf(TBuilderIcon icon) {
  switch (icon) {
    case TBuilderIcon::Images:  // a photograph of hills under the sun
      return {RoundRect(0xFFEEF2F6, {0.06, 0.14}, {0.94, 0.86}, 0.08),
              Rect(0xFF5BA7E0, {0.13, 0.21}, {0.87, 0.79}),
              Circle(0xFFFFD54A, {0.69, 0.36}, 0.085),
              Polygon(0xFF2E7D4F, {{0.13, 0.79}, {0.38, 0.44}, {0.63, 0.79}}),
              Polygon(0xFF46A86A, {{0.44, 0.79}, {0.66, 0.52}, {0.87, 0.76}, {0.87, 0.79}})};
    case TBuilderIcon::Music:  // two beamed notes
      return {Polygon(0xFFF2A541, {{0.38, 0.24}, {0.86, 0.12}, {0.86, 0.25}, {0.38, 0.37}}),
              Rect(0xFFF2A541, {0.38, 0.26}, {0.44, 0.74}), Rect(0xFFF2A541, {0.80, 0.14}, {0.86, 0.64}),
              Ellipse(0xFFF2A541, {0.29, 0.75}, 0.15, 0.11), Ellipse(0xFFF2A541, {0.71, 0.65}, 0.15, 0.11)};
    case TBuilderIcon::Effects:  // sparkles
      return {Polygon(0xFFFFD54A, Star({0.42, 0.57}, 4, 0.40, 0.13)),
              Polygon(0xFF9AD0FF, Star({0.77, 0.24}, 4, 0.20, 0.07)),
              Circle(0xFFFFFFFF, {0.80, 0.74}, 0.06)};
    case TBuilderIcon::Options:  // a gear
      return {Polygon(0xFFB8C6D0, Gear({0.5, 0.5}, 10, 0.44, 0.33)),
              Hole(Circle(0xFF000000, {0.5, 0.5}, 0.14))};
    case TBuilderIcon::Build:  // a parcel, ready to ship
      return {Polygon(0xFFE0AA6E, {{0.50, 0.10}, {0.90, 0.29}, {0.50, 0.48}, {0.10, 0.29}}),
              Polygon(0xFFBD8048, {{0.10, 0.29}, {0.50, 0.48}, {0.50, 0.92}, {0.10, 0.73}}),
              Polygon(0xFF94602F, {{0.50, 0.48}, {0.90, 0.29}, {0.90, 0.73}, {0.50, 0.92}}),
              Polygon(0xFFF4E3C8, {{0.28, 0.20}, {0.36, 0.16}, {0.76, 0.35}, {0.68, 0.39}})};
    case TBuilderIcon::Next:
      return {Polygon(kArrowColor, Arrow(0))};
    case TBuilderIcon::Down:
      return {Polygon(kArrowColor, Arrow(1))};
    case TBuilderIcon::Back:
      return {Polygon(kArrowColor, Arrow(2))};
    case TBuilderIcon::Up:
      return {Polygon(kArrowColor, Arrow(3))};
    case TBuilderIcon::Logo:  // a V on a deep blue tile
      return {RoundRect(0xFF2A2F6B, {0.04, 0.04}, {0.96, 0.96}, 0.2),
              RoundRect(0xFF3A4390, {0.04, 0.04}, {0.96, 0.50}, 0.2),
              Rect(0xFF3A4390, {0.04, 0.30}, {0.96, 0.50}),
              Polygon(0xFFFFFFFF, {{0.20, 0.24}, {0.35, 0.24}, {0.50, 0.63}, {0.65, 0.24}, {0.80, 0.24},
                                   {0.57, 0.80}, {0.43, 0.80}}),
              Circle(0xFFFFB84D, {0.80, 0.78}, 0.07)};
  }
  return {};
}

struct TPremultiplied {
  double a = 0, r = 0, g = 0, b = 0;
};

constexpr int kSamples = 4;  // a side: 16 samples a pixel

}  // namespace

TIconImage DrawBuilderIcon(TBuilderIcon icon, int size) {
  size = std::max(size, 1);
  const std::vector<TShape> shapes = ShapesOf(icon);
  std::vector<TPremultiplied> px(static_cast<size_t>(size) * size);
  for (const TShape& s : shapes) {
    const double sa = ((s.color >> 24) & 0xFF) / 255.0;
    const double sr = ((s.color >> 16) & 0xFF) / 255.0, sg = ((s.color >> 8) & 0xFF) / 255.0,
                 sb = (s.color & 0xFF) / 255.0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        int hits = 0;
        for (int j = 0; j < kSamples; ++j)
          for (int i = 0; i < kSamples; ++i)
            hits += Inside(s, {(x + (i + 0.5) / kSamples) / size, (y + (j + 0.5) / kSamples) / size});
        if (!hits) continue;
        const double cover = static_cast<double>(hits) / (kSamples * kSamples);
        TPremultiplied& d = px[static_cast<size_t>(y) * size + x];
        if (s.paint == TPaint::Erase) {
          d = {d.a * (1 - cover), d.r * (1 - cover), d.g * (1 - cover), d.b * (1 - cover)};
          continue;
        }
        const double k = sa * cover;
        d = {k + d.a * (1 - k), sr * k + d.r * (1 - k), sg * k + d.g * (1 - k), sb * k + d.b * (1 - k)};
      }
    }
  }
  TIconImage out{size, std::vector<uint32_t>(px.size(), 0)};
  const auto byte = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  for (size_t i = 0; i < px.size(); ++i) {
    const TPremultiplied& p = px[i];
    if (p.a <= 0) continue;
    out.Pixels[i] = byte(p.a) << 24 | byte(p.r / p.a) << 16 | byte(p.g / p.a) << 8 | byte(p.b / p.a);
  }
  return out;
}

}  // namespace vanta
