#include "export/response_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "picture_checks.h"

namespace mx {
namespace {

using picture_checks::attr;
using picture_checks::elements;
using picture_checks::xml_structure_error;
using cd = std::complex<double>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfF = std::numeric_limits<float>::infinity();

// S21 and input reflection of a 50-ohm Chebyshev ladder (shunt C first) at f MHz.
void ladder(int n, double ripple_db, double fc_mhz, double f_mhz, cd& s21, cd& gamma) {
  const double pi = std::acos(-1.0);
  const double beta = std::log(1.0 / std::tanh(ripple_db / 17.37));
  const double gam = std::sinh(beta / (2.0 * n));
  std::vector<double> g(static_cast<std::size_t>(n) + 1);
  std::vector<double> a(g.size()), b(g.size());
  for (int k = 1; k <= n; ++k) {
    a[k] = std::sin((2.0 * k - 1.0) * pi / (2.0 * n));
    b[k] = gam * gam + std::pow(std::sin(k * pi / n), 2.0);
  }
  g[1] = 2.0 * a[1] / gam;
  for (int k = 2; k <= n; ++k) g[k] = 4.0 * a[k - 1] * a[k] / (b[k - 1] * g[k - 1]);
  const double r = 50.0, wc = 2.0 * pi * fc_mhz * 1e6, w = 2.0 * pi * f_mhz * 1e6;
  cd A = 1.0, B = 0.0, C = 0.0, D = 1.0;
  for (int k = 1; k <= n; ++k) {
    cd a2 = 1.0, b2 = 0.0, c2 = 0.0, d2 = 1.0;
    if (k % 2 == 1) {
      c2 = cd(0.0, w * g[k] / (r * wc));
    } else {
      b2 = cd(0.0, w * g[k] * r / wc);
    }
    const cd na = A * a2 + B * c2, nb = A * b2 + B * d2, nc = C * a2 + D * c2, nd = C * b2 + D * d2;
    A = na, B = nb, C = nc, D = nd;
  }
  s21 = 2.0 / (A + B / r + C * r + D);
  const cd zin = (A * r + B) / (C * r + D);
  gamma = (zin - r) / (zin + r);
}

// A 7-section 0.1 dB Chebyshev sweep of 100..3000 MHz in 100 MHz steps, like the program's default.
SweepData chebyshev_sweep(double f0 = 100.0, double f1 = 3000.0, double step = 100.0) {
  SweepData d;
  d.info.program_version = "Mandrelix 1.1";
  d.info.sections = 7;
  d.info.response = "Chebyshev";
  d.info.configuration = "standard";
  d.info.cutoff_mhz = 1000.0f;
  d.info.ripple_db = 0.1f;
  const double pi = std::acos(-1.0);
  for (double f = f0; f <= f1 + 1e-9; f += step) {
    cd s21, g;
    ladder(7, 0.1, 1000.0, f, s21, g);
    cd s21b, gb;
    const double fb = f * 1.0001;
    ladder(7, 0.1, 1000.0, fb, s21b, gb);
    SweepPoint p;
    p.f_mhz = static_cast<float>(f);
    p.loss_db = static_cast<float>(10.0 * std::log10(std::norm(s21)));
    p.return_loss_db = static_cast<float>(20.0 * std::log10(std::abs(g)));
    p.phase_deg = static_cast<float>(std::arg(s21) * 180.0 / pi);
    p.delay_ns = static_cast<float>(-std::arg(s21b / s21) / (2.0 * pi * (fb - f)) * 1e3);
    d.points.push_back(p);
  }
  return d;
}

std::string plot(const SweepData& d) {
  std::ostringstream os;
  write_response_plot(os, d);
  return os.str();
}

struct Axis {
  double x0, x1, px0, px1, y0, y1, py0, py1;
  double x_px(double f) const { return px0 + (f - x0) / (x1 - x0) * (px1 - px0); }
  double y_px(double v) const {
    return py0 + (std::clamp(v, y0, y1) - y0) / (y1 - y0) * (py1 - py0);
  }
};

Axis axis_of(const std::string& svg, const std::string& id) {
  for (const std::string& g : elements(svg, "g")) {
    if (attr(g, "id") != id) continue;
    const auto v = [&](const char* n) { return std::stod(attr(g, n)); };
    return Axis{v("data-x0"), v("data-x1"), v("data-px0"), v("data-px1"),
                v("data-y0"), v("data-y1"), v("data-py0"), v("data-py1")};
  }
  ADD_FAILURE() << "no panel " << id;
  return Axis{0, 1, 0, 1, 0, 1, 0, 1};
}

std::vector<std::pair<double, double>> points_of(const std::string& polyline) {
  std::vector<std::pair<double, double>> pts;
  std::istringstream in(attr(polyline, "points"));
  std::string pair;
  while (in >> pair) {
    const auto comma = pair.find(',');
    pts.emplace_back(std::stod(pair.substr(0, comma)), std::stod(pair.substr(comma + 1)));
  }
  return pts;
}

std::vector<std::string> of_class(const std::string& svg, const std::string& element,
                                  const std::string& cls) {
  std::vector<std::string> out;
  for (const std::string& e : elements(svg, element)) {
    if (attr(e, "class") == cls) out.push_back(e);
  }
  return out;
}

bool is_125(double step) {
  const double m = step / std::pow(10.0, std::floor(std::log10(step) + 1e-12));
  return std::fabs(m - 1.0) < 1e-9 || std::fabs(m - 2.0) < 1e-9 || std::fabs(m - 5.0) < 1e-9;
}

TEST(ResponsePlotScale, NiceStepsForTypicalRanges) {
  AxisScale s = nice_axis_scale(0.0, 3000.0, 10);
  EXPECT_DOUBLE_EQ(s.step, 500.0);
  EXPECT_DOUBLE_EQ(s.lo, 0.0);
  EXPECT_DOUBLE_EQ(s.hi, 3000.0);
  s = nice_axis_scale(100.0, 3000.0, 8);
  EXPECT_DOUBLE_EQ(s.step, 500.0);
  EXPECT_DOUBLE_EQ(s.lo, 0.0);
  s = nice_axis_scale(-83.2, 0.0, 10);
  EXPECT_DOUBLE_EQ(s.step, 10.0);
  EXPECT_DOUBLE_EQ(s.lo, -90.0);
  EXPECT_DOUBLE_EQ(s.hi, 0.0);
  s = nice_axis_scale(-83.2, 0.0, 8);  // -90..0 would take 9 steps of 10
  EXPECT_DOUBLE_EQ(s.step, 20.0);
  EXPECT_DOUBLE_EQ(s.lo, -100.0);
  s = nice_axis_scale(0.0, 0.37, 5);
  EXPECT_NEAR(s.step, 0.1, 1e-12);
  EXPECT_NEAR(s.hi, 0.4, 1e-12);
}

TEST(ResponsePlotScale, CoversRangeWithFewWholeSteps) {
  const double spans[][2] = {{0.0, 1.0}, {-1e-6, 3e-6}, {12.5, 12.51}, {-250.0, 40.0},
                             {1e5, 9e9}, {-3.3, -3.2},  {0.0, 7.0},    {999.0, 1001.0}};
  for (const auto& r : spans) {
    for (const int max : {2, 5, 8, 10}) {
      const AxisScale s = nice_axis_scale(r[0], r[1], max);
      SCOPED_TRACE(std::to_string(r[0]) + ".." + std::to_string(r[1]) + " max " +
                   std::to_string(max));
      EXPECT_LE(s.lo, r[0]);
      EXPECT_GE(s.hi, r[1]);
      EXPECT_TRUE(is_125(s.step)) << s.step;
      EXPECT_LE((s.hi - s.lo) / s.step, max + 1e-6);
      EXPECT_NEAR(std::remainder(s.lo, s.step), 0.0, s.step * 1e-6);
    }
  }
}

TEST(ResponsePlotScale, DegenerateAndNonFiniteRangesStillGiveAnAxis) {
  AxisScale s = nice_axis_scale(1000.0, 1000.0);
  EXPECT_LT(s.lo, 1000.0);
  EXPECT_GT(s.hi, 1000.0);
  s = nice_axis_scale(0.0, 0.0);
  EXPECT_LT(s.lo, 0.0);
  EXPECT_GT(s.hi, 0.0);
  s = nice_axis_scale(5.0, 1.0);
  EXPECT_LE(s.lo, 1.0);
  EXPECT_GE(s.hi, 5.0);
  s = nice_axis_scale(std::nan(""), std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isfinite(s.lo) && std::isfinite(s.hi) && s.step > 0.0);
}

TEST(ResponsePlot, SelfContainedSvgOfFixedSize) {
  const std::string svg = plot(chebyshev_sweep());
  EXPECT_EQ(xml_structure_error(svg), "");
  const std::string root = elements(svg, "svg").at(0);
  EXPECT_EQ(attr(root, "width"), "960");
  EXPECT_EQ(attr(root, "height"), "720");
  EXPECT_EQ(attr(root, "viewBox"), "0 0 960 720");
  for (const char* banned : {"<script", "href", "<image", "@import", "@font-face", "url(http"}) {
    EXPECT_EQ(svg.find(banned), std::string::npos) << banned;
  }
  EXPECT_NE(svg.find("Chebyshev low-pass"), std::string::npos);
  EXPECT_NE(svg.find("7 sections"), std::string::npos);
  EXPECT_NE(svg.find("lumped"), std::string::npos);
  EXPECT_NE(svg.find("Rs = 50"), std::string::npos);
  EXPECT_NE(svg.find("Frequency (MHz)"), std::string::npos);
  EXPECT_NE(svg.find("(dB)"), std::string::npos);
  EXPECT_NE(svg.find("(ns)"), std::string::npos);
  EXPECT_EQ(of_class(svg, "line", "cutoff").size(), 2u);
  EXPECT_EQ(of_class(svg, "rect", "ripple-band").size(), 1u);
  EXPECT_EQ(svg.find("class=\"note\""), std::string::npos) << "no note for an all-finite sweep";
}

TEST(ResponsePlot, PointsMapBackThroughTheAxisAttributes) {
  const SweepData d = chebyshev_sweep();
  const std::string svg = plot(d);
  const Axis top = axis_of(svg, "response-panel");
  const Axis bottom = axis_of(svg, "delay-panel");
  EXPECT_DOUBLE_EQ(top.x0, 0.0);
  EXPECT_DOUBLE_EQ(top.x1, 3000.0);
  EXPECT_GE(top.y1, 0.0);
  const struct {
    const char* cls;
    const Axis* axis;
    float SweepPoint::*field;
  } curves[] = {{"loss", &top, &SweepPoint::loss_db},
                {"return-loss", &top, &SweepPoint::return_loss_db},
                {"delay", &bottom, &SweepPoint::delay_ns}};
  for (const auto& c : curves) {
    const auto lines = of_class(svg, "polyline", c.cls);
    ASSERT_EQ(lines.size(), 1u) << c.cls;
    const auto pts = points_of(lines[0]);
    ASSERT_EQ(pts.size(), d.points.size());
    for (std::size_t i = 0; i < pts.size(); ++i) {
      const SweepPoint& p = d.points[i];
      EXPECT_NEAR(pts[i].first, c.axis->x_px(static_cast<double>(p.f_mhz)), 0.01)
          << c.cls << " row " << i;
      EXPECT_NEAR(pts[i].second, c.axis->y_px(static_cast<double>(p.*(c.field))), 0.01)
          << c.cls << " row " << i;
    }
  }
}

TEST(ResponsePlot, NonFiniteRowsSplitOnlyTheirCurves) {
  SweepData d = chebyshev_sweep();  // 30 rows
  d.points[10].loss_db = kNaN;
  d.points[20].f_mhz = kNaN;  // no frequency: a gap in every curve
  d.points[25].delay_ns = kInfF;
  d.points[29].loss_db = -kInfF;
  const std::string svg = plot(d);
  EXPECT_EQ(xml_structure_error(svg), "");

  const auto loss = of_class(svg, "polyline", "loss");
  ASSERT_EQ(loss.size(), 3u);
  EXPECT_EQ(attr(loss[0], "data-first-row"), "0");
  EXPECT_EQ(points_of(loss[0]).size(), 10u);
  EXPECT_EQ(attr(loss[1], "data-first-row"), "11");
  EXPECT_EQ(points_of(loss[1]).size(), 9u);
  EXPECT_EQ(attr(loss[2], "data-first-row"), "21");
  EXPECT_EQ(points_of(loss[2]).size(), 8u);
  const auto delay = of_class(svg, "polyline", "delay");
  ASSERT_EQ(delay.size(), 3u);
  EXPECT_EQ(points_of(delay[0]).size(), 20u);
  EXPECT_EQ(points_of(delay[1]).size(), 4u);
  EXPECT_EQ(points_of(delay[2]).size(), 4u);
  EXPECT_EQ(of_class(svg, "polyline", "return-loss").size(), 2u);
  EXPECT_NE(svg.find("4 of 30 rows are not finite"), std::string::npos);
}

TEST(ResponsePlot, SingleRowRunsAndOnePointSweepsAreCircles) {
  SweepData one = chebyshev_sweep(1500.0, 1500.0);
  ASSERT_EQ(one.points.size(), 1u);
  std::string svg = plot(one);
  EXPECT_EQ(xml_structure_error(svg), "");
  EXPECT_TRUE(elements(svg, "polyline").empty());
  for (const char* cls : {"loss", "return-loss", "delay"}) {
    const auto c = of_class(svg, "circle", cls);
    ASSERT_EQ(c.size(), 1u) << cls;
    EXPECT_EQ(attr(c[0], "data-row"), "0");
  }
  const Axis top = axis_of(svg, "response-panel");
  EXPECT_LT(top.x0, 1500.0);
  EXPECT_GT(top.x1, 1500.0);
  const double cx = std::stod(attr(of_class(svg, "circle", "loss")[0], "cx"));
  EXPECT_NEAR(cx, top.x_px(1500.0), 0.01);
  EXPECT_GT(cx, top.px0 + 50.0) << "the point sits inside the axes, not on an edge";
  EXPECT_LT(cx, top.px1 - 50.0);

  SweepData island = chebyshev_sweep();
  island.points[4].delay_ns = kNaN;
  island.points[6].delay_ns = kNaN;
  svg = plot(island);
  const auto c = of_class(svg, "circle", "delay");
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(attr(c[0], "data-row"), "5");
}

TEST(ResponsePlot, PerfectMatchSitsOnTheAxisFloor) {
  SweepData d = chebyshev_sweep();
  d.points[3].return_loss_db = -kInfF;
  const std::string svg = plot(d);
  const auto rl = of_class(svg, "polyline", "return-loss");
  ASSERT_EQ(rl.size(), 1u) << "a perfect match is drawn, not a gap";
  const Axis top = axis_of(svg, "response-panel");
  EXPECT_NEAR(points_of(rl[0])[3].second, top.py0, 0.01);
  EXPECT_LT(top.y0, -40.0);
  EXPECT_NE(svg.find("perfect match"), std::string::npos);
}

TEST(ResponsePlot, PhaseWrapSpikesDoNotSetTheDelayScale) {
  SweepData d = chebyshev_sweep();
  d.points[12].delay_ns = 25000.0f;
  d.points[13].delay_ns = -18000.0f;
  const std::string svg = plot(d);
  const Axis bottom = axis_of(svg, "delay-panel");
  double peak = 0.0;
  for (std::size_t i = 0; i < d.points.size(); ++i) {
    if (i != 12 && i != 13) peak = std::max(peak, static_cast<double>(d.points[i].delay_ns));
  }
  EXPECT_GE(bottom.y1, peak) << "the real delay peak stays on the scale";
  EXPECT_LT(bottom.y1, 2.0 * peak);
  EXPECT_DOUBLE_EQ(bottom.y0, 0.0) << "a negative spike does not pull the axis below zero";
  const auto marks = elements(svg, "path");
  std::vector<std::string> rows;
  for (const auto& m : marks) {
    if (attr(m, "class") == "delay-clipped") rows.push_back(attr(m, "data-row"));
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"12", "13"}));
  const auto pts = points_of(of_class(svg, "polyline", "delay").at(0));
  EXPECT_NEAR(pts[12].second, bottom.py1, 0.01);
  EXPECT_NEAR(pts[13].second, bottom.py0, 0.01);
  EXPECT_NE(svg.find("2 values off scale"), std::string::npos);
}

