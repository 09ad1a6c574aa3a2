// Envelope plot of a tolerance study as one self-contained SVG picture (960 x 720 px): the band
// between the least and the greatest insertion loss of all trials at each frequency (class
// "envelope"), the nominal filter's loss (polyline class "nominal") and the loss mask (class
// "mask"), in dB (the report's Loss: negative is attenuation) against MHz. With a mask, a second
// panel (id "passband") shows the points up to 1.15 x its passband edge from twice its loss up.
// Each panel <g class="panel"> carries data-x0/x1, data-px0/px1, data-y0/y1, data-py0/py1 like
// the response plot, so the picture reads back the same way. Non-finite values leave a gap.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace mx {

struct EnvelopeData {
  std::string title;
  std::string subtitle;
  std::vector<double> f_mhz;
  std::vector<double> nominal_db;
  std::vector<double> lowest_db;
  std::vector<double> highest_db;
  std::optional<double> pass_mhz, pass_db;  // loss at most pass_db up to pass_mhz
  std::optional<double> stop_mhz, stop_db;  // at least stop_db at stop_mhz
};

void write_envelope_plot(std::ostream& os, const EnvelopeData& d);

}  // namespace mx
