// The envelope plot: the forbidden side of the mask is shaded, and a curve that falls below the
// axis leaves the panel through its edge (clipped) instead of running along it.
#include "export/envelope_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "picture_checks.h"

namespace mx {
namespace {

using picture_checks::attr;
using picture_checks::elements;

// A low-pass whose loss falls from 0 dB to -300 dB (far below the axis floor) above 1000 MHz.
EnvelopeData falling_response() {
  EnvelopeData d;
  d.title = "t";
  d.subtitle = "s";
  for (int k = 0; k <= 300; ++k) {
    const double f = 10.0 * k;
    const double loss = f <= 1000.0 ? -0.1 * std::sin(f / 200.0) * std::sin(f / 200.0)
                                    : -0.1 - 300.0 * (f - 1000.0) / 2000.0;
    d.f_mhz.push_back(f);
    d.nominal_db.push_back(loss);
    d.lowest_db.push_back(loss - 0.05);
    d.highest_db.push_back(loss + 0.05);
  }
  d.pass_mhz = 1000.0;
  d.pass_db = 0.2;
  d.stop_mhz = 1500.0;
  d.stop_db = 25.0;
  return d;
}

TEST(EnvelopePlot, ForbiddenSideShadedAndCurvesClippedNotClamped) {
  std::ostringstream os;
  write_envelope_plot(os, falling_response());
  const std::string svg = os.str();
  // Passband limit in both panels, the stop strip in the full one.
  EXPECT_EQ(elements(svg, "rect class=\"forbidden\"").size(), 3u);
  EXPECT_EQ(elements(svg, "clipPath").size(), 2u);
  for (const std::string& panel : {std::string("loss"), std::string("passband")}) {
    SCOPED_TRACE(panel);
    const std::size_t at = svg.find("<g id=\"" + panel + "\"");
    ASSERT_NE(at, std::string::npos);
    const std::string body = svg.substr(at);
    const std::string g = body.substr(0, body.find('>'));
    const double bottom = std::stod(attr(g, "data-py0"));
    EXPECT_NE(body.find("clip-path=\"url(#" + panel + "-area)\""), std::string::npos);
    // The nominal curve's points below the axis lie below the panel, never on its edge.
    const std::string line = elements(body, "polyline").at(0);
    std::istringstream points(attr(line, "points"));
    int on_edge = 0, below = 0;
    for (std::string xy; points >> xy;) {
      const double y = std::stod(xy.substr(xy.find(',') + 1));
      on_edge += std::fabs(y - bottom) < 0.01;
      below += y > bottom + 0.01;
    }
    EXPECT_EQ(on_edge, 0);
    EXPECT_GT(below, 0);
  }
}

}  // namespace
}  // namespace mx
