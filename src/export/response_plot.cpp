#include "export/response_plot.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "export/chart.h"
#include "export/picture_text.h"
#include "export/s_parameters.h"

namespace mx {

namespace {
constexpr double kSpikeFactor = 5.0;  // |delay| above this many times its 90th percentile: a spike
}  // namespace

AxisScale nice_axis_scale(double lo, double hi, int max_intervals) {
  constexpr double kLimit = 1e300;
  if (!std::isfinite(lo)) lo = 0.0;
  if (!std::isfinite(hi)) hi = 1.0;
  lo = std::clamp(lo, -kLimit, kLimit);
  hi = std::clamp(hi, -kLimit, kLimit);
  if (lo > hi) std::swap(lo, hi);
  const double mag = std::max(std::fabs(lo), std::fabs(hi));
  if (!(hi - lo > mag * 1e-9)) {
    const double pad = mag > 0.0 ? mag * 0.1 : 1.0;
    lo -= pad;
    hi += pad;
  }
  max_intervals = std::clamp(max_intervals, 2, 100);
  const double span = hi - lo;
  double decade = std::pow(10.0, std::floor(std::log10(span / max_intervals)));
  if (!(decade > 0.0) || !std::isfinite(decade)) decade = 1.0;
  static constexpr double kMultiples[] = {1.0, 2.0, 5.0};
  AxisScale s;
  // Walk up the 1-2-5 sequence until whole steps cover the range in few enough intervals; the
  // first candidate already gives at least span/max_intervals, so this ends within a few steps.
  for (int k = 0; k < 30; ++k) {
    const double step = kMultiples[k % 3] * decade * std::pow(10.0, k / 3);
    const double a = std::floor(lo / step) * step;
    const double b = std::ceil(hi / step) * step;
    s = AxisScale{a, b, step};
    if ((b - a) / step <= max_intervals + 1e-9) break;
  }
  return s;
}

ResponseRanges response_ranges(std::span<const double> db, std::span<const double> delay,
                               double ripple_db) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  ResponseRanges r;
  double lo = kInf, hi = 0.0;
  bool perfect = false;
  for (const double v : db) {
    if (std::isinf(v) && v < 0.0) perfect = true;
    if (!std::isfinite(v)) continue;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  if (lo == kInf) lo = -10.0;
  if (ripple_db > 0.0 && std::isfinite(ripple_db)) lo = std::min(lo, -ripple_db);
  if (perfect) lo = std::min(lo - 10.0, -40.0);  // room below the worst real match
  lo = std::clamp(lo, kResponseDbFloor, kResponseDbCeiling);
  hi = std::clamp(hi, kResponseDbFloor, kResponseDbCeiling);
  r.db_lo = std::min(lo, hi - 1.0);
  r.db_hi = hi;

  // Delay: scaled to the values that are not phase-wrap spikes.
  std::vector<double> mags;
  for (const double v : delay)
    if (std::isfinite(v)) mags.push_back(std::fabs(v));
  if (!mags.empty()) {
    const std::size_t k = (mags.size() - 1) * 9 / 10;
    std::nth_element(mags.begin(), mags.begin() + static_cast<std::ptrdiff_t>(k), mags.end());
    const double p90 = mags[k];
    if (p90 > 0.0) r.spike_limit = kSpikeFactor * p90;
  }
  r.delay_lo = 0.0;
  r.delay_hi = 0.0;
  for (const double v : delay) {
    if (!std::isfinite(v)) continue;
    if (std::fabs(v) > r.spike_limit) {
      ++r.spikes;
      continue;
    }
    r.delay_lo = std::min(r.delay_lo, v);
    r.delay_hi = std::max(r.delay_hi, v);
  }
  if (r.delay_hi - r.delay_lo <= 0.0) r.delay_hi = r.delay_lo + 1.0;
  return r;
}

namespace {

using picture::fixed;
using picture::xml_text;

constexpr double kWidth = chart::kSheetWidth;
constexpr double kHeight = chart::kSheetHeight;
constexpr double kLeft = 84.0;
constexpr double kRight = 928.0;
constexpr double kTop1 = 100.0;  // dB panel
constexpr double kBottom1 = 424.0;
constexpr double kTop2 = 476.0;  // delay panel
constexpr double kBottom2 = 640.0;
constexpr double kInf = std::numeric_limits<double>::infinity();

constexpr const char* kLossColour = "#1f4e9c";
constexpr const char* kReturnColour = "#c0392b";
constexpr const char* kDelayColour = "#1b7a3d";
constexpr const char* kRippleColour = "#f2c14e";
constexpr const char* kGridColour = "#dcdcdc";
constexpr const char* kFrameColour = "#333333";
constexpr const char* kTextColour = "#222222";

enum class Curve { Loss, ReturnLoss, Delay };

double value_of(const SweepPoint& p, Curve c) {
  switch (c) {
    case Curve::Loss:
      return static_cast<double>(p.loss_db);
    case Curve::ReturnLoss:
      return static_cast<double>(p.return_loss_db);
    case Curve::Delay:
      return static_cast<double>(p.delay_ns);
  }
  return 0.0;
}

bool is_perfect_match(double return_loss) { return std::isinf(return_loss) && return_loss < 0.0; }

struct Sample {
  std::size_t row = 0;
  double f = 0.0;
  double v = 0.0;
};
using Run = std::vector<Sample>;

// Consecutive drawable rows of one curve; a row that is not drawable ends the run.
std::vector<Run> runs_of(const SweepData& d, Curve c) {
  std::vector<Run> runs;
  Run cur;
  for (std::size_t i = 0; i < d.points.size(); ++i) {
    const double f = static_cast<double>(d.points[i].f_mhz);
    const double v = value_of(d.points[i], c);
    const bool ok =
        std::isfinite(f) && (std::isfinite(v) || (c == Curve::ReturnLoss && is_perfect_match(v)));
    if (ok) {
      cur.push_back(Sample{i, f, v});
    } else if (!cur.empty()) {
      runs.push_back(std::move(cur));
      cur.clear();
    }
  }
  if (!cur.empty()) runs.push_back(std::move(cur));
  return runs;
}

// A panel of the plot: its axes (chart::Axes, the values held within them) and the id of its group.
struct Panel : chart::Axes {
  std::string id;
};

Panel panel_of(std::string id, const AxisScale& x, const AxisScale& y, double left, double right,
               double bottom, double top) {
  Panel p;
  p.id = std::move(id);
  p.x = x;
  p.y = y;
  p.left = left;
  p.right = right;
  p.bottom = bottom;
  p.top = top;
  return p;
}

using chart::px;
using chart::text;
const auto tick_label = chart::tick;

std::string number(double v) { return picture::short_number(v); }

void panel_frame(std::string& out, const Panel& p, const std::string& y_label, bool zero_line) {
  out += "<g id=\"" + p.id + "\" class=\"panel\" data-x0=\"" + fixed(p.x.lo, 9) + "\" data-x1=\"" +
         fixed(p.x.hi, 9) + "\" data-px0=\"" + px(p.left) + "\" data-px1=\"" + px(p.right) +
         "\" data-y0=\"" + fixed(p.y.lo, 9) + "\" data-y1=\"" + fixed(p.y.hi, 9) +
         "\" data-py0=\"" + px(p.bottom) + "\" data-py1=\"" + px(p.top) + "\">\n";
  out += "<rect x=\"" + px(p.left) + "\" y=\"" + px(p.top) + "\" width=\"" + px(p.right - p.left) +
         "\" height=\"" + px(p.bottom - p.top) + "\" fill=\"#ffffff\"/>\n";
  out += "<g class=\"grid\" stroke=\"" + std::string(kGridColour) + "\" stroke-width=\"1\">\n";
  const auto nx = static_cast<long>(std::llround((p.x.hi - p.x.lo) / p.x.step));
  const auto ny = static_cast<long>(std::llround((p.y.hi - p.y.lo) / p.y.step));
  for (long i = 1; i < nx; ++i) {
    const double xp = p.on_axis_x(p.x.lo + static_cast<double>(i) * p.x.step);
    out += "<line x1=\"" + px(xp) + "\" y1=\"" + px(p.top) + "\" x2=\"" + px(xp) + "\" y2=\"" +
           px(p.bottom) + "\"/>\n";
  }
  for (long i = 1; i < ny; ++i) {
    const double yp = p.on_axis_y(p.y.lo + static_cast<double>(i) * p.y.step);
    out += "<line x1=\"" + px(p.left) + "\" y1=\"" + px(yp) + "\" x2=\"" + px(p.right) +
           "\" y2=\"" + px(yp) + "\"/>\n";
  }
  out += "</g>\n";
  if (zero_line && p.y.lo < 0.0 && p.y.hi > 0.0) {
    const double yp = p.on_axis_y(0.0);
    out += "<line class=\"zero\" x1=\"" + px(p.left) + "\" y1=\"" + px(yp) + "\" x2=\"" +
           px(p.right) + "\" y2=\"" + px(yp) + "\" stroke=\"#9a9a9a\" stroke-width=\"1\"/>\n";
  }
  // Tick marks and labels.
  out += "<g class=\"ticks\" fill=\"" + std::string(kTextColour) + "\">\n";
  for (long i = 0; i <= nx; ++i) {
    const double v = p.x.lo + static_cast<double>(i) * p.x.step;
    const double xp = p.on_axis_x(v);
    out += "<line x1=\"" + px(xp) + "\" y1=\"" + px(p.bottom) + "\" x2=\"" + px(xp) + "\" y2=\"" +
           px(p.bottom + 5) + "\" stroke=\"" + kFrameColour + "\"/>\n";
    text(out, xp, p.bottom + 18, tick_label(v, p.x.step), 12, "middle");
  }
  for (long i = 0; i <= ny; ++i) {
    const double v = p.y.lo + static_cast<double>(i) * p.y.step;
    const double yp = p.on_axis_y(v);
    out += "<line x1=\"" + px(p.left - 5) + "\" y1=\"" + px(yp) + "\" x2=\"" + px(p.left) +
           "\" y2=\"" + px(yp) + "\" stroke=\"" + kFrameColour + "\"/>\n";
    text(out, p.left - 8, yp + 4, tick_label(v, p.y.step), 12, "end");
  }
  out += "</g>\n";
  const double ym = (p.bottom + p.top) / 2.0;
  text(out, 26, ym, xml_text(y_label), 13, "middle",
       (" transform=\"rotate(-90 26 " + px(ym) + ")\"").c_str());
}

void panel_close(std::string& out, const Panel& p) {
  out += "<rect class=\"frame\" x=\"" + px(p.left) + "\" y=\"" + px(p.top) + "\" width=\"" +
         px(p.right - p.left) + "\" height=\"" + px(p.bottom - p.top) +
         "\" fill=\"none\" stroke=\"" + kFrameColour + "\" stroke-width=\"1.2\"/>\n";
  out += "</g>\n";
}

void draw_runs(std::string& out, const std::vector<Run>& runs, const Panel& p, const char* cls,
               const char* colour) {
  for (const Run& run : runs) {
    if (run.size() == 1) {
      const Sample& s = run.front();
      out += "<circle class=\"" + std::string(cls) + "\" data-row=\"" + std::to_string(s.row) +
             "\" cx=\"" + px(p.on_axis_x(s.f)) + "\" cy=\"" + px(p.on_axis_y(s.v)) +
             "\" r=\"4\" fill=\"" + colour + "\" stroke=\"#ffffff\" stroke-width=\"1\"/>\n";
      continue;
    }
    out += "<polyline class=\"" + std::string(cls) + "\" data-first-row=\"" +
           std::to_string(run.front().row) + "\" fill=\"none\" stroke=\"" + colour +
           "\" stroke-width=\"1.8\" stroke-linejoin=\"round\" stroke-linecap=\"round\" points=\"";
    bool first = true;
    for (const Sample& s : run) {
      if (!first) out += ' ';
      first = false;
      out += px(p.on_axis_x(s.f)) + "," + px(p.on_axis_y(s.v));
    }
    out += "\"/>\n";
  }
}

struct Box {
  double x0, y0, x1, y1;
  bool contains(double x, double y, double pad) const {
    return x >= x0 - pad && x <= x1 + pad && y >= y0 - pad && y <= y1 + pad;
  }
};

// Pixel positions along the drawn curves (segments sampled every few pixels), used to put labels
// and the inset where they hide nothing.
struct Obstacles {
  std::vector<std::pair<double, double>> pts;

