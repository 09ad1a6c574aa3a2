#include "export/envelope_plot.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "export/picture_text.h"
#include "export/response_plot.h"

namespace mx {
namespace {

using picture::fixed;
using picture::xml_text;

constexpr double kWidth = 960, kHeight = 720;
constexpr double kLeft = 80, kRight = 930;
constexpr double kFloorDb = -200.0;   // the axis reaches no lower
constexpr double kDetailSpan = 1.15;  // the passband detail runs to 1.15 x the mask's edge
constexpr double kOffPanelSpans = 100.0;
constexpr double kStopStripPx = 6.0;  // width of the forbidden strip at the stop frequency

struct Axes {
  AxisScale x, y;
  double top = 0, bottom = 0;  // px
  double map_x(double v) const { return kLeft + (v - x.lo) / (x.hi - x.lo) * (kRight - kLeft); }
  // Beyond the axis a value is drawn where it is (the panel's clip hides it), held within
  // kOffPanelSpans panel heights so the coordinates stay ordinary numbers.
  double map_y(double v) const {
    const double span = y.hi - y.lo;
    v = std::clamp(v, y.lo - kOffPanelSpans * span, y.hi + kOffPanelSpans * span);
    return bottom - (v - y.lo) / span * (bottom - top);
  }
  // A value on the axis, held within it (the mask's lines).
  double on_axis_y(double v) const { return map_y(std::clamp(v, y.lo, y.hi)); }
};

std::string px(double v) { return fixed(v, 2); }

bool finite_point(const EnvelopeData& d, std::size_t k, double f_max) {
  return std::isfinite(d.f_mhz[k]) && d.f_mhz[k] <= f_max && std::isfinite(d.lowest_db[k]) &&
         std::isfinite(d.highest_db[k]);
}

// The band: one closed polygon per run of finite points, upper edge forward, lower edge back.
void band(std::string& out, const EnvelopeData& d, const Axes& a, double f_max) {
  std::size_t k = 0;
  const std::size_t n = d.f_mhz.size();
  while (k < n) {
    if (!finite_point(d, k, f_max)) {
      ++k;
      continue;
    }
    std::size_t end = k;
    while (end < n && finite_point(d, end, f_max)) ++end;
    out +=
        "<polygon class=\"envelope\" fill=\"#9ec5e8\" stroke=\"#4a90c8\" stroke-width=\"0.8\" "
        "data-first-row=\"" +
        std::to_string(k) + "\" points=\"";
    for (std::size_t i = k; i < end; ++i)
      out += px(a.map_x(d.f_mhz[i])) + "," + px(a.map_y(d.highest_db[i])) + " ";
    for (std::size_t i = end; i-- > k;)
      out += px(a.map_x(d.f_mhz[i])) + "," + px(a.map_y(d.lowest_db[i])) + " ";
    out += "\"/>\n";
    k = end;
  }
}

void nominal(std::string& out, const EnvelopeData& d, const Axes& a, double f_max) {
  std::string points;
  auto flush = [&] {
    if (!points.empty())
      out +=
          "<polyline class=\"nominal\" fill=\"none\" stroke=\"#1f3b73\" stroke-width=\"1.6\" "
          "points=\"" +
          points + "\"/>\n";
    points.clear();
  };
  for (std::size_t k = 0; k < d.f_mhz.size(); ++k) {
    if (!std::isfinite(d.f_mhz[k]) || d.f_mhz[k] > f_max || !std::isfinite(d.nominal_db[k])) {
      flush();
      continue;
    }
    points += px(a.map_x(d.f_mhz[k])) + "," + px(a.map_y(d.nominal_db[k])) + " ";
  }
  flush();
}

void line(std::string& out, const char* cls, double x1, double y1, double x2, double y2,
          const char* colour, const char* extra = "") {
  out += "<line class=\"" + std::string(cls) + "\" x1=\"" + px(x1) + "\" y1=\"" + px(y1) +
         "\" x2=\"" + px(x2) + "\" y2=\"" + px(y2) + "\" stroke=\"" + colour + "\"" + extra +
         "/>\n";
}

void text(std::string& out, double x, double y, const std::string& body, int size,
          const char* anchor) {
  out += "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" font-size=\"" + std::to_string(size) +
         "\" text-anchor=\"" + anchor + "\">" + body + "</text>\n";
}

// A shaded rectangle of the forbidden side of the mask, corners (x1, y1) and (x2, y2).
void forbidden(std::string& out, double x1, double y1, double x2, double y2) {
  if (!(x2 > x1) || !(y2 > y1)) return;
  out += "<rect class=\"forbidden\" x=\"" + px(x1) + "\" y=\"" + px(y1) + "\" width=\"" +
         px(x2 - x1) + "\" height=\"" + px(y2 - y1) +
         "\" fill=\"#c0392b\" fill-opacity=\"0.12\" stroke=\"none\"/>\n";
}

std::string tick(double v, double step) {
  const double l = std::floor(std::log10(step) + 1e-9);
  if (std::fabs(v) < step * 1e-6) v = 0.0;
  return fixed(v, l >= 0.0 ? 0 : static_cast<int>(std::min(-l, 12.0)));
}

// One panel: the points up to f_max between the pixel rows top and bottom.
void panel(std::string& out, const EnvelopeData& d, double f_max, double top, double bottom,
           const char* id, bool detail) {
  double f_lo = HUGE_VAL, f_hi = -HUGE_VAL, y_lo = 0.0, y_hi = 0.0;
  for (std::size_t k = 0; k < d.f_mhz.size(); ++k) {
    if (!finite_point(d, k, f_max)) continue;
    f_lo = std::min(f_lo, d.f_mhz[k]);
    f_hi = std::max(f_hi, d.f_mhz[k]);
    y_lo = std::min(y_lo, d.lowest_db[k]);
    y_hi = std::max(y_hi, d.highest_db[k]);
  }
  if (detail) {
    // The passband: from twice the mask's loss up to 0 dB.
    if (d.pass_db) y_lo = -2.0 * *d.pass_db;
    y_hi = std::max(y_hi, 0.0);
  } else if (d.stop_db) {
    y_lo = std::min(y_lo, -*d.stop_db);
  }
  Axes a;
  a.top = top;
  a.bottom = bottom;
  a.x = nice_axis_scale(f_lo, f_hi, 10);
  a.y = nice_axis_scale(std::max(y_lo, kFloorDb), y_hi, detail ? 4 : 8);
  out += "<g id=\"" + std::string(id) + "\" class=\"panel\" data-x0=\"" + fixed(a.x.lo, 9) +
         "\" data-x1=\"" + fixed(a.x.hi, 9) + "\" data-px0=\"" + px(kLeft) + "\" data-px1=\"" +
         px(kRight) + "\" data-y0=\"" + fixed(a.y.lo, 9) + "\" data-y1=\"" + fixed(a.y.hi, 9) +
         "\" data-py0=\"" + px(bottom) + "\" data-py1=\"" + px(top) + "\">\n";
  out += "<rect x=\"" + px(kLeft) + "\" y=\"" + px(top) + "\" width=\"" + px(kRight - kLeft) +
         "\" height=\"" + px(bottom - top) + "\" fill=\"#ffffff\" stroke=\"#333333\"/>\n";
  const auto nx = std::llround((a.x.hi - a.x.lo) / a.x.step);
  const auto ny = std::llround((a.y.hi - a.y.lo) / a.y.step);
  for (long long i = 0; i <= nx; ++i) {
    const double v = a.x.lo + static_cast<double>(i) * a.x.step;
    line(out, "grid", a.map_x(v), top, a.map_x(v), bottom, "#e2e2e2");
    text(out, a.map_x(v), bottom + 18, tick(v, a.x.step), 12, "middle");
  }
  for (long long i = 0; i <= ny; ++i) {
    const double v = a.y.lo + static_cast<double>(i) * a.y.step;
    line(out, "grid", kLeft, a.map_y(v), kRight, a.map_y(v), "#e2e2e2");
    text(out, kLeft - 8, a.map_y(v) + 4, tick(v, a.y.step), 12, "end");
  }
  // The side of the mask a trial must not reach, shaded under the curves: below the passband
  // limit up to the passband edge, above the stop limit at the stop frequency.
  if (d.pass_mhz && d.pass_db) {
    const double x = a.map_x(std::clamp(*d.pass_mhz, a.x.lo, a.x.hi));
    forbidden(out, kLeft, a.on_axis_y(-*d.pass_db), x, bottom);
  }
  if (d.stop_mhz && d.stop_db && *d.stop_mhz >= a.x.lo && *d.stop_mhz <= a.x.hi) {
    const double x = a.map_x(*d.stop_mhz);
    forbidden(out, std::max(kLeft, x - kStopStripPx / 2), top,
              std::min(kRight, x + kStopStripPx / 2), a.on_axis_y(-*d.stop_db));
  }
  // The curves are clipped to the panel: one beyond the axis leaves through its edge.
  out += "<clipPath id=\"" + std::string(id) + "-area\"><rect x=\"" + px(kLeft) + "\" y=\"" +
         px(top) + "\" width=\"" + px(kRight - kLeft) + "\" height=\"" + px(bottom - top) +
         "\"/></clipPath>\n<g clip-path=\"url(#" + id + "-area)\">\n";
  band(out, d, a, f_max);
  nominal(out, d, a, f_max);
  out += "</g>\n";
  const char* dashed = " stroke-width=\"1.5\" stroke-dasharray=\"6 3\"";
  if (d.pass_mhz && d.pass_db) {
    const double x = a.map_x(std::clamp(*d.pass_mhz, a.x.lo, a.x.hi));
    const double y = a.on_axis_y(-*d.pass_db);
    line(out, "mask", kLeft, y, x, y, "#c0392b", dashed);
    line(out, "mask", x, y, x, top, "#c0392b", dashed);
  }
  if (d.stop_mhz && d.stop_db && *d.stop_mhz >= a.x.lo && *d.stop_mhz <= a.x.hi) {
    const double x = a.map_x(*d.stop_mhz);
    line(out, "mask", x, a.on_axis_y(-*d.stop_db), x, bottom, "#c0392b", dashed);
  }
  out += "</g>\n";
  const double ym = (top + bottom) / 2.0;
  out += "<text x=\"24\" y=\"" + px(ym) + "\" font-size=\"13\" text-anchor=\"middle\" " +
         "transform=\"rotate(-90 24 " + px(ym) + ")\">" +
         (detail ? "Passband loss, dB" : "Loss, dB") + "</text>\n";
}

}  // namespace

void write_envelope_plot(std::ostream& os, const EnvelopeData& d) {
  std::string out;
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"960\" height=\"720\" viewBox=\"0 0 " +
         fixed(kWidth, 0) + " " + fixed(kHeight, 0) +
         "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"#fafafa\"/>\n";
  text(out, kWidth / 2, 30, xml_text(d.title), 18, "middle");
  text(out, kWidth / 2, 52, xml_text(d.subtitle), 13, "middle");
  text(
      out, kRight, 72,
      "band: least to greatest loss of all trials; line: nominal; dashed: mask; shaded: outside it",
      12, "end");
  const bool detail = d.pass_mhz && d.pass_db;
  panel(out, d, HUGE_VAL, 84, detail ? 420 : 660, "loss", false);
  if (detail) panel(out, d, kDetailSpan * *d.pass_mhz, 470, 660, "passband", true);
  text(out, (kLeft + kRight) / 2, 700, "Frequency, MHz", 13, "middle");
  out += "</svg>\n";
  os << out;
}

}  // namespace mx
