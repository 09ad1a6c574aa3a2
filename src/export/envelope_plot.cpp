#include "export/envelope_plot.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "export/chart.h"
#include "export/picture_text.h"
#include "export/response_plot.h"

namespace mx {
namespace {

constexpr double kLeft = chart::kPanelLeft, kRight = chart::kPanelRight;
constexpr double kFloorDb = -200.0;   // the axis reaches no lower
constexpr double kDetailSpan = 1.15;  // the passband detail runs to 1.15 x the mask's edge
constexpr double kStopStripPx = 6.0;  // width of the forbidden strip at the stop frequency

using chart::Axes;
using chart::line;
using chart::px;
using chart::text;

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
  chart::curve(out, a, d.f_mhz, d.nominal_db, f_max, "nominal", "#1f3b73", " stroke-width=\"1.6\"");
}

// A shaded rectangle of the forbidden side of the mask, corners (x1, y1) and (x2, y2).
void forbidden(std::string& out, double x1, double y1, double x2, double y2) {
  if (!(x2 > x1) || !(y2 > y1)) return;
  out += "<rect class=\"forbidden\" x=\"" + px(x1) + "\" y=\"" + px(y1) + "\" width=\"" +
         px(x2 - x1) + "\" height=\"" + px(y2 - y1) +
         "\" fill=\"#c0392b\" fill-opacity=\"0.12\" stroke=\"none\"/>\n";
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
  a.left = kLeft;
  a.right = kRight;
  a.top = top;
  a.bottom = bottom;
  a.x = nice_axis_scale(f_lo, f_hi, 10);
  a.y = nice_axis_scale(std::max(y_lo, kFloorDb), y_hi, detail ? 4 : 8);
  chart::open_panel(out, a, id);
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
  chart::open_clip(out, a, id);
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
  chart::open_sheet(out, d.title, d.subtitle,
                    "band: least to greatest loss of all trials; line: nominal; dashed: mask; "
                    "shaded: outside it");
  const bool detail = d.pass_mhz && d.pass_db;
  panel(out, d, HUGE_VAL, 84, detail ? 420 : 660, "loss", false);
  if (detail) panel(out, d, kDetailSpan * *d.pass_mhz, 470, 660, "passband", true);
  chart::close_sheet(out);
  os << out;
}

}  // namespace mx
