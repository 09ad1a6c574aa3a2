#include "synthesis/standard_values.h"

#include <cmath>
#include <cstdint>

namespace mx {
namespace {

// The values of E24 (two digits) and E96 (three digits) in one decade; E12
// and E6 are every second and fourth value of E24, E48 every second of E96.
constexpr std::uint16_t kE24[] = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                                  33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
constexpr std::uint16_t kE96[] = {
    100, 102, 105, 107, 110, 113, 115, 118, 121, 124, 127, 130, 133, 137, 140, 143,
    147, 150, 154, 158, 162, 165, 169, 174, 178, 182, 187, 191, 196, 200, 205, 210,
    215, 221, 226, 232, 237, 243, 249, 255, 261, 267, 274, 280, 287, 294, 301, 309,
    316, 324, 332, 340, 348, 357, 365, 374, 383, 392, 402, 412, 422, 432, 442, 453,
    464, 475, 487, 499, 511, 523, 536, 549, 562, 576, 590, 604, 619, 634, 649, 665,
    681, 698, 715, 732, 750, 768, 787, 806, 825, 845, 866, 887, 909, 931, 953, 976};

constexpr PreferredSeries kSeries[] = {
    {"E6", 6, 20.0f}, {"E12", 12, 10.0f}, {"E24", 24, 5.0f}, {"E48", 48, 2.0f}, {"E96", 96, 1.0f}};

// The k-th value of the series in the decade [1, 10).
double decade_value(const PreferredSeries& s, int k) {
  if (s.per_decade <= 24) return kE24[k * (24 / s.per_decade)] / 10.0;
  return kE96[k * (96 / s.per_decade)] / 100.0;
}

}  // namespace

std::optional<PreferredSeries> preferred_series(std::string_view name) {
  for (const PreferredSeries& s : kSeries)
    if (s.name == name) return s;
  return std::nullopt;
}

std::optional<PreferredSeries> preferred_series(int per_decade) {
  for (const PreferredSeries& s : kSeries)
    if (s.per_decade == per_decade) return s;
  return std::nullopt;
}

float nearest_preferred(float v, const PreferredSeries& s) {
  if (!(v > 0.0f && std::isfinite(v))) return v;
  const double x = static_cast<double>(v);
  const double decade = std::pow(10.0, std::floor(std::log10(x)));
  double best = 0.0, best_distance = 0.0;
  // The decade's values and the first of the next (10 x the decade).
  for (int k = 0; k <= s.per_decade; ++k) {
    const double c = (k < s.per_decade ? decade_value(s, k) : 10.0) * decade;
    const double distance = std::fabs(std::log(x / c));
    if (k == 0 || distance < best_distance) {
      best = c;
      best_distance = distance;
    }
  }
  return static_cast<float>(best);
}

std::vector<SnappedValue> snap_ladder(Ladder& ladder, int sections, Configuration cfg,
                                      const PreferredSeries& s) {
  std::vector<SnappedValue> out;
  for (int k = 1; k <= sections; ++k) {
    const bool shunt = (k % 2 == 1) == (cfg != Configuration::kDual);
    const std::string at = std::to_string(k);
    auto move = [&](float& v, bool listed, std::string part, const char* unit) {
      if (v == 0.0f) return;
      const float exact = v;
      v = nearest_preferred(v, s);
      if (listed) out.push_back(SnappedValue{k, std::move(part), unit, exact, v});
    };
    move(shunt ? ladder.shunt_pf(k) : ladder.series_nh(k), true, (shunt ? "C" : "L") + at,
         shunt ? "pF" : "nH");
    move(shunt ? ladder.trap_nh(k) : ladder.tank_pf(k), true, (shunt ? "L" : "C") + at + "'",
         shunt ? "nH" : "pF");
    // The other circuit's values at this position.
    move(shunt ? ladder.series_nh(k) : ladder.shunt_pf(k), false, {}, nullptr);
    move(shunt ? ladder.tank_pf(k) : ladder.trap_nh(k), false, {}, nullptr);
  }
  return out;
}

}  // namespace mx