TEST(ResponsePlot, HostileTextAndEmptySweepsStayWellFormed) {
  SweepData d = chebyshev_sweep();
  d.info.response = "<b>\"Cheb\" & 'Co'</b>";
  d.info.configuration = "dual\x01\x1b[0m";
  d.info.program_version = std::string("v\xff\xfe 1.0 \xe2\x82");  // broken UTF-8
  std::string svg = plot(d);
  EXPECT_EQ(xml_structure_error(svg), "");
  EXPECT_NE(svg.find("&lt;b&gt;&quot;Cheb&quot; &amp; &apos;Co&apos;&lt;/b&gt;"),
            std::string::npos);
  EXPECT_EQ(svg.find('\x01'), std::string::npos);
  EXPECT_EQ(svg.find('\xff'), std::string::npos);

  SweepData empty;
  svg = plot(empty);
  EXPECT_EQ(xml_structure_error(svg), "");
  EXPECT_NE(svg.find("no rows"), std::string::npos);

  SweepData nothing = chebyshev_sweep();
  for (auto& p : nothing.points) p.f_mhz = kNaN;
  nothing.info.cutoff_mhz = kNaN;
  nothing.info.ripple_db = kInfF;
  svg = plot(nothing);
  EXPECT_EQ(xml_structure_error(svg), "");
  EXPECT_TRUE(elements(svg, "polyline").empty());
  EXPECT_NE(svg.find("No finite data"), std::string::npos);
  for (const char* bad : {"\"nan", "\"inf", "\"-inf", ",nan", ",inf", ",-inf", "nan,", "inf,"}) {
    EXPECT_EQ(svg.find(bad), std::string::npos) << bad;
  }

  SweepData zigzag = chebyshev_sweep();  // 200k rows jumping across the whole plot
  zigzag.points.resize(200000);
  for (std::size_t i = 0; i < zigzag.points.size(); ++i) {
    SweepPoint& p = zigzag.points[i];
    p.f_mhz = static_cast<float>(i % 2 ? 1.0 : 3000.0);
    p.loss_db = p.return_loss_db = i % 2 ? 0.0f : -150.0f;
    p.delay_ns = static_cast<float>(i % 7);
  }
  svg = plot(zigzag);
  EXPECT_EQ(of_class(svg, "polyline", "loss").size(), 1u);

  SweepData huge = chebyshev_sweep();
  huge.points[2].f_mhz = 3.0e38f;
  huge.points[3].loss_db = -3.0e38f;
  huge.points[4].delay_ns = 3.0e38f;
  svg = plot(huge);
  EXPECT_EQ(xml_structure_error(svg), "");
}