  void add_runs(const std::vector<Run>& runs, const Panel& p) {
    // Long segments are sampled every 3 px, within a budget that keeps huge sweeps cheap.
    std::size_t segments = 0;
    for (const Run& r : runs) segments += r.size();
    const double budget =
        std::clamp(200000.0 / static_cast<double>(std::max<std::size_t>(segments, 1)), 1.0, 400.0);
    for (const Run& r : runs) {
      for (std::size_t i = 0; i < r.size(); ++i) {
        const double x = p.on_axis_x(r[i].f), y = p.on_axis_y(r[i].v);
        pts.emplace_back(x, y);
        if (i == 0) continue;
        const double x0 = p.on_axis_x(r[i - 1].f), y0 = p.on_axis_y(r[i - 1].v);
        const int steps = static_cast<int>(std::min(std::hypot(x - x0, y - y0) / 3.0, budget));
        for (int k = 1; k < steps; ++k) {
          const double t = static_cast<double>(k) / steps;
          pts.emplace_back(x0 + (x - x0) * t, y0 + (y - y0) * t);
        }
      }
    }
  }
  void add_box(const Box& b) {
    for (double y = b.y0; y <= b.y1; y += 4.0) {
      for (double x = b.x0; x <= b.x1; x += 4.0) pts.emplace_back(x, y);
    }
  }
  std::size_t count(const Box& b, double pad) const {
    std::size_t n = 0;
    for (const auto& [x, y] : pts) n += b.contains(x, y, pad) ? 1 : 0;
    return n;
  }
  // The first candidate that hides nothing, else the one hiding least; `clear` tells which.
  std::size_t pick(const std::vector<Box>& candidates, double pad, bool& clear) const {
    std::size_t best = 0, best_n = std::numeric_limits<std::size_t>::max();
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      const std::size_t n = count(candidates[i], pad);
      if (n < best_n) {
        best = i;
        best_n = n;
      }
      if (n == 0) break;
    }
    clear = best_n == 0;
    return best;
  }
};

// Passband detail: the insertion loss up to a little above the cutoff on a dB scale a few times the
// ripple, drawn as an inset in the dB panel wherever it covers no curve (and left out when there is
// no such place). Its axis mapping is in the data-* attributes of <g class="inset">; the curve is a
// <polyline class="loss-detail">.
void passband_inset(std::string& out, const std::vector<Run>& loss, const Panel& dbp, double ripple,
                    double cutoff, const Obstacles& obs) {
  const double f_end = cutoff * 1.15;
  double f_lo = kInf, l_lo = kInf, l_hi = -kInf;
  std::size_t n = 0;
  for (const Run& r : loss) {
    for (const Sample& s : r) {
      if (s.f > f_end) continue;
      ++n;
      f_lo = std::min(f_lo, s.f);
      if (s.f <= cutoff) {
        l_lo = std::min(l_lo, s.v);
        l_hi = std::max(l_hi, s.v);
      }
    }
  }
  if (n < 3 || !(l_lo <= l_hi) || !(f_lo < f_end)) return;
  const double lo = std::max(std::min(-2.0 * ripple, l_lo - 0.3 * ripple), -20.0);
  const double hi = std::min(std::max(0.0, l_hi), 20.0) + 0.5 * ripple;
  constexpr double kW = 220.0, kH = 72.0, kPadL = 40.0, kPadT = 20.0, kPadR = 14.0, kPadB = 16.0;
  constexpr double kOutW = kW + kPadL + kPadR, kOutH = kH + kPadT + kPadB;
  // Candidate places along the top and the bottom of the panel, from the right.
  std::vector<Box> spots;
  for (const double y : {dbp.top + 8.0, dbp.bottom - 8.0 - kOutH}) {
    for (double x = dbp.right - 8.0 - kOutW; x >= dbp.left + 8.0; x -= 30.0) {
      spots.push_back(Box{x, y, x + kOutW, y + kOutH});
    }
  }
  if (spots.empty()) return;
  bool clear = false;
  const Box b = spots[obs.pick(spots, 4.0, clear)];
  if (!clear) return;
  const Panel in =
      panel_of("passband-inset", nice_axis_scale(f_lo, f_end, 6), nice_axis_scale(lo, hi, 4),
               b.x0 + kPadL, b.x0 + kPadL + kW, b.y0 + kPadT + kH, b.y0 + kPadT);
  out += "<g id=\"" + in.id + "\" class=\"inset\" data-x0=\"" + fixed(in.x.lo, 9) +
         "\" data-x1=\"" + fixed(in.x.hi, 9) + "\" data-px0=\"" + px(in.left) + "\" data-px1=\"" +
         px(in.right) + "\" data-y0=\"" + fixed(in.y.lo, 9) + "\" data-y1=\"" + fixed(in.y.hi, 9) +
         "\" data-py0=\"" + px(in.bottom) + "\" data-py1=\"" + px(in.top) + "\">\n";
  out += "<rect x=\"" + px(b.x0) + "\" y=\"" + px(b.y0) + "\" width=\"" + px(kOutW) +
         "\" height=\"" + px(kOutH) +
         "\" fill=\"#ffffff\" stroke=\"#9a9a9a\" stroke-width=\"0.8\"/>\n";
  text(out, b.x0 + 8.0, b.y0 + 14.0, "Passband detail: insertion loss (dB)", 11, "start",
       " font-weight=\"bold\"");
  out += "<clipPath id=\"passband-inset-clip\"><rect x=\"" + px(in.left) + "\" y=\"" + px(in.top) +
         "\" width=\"" + px(kW) + "\" height=\"" + px(kH) + "\"/></clipPath>\n";
  const double r0 = in.on_axis_y(0.0), r1 = in.on_axis_y(-ripple);
  out += "<rect class=\"ripple-band-detail\" x=\"" + px(in.left) + "\" y=\"" + px(r0) +
         "\" width=\"" + px(kW) + "\" height=\"" + px(r1 - r0) + "\" fill=\"" + kRippleColour +
         "\" fill-opacity=\"0.45\"/>\n";
  out += "<g stroke=\"" + std::string(kGridColour) + "\" stroke-width=\"1\">\n";
  const auto nx = static_cast<long>(std::llround((in.x.hi - in.x.lo) / in.x.step));
  const auto ny = static_cast<long>(std::llround((in.y.hi - in.y.lo) / in.y.step));
  for (long i = 0; i <= nx; ++i) {
    const double v = in.x.lo + static_cast<double>(i) * in.x.step, xp = in.on_axis_x(v);
    if (i > 0 && i < nx) {
      out += "<line x1=\"" + px(xp) + "\" y1=\"" + px(in.top) + "\" x2=\"" + px(xp) + "\" y2=\"" +
             px(in.bottom) + "\"/>\n";
    }
    text(out, xp, in.bottom + 13.0, tick_label(v, in.x.step), 10, "middle",
         " stroke=\"none\" fill=\"#222222\"");
  }
  for (long i = 0; i <= ny; ++i) {
    const double v = in.y.lo + static_cast<double>(i) * in.y.step, yp = in.on_axis_y(v);
    if (i > 0 && i < ny) {
      out += "<line x1=\"" + px(in.left) + "\" y1=\"" + px(yp) + "\" x2=\"" + px(in.right) +
             "\" y2=\"" + px(yp) + "\"/>\n";
    }
    text(out, in.left - 5.0, yp + 3.5, tick_label(v, in.y.step), 10, "end",
         " stroke=\"none\" fill=\"#222222\"");
  }
  out += "</g>\n";
  if (cutoff >= in.x.lo && cutoff <= in.x.hi) {
    const double xc = in.on_axis_x(cutoff);
    out += "<line x1=\"" + px(xc) + "\" y1=\"" + px(in.top) + "\" x2=\"" + px(xc) + "\" y2=\"" +
           px(in.bottom) + "\" stroke=\"#555555\" stroke-width=\"1\" stroke-dasharray=\"5 3\"/>\n";
  }
  // Unclamped mapping: the clip path cuts the curve where it leaves the inset.
  const auto raw = [](double v, double a0, double a1, double p0, double p1) {
    return std::clamp(p0 + (v - a0) / (a1 - a0) * (p1 - p0), -1e5, 1e5);
  };
  out += "<g clip-path=\"url(#passband-inset-clip)\">\n";
  std::string pts;
  std::size_t first = 0, count = 0;
  const auto flush = [&] {
    if (count >= 2) {
      out += "<polyline class=\"loss-detail\" data-first-row=\"" + std::to_string(first) +
             "\" fill=\"none\" stroke=\"" + kLossColour +
             "\" stroke-width=\"1.6\" stroke-linejoin=\"round\" points=\"" + pts + "\"/>\n";
    }
    pts.clear();
    count = 0;
  };
  for (const Run& r : loss) {
    for (std::size_t i = 0; i < r.size(); ++i) {
      // Points beyond the inset's range are kept only next to ones inside it.
      if (!(r[i].f <= in.x.hi || (i > 0 && r[i - 1].f <= in.x.hi))) {
        flush();
        continue;
      }
      if (count++ == 0) first = r[i].row;
      if (!pts.empty()) pts += ' ';
      pts += px(raw(r[i].f, in.x.lo, in.x.hi, in.left, in.right)) + "," +
             px(raw(r[i].v, in.y.lo, in.y.hi, in.bottom, in.top));
    }
    flush();
  }
  out += "</g>\n";
  out += "<rect x=\"" + px(in.left) + "\" y=\"" + px(in.top) + "\" width=\"" + px(kW) +
         "\" height=\"" + px(kH) + "\" fill=\"none\" stroke=\"" + kFrameColour +
         "\" stroke-width=\"0.8\"/>\n";
  out += "</g>\n";
}

std::string title_of(const SweepInfo& info) {
  std::string t =
      (info.response.empty() ? std::string("Low-pass") : info.response + " low-pass") + " filter";
  if (info.sections > 0) {
    t += ", " + std::to_string(info.sections) + (info.sections == 1 ? " section" : " sections");
  }
  t += info.coaxial ? ", coaxial" : ", lumped LC ladder";
  if (!info.configuration.empty()) t += " (" + info.configuration + ")";
  return t;
}

std::string subtitle_of(const SweepInfo& info) {
  const auto ohm = [](float v) { return number(static_cast<double>(v)) + " \u03a9"; };
  std::string s = "Source Rs = " + ohm(info.rs) + ", Xs = " + ohm(info.xs) +
                  "   \u00b7   Load Rl = " + ohm(info.rl) + ", Xl = " + ohm(info.xl);
  if (info.cutoff_mhz > 0.0f)
    s += "   \u00b7   FC1 = " + number(static_cast<double>(info.cutoff_mhz)) + " MHz";
  if (info.ripple_db > 0.0f)
    s += "   \u00b7   ripple " + number(static_cast<double>(info.ripple_db)) + " dB";
  if (info.reference_ohm > 0.0)
    s += "   \u00b7   S referred to " + number(info.reference_ohm) + " \u03a9";
  return s;
}

// Legend entries drawn right to left from the panel's right edge, above the dB panel.
struct LegendEntry {
  std::string label;
  std::string sample;  // SVG of the swatch, drawn with its left end at x = 0, centred on y = 0
};

void legend(std::string& out, const std::vector<LegendEntry>& entries) {
  double x = kRight;
  const double y = kTop1 - 12.0;
  out += "<g class=\"legend\" font-size=\"12\" fill=\"" + std::string(kTextColour) + "\">\n";
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const double w = 28.0 + picture::text_width_em(it->label) * 12.0;
    x -= w;
    out += "<g transform=\"translate(" + px(x) + " " + px(y) + ")\">" + it->sample +
           "<text x=\"28\" y=\"4\">" + xml_text(it->label) + "</text></g>\n";
    x -= 18.0;
  }
  out += "</g>\n";
}

