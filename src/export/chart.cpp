#include "export/chart.h"

#include <algorithm>
#include <cmath>

#include "export/picture_text.h"

namespace mx::chart {

using picture::fixed;

void open_sheet(std::string& out, const std::string& title, const std::string& subtitle,
                const std::string& key) {
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"960\" height=\"720\" viewBox=\"0 0 " +
         fixed(kSheetWidth, 0) + " " + fixed(kSheetHeight, 0) +
         "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"#fafafa\"/>\n";
  text(out, kSheetWidth / 2, 30, picture::xml_text(title), 18, "middle");
  text(out, kSheetWidth / 2, 52, picture::xml_text(subtitle), 13, "middle");
  text(out, kPanelRight, 72, key, 12, "end");
}

void close_sheet(std::string& out) {
  text(out, (kPanelLeft + kPanelRight) / 2, 700, "Frequency, MHz", 13, "middle");
  out += "</svg>\n";
}

double Axes::map_x(double v) const { return left + (v - x.lo) / (x.hi - x.lo) * (right - left); }

double Axes::map_y(double v) const {
  const double span = y.hi - y.lo;
  v = std::clamp(v, y.lo - kOffPanelSpans * span, y.hi + kOffPanelSpans * span);
  return bottom - (v - y.lo) / span * (bottom - top);
}

double Axes::on_axis_x(double v) const { return map_x(std::clamp(v, x.lo, x.hi)); }

double Axes::on_axis_y(double v) const { return map_y(std::clamp(v, y.lo, y.hi)); }

void open_clip(std::string& out, const Axes& a, const std::string& id) {
  out += "<clipPath id=\"" + id + "-area\"><rect x=\"" + px(a.left) + "\" y=\"" + px(a.top) +
         "\" width=\"" + px(a.right - a.left) + "\" height=\"" + px(a.bottom - a.top) +
         "\"/></clipPath>\n<g clip-path=\"url(#" + id + "-area)\">\n";
}

std::string px(double v) { return fixed(v, 2); }

void line(std::string& out, const char* cls, double x1, double y1, double x2, double y2,
          const char* colour, const char* extra) {
  out += "<line class=\"" + std::string(cls) + "\" x1=\"" + px(x1) + "\" y1=\"" + px(y1) +
         "\" x2=\"" + px(x2) + "\" y2=\"" + px(y2) + "\" stroke=\"" + colour + "\"" + extra +
         "/>\n";
}

void text(std::string& out, double x, double y, const std::string& body, int size,
          const char* anchor, const char* extra) {
  out += "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" font-size=\"" + std::to_string(size) +
         "\" text-anchor=\"" + anchor + "\"" + extra + ">" + body + "</text>\n";
}

std::string tick(double v, double step) {
  const double l = std::floor(std::log10(step) + 1e-9);
  if (std::fabs(v) < step * 1e-6) v = 0.0;
  return fixed(v, l >= 0.0 ? 0 : static_cast<int>(std::min(-l, 12.0)));
}

void open_panel(std::string& out, const Axes& a, const char* id) {
  out += "<g id=\"" + std::string(id) + "\" class=\"panel\" data-x0=\"" + fixed(a.x.lo, 9) +
         "\" data-x1=\"" + fixed(a.x.hi, 9) + "\" data-px0=\"" + px(a.left) + "\" data-px1=\"" +
         px(a.right) + "\" data-y0=\"" + fixed(a.y.lo, 9) + "\" data-y1=\"" + fixed(a.y.hi, 9) +
         "\" data-py0=\"" + px(a.bottom) + "\" data-py1=\"" + px(a.top) + "\">\n";
  out += "<rect x=\"" + px(a.left) + "\" y=\"" + px(a.top) + "\" width=\"" + px(a.right - a.left) +
         "\" height=\"" + px(a.bottom - a.top) + "\" fill=\"#ffffff\" stroke=\"#333333\"/>\n";
  const auto nx = std::llround((a.x.hi - a.x.lo) / a.x.step);
  const auto ny = std::llround((a.y.hi - a.y.lo) / a.y.step);
  for (long long i = 0; i <= nx; ++i) {
    const double v = a.x.lo + static_cast<double>(i) * a.x.step;
    line(out, "grid", a.map_x(v), a.top, a.map_x(v), a.bottom, "#e2e2e2");
    text(out, a.map_x(v), a.bottom + 18, tick(v, a.x.step), 12, "middle");
  }
  for (long long i = 0; i <= ny; ++i) {
    const double v = a.y.lo + static_cast<double>(i) * a.y.step;
    line(out, "grid", a.left, a.map_y(v), a.right, a.map_y(v), "#e2e2e2");
    text(out, a.left - 8, a.map_y(v) + 4, tick(v, a.y.step), 12, "end");
  }
}

void curve(std::string& out, const Axes& a, const std::vector<double>& x,
           const std::vector<double>& y, double x_max, const char* cls, const char* colour,
           const char* extra) {
  std::string points;
  auto flush = [&] {
    if (!points.empty())
      out += "<polyline class=\"" + std::string(cls) + "\" fill=\"none\" stroke=\"" + colour +
             "\"" + extra + " points=\"" + points + "\"/>\n";
    points.clear();
  };
  for (std::size_t k = 0; k < x.size() && k < y.size(); ++k) {
    if (!std::isfinite(x[k]) || x[k] > x_max || !std::isfinite(y[k])) {
      flush();
      continue;
    }
    points += px(a.map_x(x[k])) + "," + px(a.map_y(y[k])) + " ";
  }
  flush();
}

}  // namespace mx::chart