// Renders the plot with rsvg-convert and checks it with tests/export/check_plot.py: parsed as XML,
// the PNG has the expected size and curve-coloured pixels, and every curve point maps back to the
// expected CSV within one pixel.
void python_check(const SweepData& d, const std::string& name) {
  picture_checks::Scratch dir(name);
  dir.write("plot.svg", plot(d));
  std::ostringstream csv;
  csv.precision(9);
  csv << "f_mhz,loss_db,delay_ns,return_loss_db\n";
  for (const SweepPoint& p : d.points) {
    csv << p.f_mhz << ',' << p.loss_db << ',' << p.delay_ns << ',' << p.return_loss_db << '\n';
  }
  dir.write("expected.csv", csv.str());
  std::string log;
  const int rc = picture_checks::run_check("check_plot.py",
                                           "--svg '" + dir.path("plot.svg") + "' --csv '" +
                                               dir.path("expected.csv") + "' --png '" +
                                               dir.path("plot.png") + "'",
                                           dir, log);
  if (rc == 77) GTEST_SKIP() << log;
  EXPECT_EQ(rc, 0) << log;
}

TEST(ResponsePlotRendered, ChebyshevSweepWithGapsAndSpikes) {
  SweepData d = chebyshev_sweep(50.0, 3000.0, 25.0);
  d.points[30].loss_db = kNaN;
  d.points[31].delay_ns = kNaN;
  d.points[60].f_mhz = kNaN;
  d.points[45].delay_ns = 40000.0f;
  d.points[80].return_loss_db = -kInfF;
  python_check(d, "plot_gaps");
}

