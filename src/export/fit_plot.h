// The overlay of a fit as one self-contained SVG picture (960 x 720 px): |S21| (panel id "s21")
// and |S11| (panel id "s11") in dB against MHz, of the measurement (polyline class "measured"),
// of the nominal circuit (class "nominal", dashed) and of the fitted circuit (class "fitted").
// The panels carry the data-* mapping of chart.h, so the picture reads back.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace mx {

struct FitPlotData {
  std::string title;
  std::string subtitle;
  std::vector<double> f_mhz;
  std::vector<double> measured_s21_db, nominal_s21_db, fitted_s21_db;
  std::vector<double> measured_s11_db, nominal_s11_db, fitted_s11_db;
};

void write_fit_plot(std::ostream& os, const FitPlotData& d);

}  // namespace mx
