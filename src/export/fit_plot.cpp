#include "export/fit_plot.h"

#include <algorithm>
#include <cmath>

#include "export/chart.h"

namespace mx {
namespace {

constexpr double kLeft = chart::kPanelLeft, kRight = chart::kPanelRight;
constexpr double kS21FloorDb = -100.0;  // the axes reach no lower
constexpr double kS11FloorDb = -60.0;

void panel(std::string& out, const std::vector<double>& f,
           const std::vector<const std::vector<double>*>& curves, double floor_db, double top,
           double bottom, const char* id, const char* label) {
  double f_lo = HUGE_VAL, f_hi = -HUGE_VAL, y_lo = 0.0;
  for (std::size_t k = 0; k < f.size(); ++k) {
    if (!std::isfinite(f[k])) continue;
    f_lo = std::min(f_lo, f[k]);
    f_hi = std::max(f_hi, f[k]);
    for (const std::vector<double>* c : curves)
      if (k < c->size() && std::isfinite((*c)[k])) y_lo = std::min(y_lo, (*c)[k]);
  }
  chart::Axes a;
  a.left = kLeft;
  a.right = kRight;
  a.top = top;
  a.bottom = bottom;
  a.x = nice_axis_scale(f_lo, f_hi, 10);
  a.y = nice_axis_scale(std::max(y_lo, floor_db), 0.0, 6);
  chart::open_panel(out, a, id);
  chart::open_clip(out, a, id);
  chart::curve(out, a, f, *curves[0], HUGE_VAL, "measured", "#222222",
               " stroke-width=\"2.4\" stroke-opacity=\"0.45\"");
  chart::curve(out, a, f, *curves[1], HUGE_VAL, "nominal", "#1f5fbf",
               " stroke-width=\"1.3\" stroke-dasharray=\"6 3\"");
  chart::curve(out, a, f, *curves[2], HUGE_VAL, "fitted", "#c0392b", " stroke-width=\"1.2\"");
  out += "</g>\n</g>\n";
  const double ym = (top + bottom) / 2.0;
  out += "<text x=\"24\" y=\"" + chart::px(ym) + "\" font-size=\"13\" text-anchor=\"middle\" " +
         "transform=\"rotate(-90 24 " + chart::px(ym) + ")\">" + label + "</text>\n";
}

}  // namespace

void write_fit_plot(std::ostream& os, const FitPlotData& d) {
  std::string out;
  chart::open_sheet(out, d.title, d.subtitle,
                    "grey: measured; dashed blue: nominal circuit; red: fitted circuit");
  panel(out, d.f_mhz, {&d.measured_s21_db, &d.nominal_s21_db, &d.fitted_s21_db}, kS21FloorDb, 84,
        400, "s21", "|S21|, dB");
  panel(out, d.f_mhz, {&d.measured_s11_db, &d.nominal_s11_db, &d.fitted_s11_db}, kS11FloorDb, 450,
        660, "s11", "|S11|, dB");
  chart::close_sheet(out);
  os << out;
}

}  // namespace mx