TEST(ResponsePlotRendered, DefaultSweepWithPassbandDetail) {
  const SweepData d = chebyshev_sweep();
  EXPECT_NE(plot(d).find("class=\"loss-detail\""), std::string::npos)
      << "the passband inset fits here";
  python_check(d, "plot_default");
}

TEST(ResponsePlotRendered, OneFrequency) {
  python_check(chebyshev_sweep(800.0, 800.0), "plot_one_point");
}

TEST(ResponsePlotRendered, CoaxialButterworthWithoutSynthesisFigures) {
  SweepData d = chebyshev_sweep(10.0, 1200.0, 2.0);
  d.info.coaxial = true;
  d.info.response = "User-defined";
  d.info.configuration.clear();
  d.info.cutoff_mhz = 0.0f;
  d.info.ripple_db = 0.0f;
  d.info.rl = 75.0f;
  d.info.xl = -12.5f;
  python_check(d, "plot_dense");
}

}  // namespace
}  // namespace mx

namespace mx {
namespace {

TEST(ResponsePlotRanges, DbRangeAndSpikeRule) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  const std::vector<double> ten_ns(20, 10.0);  // a flat delay: 90th percentile 10 ns
  std::vector<double> one_spike = ten_ns;
  one_spike[7] = -51.0;  // beyond 5 x 10 ns
  std::vector<double> at_limit = ten_ns;
  at_limit[3] = 50.0;  // exactly 5 x: kept
  const struct {
    const char* what;
    std::vector<double> db, delay;
    double ripple;
    double db_lo, db_hi, t_lo, t_hi, limit;
    std::size_t spikes;
  } cases[] = {
      {"plain", {-0.1, -30.0, -12.0}, ten_ns, 0.0, -30.0, 0.0, 0.0, 10.0, 50.0, 0},
      {"ripple below the values", {-0.05, -0.2}, {}, 1.5, -1.5, 0.0, 0.0, 1.0, inf, 0},
      {"perfect match", {-0.1, -inf, -25.0}, {}, 0.0, -40.0, 0.0, 0.0, 1.0, inf, 0},
      {"perfect match below -30", {-inf, -60.0}, {}, 0.0, -70.0, 0.0, 0.0, 1.0, inf, 0},
      {"floor and ceiling", {-900.0, 80.0}, {}, 0.0, -200.0, 50.0, 0.0, 1.0, inf, 0},
      {"no finite value", {nan, inf}, {nan}, 0.0, -10.0, 0.0, 0.0, 1.0, inf, 0},
      {"span under 1 dB", {-0.2}, {}, 0.0, -1.0, 0.0, 0.0, 1.0, inf, 0},
      {"gain only", {3.0, 2.0}, {}, 0.0, 2.0, 3.0, 0.0, 1.0, inf, 0},
      {"one spike", {-1.0}, one_spike, 0.0, -1.0, 0.0, 0.0, 10.0, 50.0, 1},
      {"at the limit", {-1.0}, at_limit, 0.0, -1.0, 0.0, 0.0, 50.0, 50.0, 0},
      {"negative delay", {-1.0}, {-2.0, -3.0}, 0.0, -1.0, 0.0, -3.0, 0.0, 10.0, 0},
      {"zero delay", {-1.0}, {0.0, 0.0}, 0.0, -1.0, 0.0, 0.0, 1.0, inf, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ResponseRanges r = response_ranges(c.db, c.delay, c.ripple);
    EXPECT_EQ(r.db_lo, c.db_lo);
    EXPECT_EQ(r.db_hi, c.db_hi);
    EXPECT_EQ(r.delay_lo, c.t_lo);
    EXPECT_EQ(r.delay_hi, c.t_hi);
    EXPECT_EQ(r.spike_limit, c.limit);
    EXPECT_EQ(r.spikes, c.spikes);
  }
}

// Referred to an impedance, the dB curves are |S21| and |S11| of the chain matrix at that
// impedance, not the report's figures (here left at 0 dB).
TEST(ResponsePlot, ReferredCurvesAreTheSParametersAtTheReference) {
  SweepData d = chebyshev_sweep();
  const double pi = std::acos(-1.0);
  for (SweepPoint& p : d.points) {
    // A shunt capacitor of 2 pF: |S21|^2 = 1 / (1 + (w C Z / 2)^2), |S11| = w C Z / 2 / ...
    const double b = 2.0 * pi * static_cast<double>(p.f_mhz) * 1e6 * 2e-12;
    p.abcd = {1, 0, 0, 0, 0, static_cast<float>(b), 1, 0};
    p.loss_db = p.return_loss_db = 0.0f;
  }
  d.info.reference_ohm = 75.0;
  const std::string svg = plot(d);
  EXPECT_NE(svg.find("S referred to 75 \u03a9"), std::string::npos);
  const Axis top = axis_of(svg, "response-panel");
  const auto s21 = points_of(of_class(svg, "polyline", "loss").at(0));
  const auto s11 = points_of(of_class(svg, "polyline", "return-loss").at(0));
  ASSERT_EQ(s21.size(), d.points.size());
  ASSERT_EQ(s11.size(), d.points.size());
  for (std::size_t i = 0; i < d.points.size(); ++i) {
    const double x = static_cast<double>(d.points[i].abcd[5]) * 75.0 / 2.0;
    EXPECT_NEAR(s21[i].second, top.y_px(-10.0 * std::log10(1.0 + x * x)), 0.011) << i;
    EXPECT_NEAR(s11[i].second, top.y_px(20.0 * std::log10(x / std::sqrt(1.0 + x * x))), 0.011) << i;
  }
}

}  // namespace
}  // namespace mx