std::string line_swatch(const char* colour, const char* dash = nullptr) {
  std::string s = "<line x1=\"0\" y1=\"0\" x2=\"22\" y2=\"0\" stroke=\"" + std::string(colour) +
                  "\" stroke-width=\"2\"";
  if (dash) s += std::string(" stroke-dasharray=\"") + dash + "\"";
  return s + "/>";
}

}  // namespace

void write_response_plot(std::ostream& os, const SweepData& sweep) {
  // Referred to one impedance, the dB curves are |S21| and |S11| of the chain matrix referred to
  // it at both ports in place of the report's loss and return loss.
  SweepData referred;
  const bool to_reference = sweep.info.reference_ohm > 0.0;
  if (to_reference) {
    referred = sweep;
    const double z = sweep.info.reference_ohm;
    for (SweepPoint& p : referred.points) {
      const SParameters s = abcd_to_s(p.abcd, z, z);
      p.loss_db = static_cast<float>(20.0 * std::log10(std::abs(s.s21)));
      p.return_loss_db = static_cast<float>(20.0 * std::log10(std::abs(s.s11)));
    }
  }
  const SweepData& d = to_reference ? referred : sweep;
  const SweepInfo& info = d.info;
  const std::vector<Run> loss = runs_of(d, Curve::Loss);
  const std::vector<Run> ret = runs_of(d, Curve::ReturnLoss);
  const std::vector<Run> delay = runs_of(d, Curve::Delay);

  // Rows with something non-finite (a perfect match aside) and rows with a perfect match.
  std::size_t bad_rows = 0, perfect_rows = 0;
  double fmin = kInf, fmax = -kInf;
  for (const SweepPoint& p : d.points) {
    const double f = static_cast<double>(p.f_mhz);
    const double rl = static_cast<double>(p.return_loss_db);
    const bool bad = !std::isfinite(f) || !std::isfinite(static_cast<double>(p.loss_db)) ||
                     !std::isfinite(static_cast<double>(p.delay_ns)) ||
                     (!std::isfinite(rl) && !is_perfect_match(rl));
    if (bad) ++bad_rows;
    if (is_perfect_match(rl) && std::isfinite(f)) ++perfect_rows;
    if (std::isfinite(f)) {
      fmin = std::min(fmin, f);
      fmax = std::max(fmax, f);
    }
  }
  const bool any_f = fmin <= fmax;

  // The axes' ranges, from the values drawn.
  std::vector<double> db, delay_values;
  for (const auto* curve : {&loss, &ret})
    for (const Run& r : *curve)
      for (const Sample& s : r) db.push_back(s.v);
  for (const Run& r : delay)
    for (const Sample& s : r) delay_values.push_back(s.v);
  const double ripple = static_cast<double>(info.ripple_db);
  const bool show_ripple = ripple > 0.0 && std::isfinite(ripple);
  const ResponseRanges range = response_ranges(db, delay_values, show_ripple ? ripple : 0.0);
  const double db_lo = range.db_lo, db_hi = range.db_hi, t_lo = range.delay_lo,
               t_hi = range.delay_hi, spike_limit = range.spike_limit;
  const std::size_t spikes = range.spikes;

  // The dB panel above the delay panel.
  const Panel dbp =
      panel_of("response-panel", nice_axis_scale(any_f ? fmin : 0.0, any_f ? fmax : 1.0, 10),
               nice_axis_scale(db_lo, db_hi, 8), kLeft, kRight, kBottom1, kTop1);
  const Panel dlp = panel_of("delay-panel", dbp.x, nice_axis_scale(t_lo, t_hi, 5), kLeft, kRight,
                             kBottom2, kTop2);

  std::string out;
  out.reserve(4096 + d.points.size() * 48);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + fixed(kWidth, 0) +
         "\" height=\"" + fixed(kHeight, 0) + "\" viewBox=\"0 0 " + fixed(kWidth, 0) + " " +
         fixed(kHeight, 0) + "\" font-family=\"sans-serif\" fill=\"" + kTextColour + "\">\n";
  const std::string title = xml_text(title_of(info));
  out += "<title>" + title + "</title>\n";
  out += "<defs>\n";
  for (const Panel* p : {&dbp, &dlp}) {
    out += "<clipPath id=\"" + p->id + "-clip\"><rect x=\"" + px(p->left - 2) + "\" y=\"" +
           px(p->top - 2) + "\" width=\"" + px(p->right - p->left + 4) + "\" height=\"" +
           px(p->bottom - p->top + 4) + "\"/></clipPath>\n";
  }
  out += "</defs>\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  // The title shrinks to fit the width (down to 12 px).
  const double title_em = picture::text_width_em(title_of(info)) * 1.06;  // bold is wider
  const int title_size =
      static_cast<int>(std::clamp(std::floor((kRight - kLeft) / title_em), 12.0, 18.0));
  text(out, kLeft, 30, title, title_size, "start", " font-weight=\"bold\"");
  text(out, kLeft, 50, xml_text(subtitle_of(info)), 13, "start", " fill=\"#444444\"");
  std::string note;
  if (d.points.empty()) {
    note = "The sweep holds no rows.";
  } else if (bad_rows > 0) {
    note = std::to_string(bad_rows) + " of " + std::to_string(d.points.size()) +
           (bad_rows == 1 ? " row is" : " rows are") +
           " not finite (NaN or infinite): the curves have gaps there.";
  }
  if (perfect_rows > 0) {
    note += std::string(note.empty() ? "" : " ") +
            "|S11| of \u2212\u221e dB (perfect match) is drawn at the axis floor.";
  }
  if (!note.empty())
    text(out, kLeft, 68, xml_text(note), 12, "start", " class=\"note\" fill=\"#a04000\"");

  std::vector<LegendEntry> entries;
  entries.push_back({"|S21|", line_swatch(kLossColour)});
  entries.push_back({"|S11|", line_swatch(kReturnColour)});
  const double cutoff = static_cast<double>(info.cutoff_mhz);
  const bool show_cutoff = cutoff > 0.0 && cutoff >= dbp.x.lo && cutoff <= dbp.x.hi;
  if (show_ripple) {
    entries.push_back({"Ripple band 0 to \u2212" + number(ripple) + " dB",
                       "<rect x=\"0\" y=\"-6\" width=\"22\" height=\"12\" fill=\"" +
                           std::string(kRippleColour) +
                           "\" fill-opacity=\"0.45\" stroke=\"#c79a1e\" stroke-width=\"0.8\"/>"});
  }
  if (show_cutoff) entries.push_back({"Cutoff FC1", line_swatch("#555555", "6 4")});
  legend(out, entries);

  // dB panel.
  panel_frame(out, dbp, "|S21|, |S11| (dB)", true);
  if (show_ripple) {
    const double y0 = dbp.on_axis_y(0.0);
    const double y1 = std::max(dbp.on_axis_y(-ripple), y0 + 1.0);
    out += "<rect class=\"ripple-band\" x=\"" + px(dbp.left) + "\" y=\"" + px(y0) + "\" width=\"" +
           px(dbp.right - dbp.left) + "\" height=\"" + px(y1 - y0) + "\" fill=\"" + kRippleColour +
           "\" fill-opacity=\"0.45\"/>\n";
  }
  out += "<g clip-path=\"url(#response-panel-clip)\">\n";
  draw_runs(out, ret, dbp, "return-loss", kReturnColour);
  draw_runs(out, loss, dbp, "loss", kLossColour);
  out += "</g>\n";
  Obstacles top_obs;
  top_obs.add_runs(loss, dbp);
  top_obs.add_runs(ret, dbp);
  if (show_cutoff) {
    const double xc = dbp.on_axis_x(cutoff);
    out += "<line class=\"cutoff\" x1=\"" + px(xc) + "\" y1=\"" + px(dbp.top) + "\" x2=\"" +
           px(xc) + "\" y2=\"" + px(dbp.bottom) +
           "\" stroke=\"#555555\" stroke-width=\"1.2\" stroke-dasharray=\"6 4\"/>\n";
    const std::string label = "FC1 = " + number(cutoff) + " MHz";
    const double w = picture::text_width_em(label) * 12.0 * 1.06 + 8.0;
    std::vector<Box> spots;
    for (const double y : {dbp.top + 6.0, dbp.bottom - 24.0, (dbp.bottom + dbp.top) / 2.0 - 9.0}) {
      spots.push_back(Box{xc + 4.0, y, xc + 4.0 + w, y + 18.0});
      spots.push_back(Box{xc - 4.0 - w, y, xc - 4.0, y + 18.0});
    }
    std::vector<Box> inside;
    for (const Box& b : spots) {
      if (b.x0 >= dbp.left + 2.0 && b.x1 <= dbp.right - 2.0) inside.push_back(b);
    }
    if (inside.empty())
      inside.push_back(Box{dbp.right - 2.0 - w, dbp.top + 6.0, dbp.right - 2.0, dbp.top + 24.0});
    bool clear = false;
    const Box b = inside[top_obs.pick(inside, 2.0, clear)];
    out += "<rect x=\"" + px(b.x0) + "\" y=\"" + px(b.y0) + "\" width=\"" + px(b.x1 - b.x0) +
           "\" height=\"" + px(b.y1 - b.y0) + "\" fill=\"#ffffff\" fill-opacity=\"0.85\"/>\n";
    text(out, b.x0 + 4.0, b.y0 + 13.0, xml_text(label), 12, "start",
         " class=\"cutoff-label\" font-weight=\"bold\" fill=\"#444444\"");
    for (double y = dbp.top; y <= dbp.bottom; y += 3.0) top_obs.pts.emplace_back(xc, y);
    top_obs.add_box(b);
  }
  if (show_ripple && show_cutoff) passband_inset(out, loss, dbp, ripple, cutoff, top_obs);
  if (!any_f)
    text(out, (kLeft + kRight) / 2, (kTop1 + kBottom1) / 2, "No finite data to plot", 16, "middle",
         " fill=\"#888888\"");
  panel_close(out, dbp);

  // Delay panel.
  panel_frame(out, dlp, "Group delay (ns)", false);
  out += "<g clip-path=\"url(#delay-panel-clip)\">\n";
  draw_runs(out, delay, dlp, "delay", kDelayColour);
  out += "</g>\n";
  if (spikes > 0) {
    for (const Run& r : delay) {
      for (const Sample& s : r) {
        if (std::fabs(s.v) <= spike_limit) continue;
        const double xp = dlp.on_axis_x(s.f);
        const bool up = s.v > 0.0;
        const double yp = up ? dlp.top : dlp.bottom;
        out += "<path class=\"delay-clipped\" data-row=\"" + std::to_string(s.row) + "\" d=\"M" +
               px(xp) + "," + px(yp) + " l-4," + (up ? "8" : "-8") + " h8 z\" fill=\"" +
               kDelayColour + "\"/>\n";
      }
    }
    const std::string label = "\u25b2 " + std::to_string(spikes) +
                              (spikes == 1 ? " value" : " values") +
                              " off scale (phase-wrap spikes, |\u03c4| > " +
                              picture::short_number(spike_limit, 3) + " ns)";
    Obstacles obs;
    obs.add_runs(delay, dlp);
    const double w = picture::text_width_em(label) * 11.0 + 10.0;
    const std::vector<Box> spots{
        Box{dlp.right - 6.0 - w, dlp.top + 14.0, dlp.right - 6.0, dlp.top + 30.0},
        Box{dlp.left + 6.0, dlp.top + 14.0, dlp.left + 6.0 + w, dlp.top + 30.0},
        Box{dlp.right - 6.0 - w, dlp.bottom - 22.0, dlp.right - 6.0, dlp.bottom - 6.0},
        Box{dlp.left + 6.0, dlp.bottom - 22.0, dlp.left + 6.0 + w, dlp.bottom - 6.0}};
    bool clear = false;
    const Box b = spots[obs.pick(spots, 2.0, clear)];
    out += "<rect x=\"" + px(b.x0) + "\" y=\"" + px(b.y0) + "\" width=\"" + px(b.x1 - b.x0) +
           "\" height=\"" + px(b.y1 - b.y0) + "\" fill=\"#ffffff\" fill-opacity=\"0.85\"/>\n";
    text(out, b.x0 + 5.0, b.y0 + 12.0, xml_text(label), 11, "start",
         " class=\"note\" fill=\"#444444\"");
  }
  if (!any_f)
    text(out, (kLeft + kRight) / 2, (kTop2 + kBottom2) / 2, "No finite data to plot", 16, "middle",
         " fill=\"#888888\"");
  if (show_cutoff) {
    const double xc = dlp.on_axis_x(cutoff);
    out += "<line class=\"cutoff\" x1=\"" + px(xc) + "\" y1=\"" + px(dlp.top) + "\" x2=\"" +
           px(xc) + "\" y2=\"" + px(dlp.bottom) +
           "\" stroke=\"#555555\" stroke-width=\"1.2\" stroke-dasharray=\"6 4\"/>\n";
  }
  panel_close(out, dlp);

  text(out, (kLeft + kRight) / 2, kBottom2 + 44, "Frequency (MHz)", 13, "middle");
  if (!info.program_version.empty()) {
    text(out, kRight, kHeight - 10, xml_text(info.program_version), 11, "end", " fill=\"#777777\"");
  }
  out += "</svg>\n";
  os << out;
}

}  // namespace mx
