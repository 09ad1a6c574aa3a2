#include "report/analysis_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "analysis/sweep.h"
#include "base/convert.h"
#include "line/impedance.h"
#include "report_capture.h"
#include "synthesis/ladder.h"

namespace mx {
namespace {

using test_support::Capture;
using test_support::dashes;
using test_support::set_labels;
using test_support::sp;

// A lumped ladder from the electrical synthesis, analysed between 50-ohm ports.
DesignRecord lumped(Response response, int n, float fc1, float am = 0.5f) {
  DesignRecord ds;
  ds.control.option = Option::kElectrical;
  ds.control.configuration = Configuration::kStandard;
  ds.control.response = response;
  ds.design.sections = n;
  ds.control.origin = Origin::kElectricalSynthesis;
  ds.design.ripple_db = am;
  ds.design.cutoff_mhz = fc1;
  ds.design.system_impedance = 50.0f;
  ds.ports.rs = 50.0f;
  ds.ports.rl = 50.0f;
  ds.files.report.assign("REPORT.TXT");
  ds.labels.kind = "ELECTRICAL ";
  synthesize_ladder(ds.ladder, ds.design.ripple_db, ds.design.cutoff_mhz, response, n,
                    ds.design.system_impedance);
  return ds;
}

// The frequency range as the dialog stores it.
void sweep(DesignRecord& ds, float fmin, float fmax, float fstep) {
  ds.sweep.start_mhz = fmin;
  ds.sweep.stop_mhz = fmax;
  ds.sweep.step_mhz = fstep;
  ds.sweep.steps = trunc_int((fmax - fmin) / fstep + 0.001f);
}

// The analysis cycle: the sweep of the filter, then its report.
void analyse(Report& r, DesignRecord& ds) {
  const SweepRows points = run_sweep(ds, EndSteps{});
  print_analysis_report(r, ds, points);
}

const std::string kTableHeading =
    "\n" + sp(54) + "Thru Path\n" + sp(11) + "Analysis" + sp(2) + "Input Impedance, Ohms" + sp(2) +
    "Input" + sp(2) + std::string(16, '=') + sp(2) + "Time\n" + sp(11) + "Frequency" + sp(1) +
    std::string(21, '=') + sp(2) + "Port" + sp(5) + "Loss" + sp(4) + "Phase" + sp(3) + "Delay\n" +
    sp(13) + "(MHz)" + sp(6) + "Real" + sp(4) + "Imaginary" + sp(3) + "VSWR" + sp(5) + "(dB)" +
    sp(4) + "(Deg)" + sp(3) + "(nsec)\n" + sp(10) + dashes(65) + "\n";
const std::string kPorts50 = "\n" + sp(14) + "Rs = 50.00 Ohms" + sp(26) + "Rl = 50.00 Ohms\n" +
                             sp(14) + "Xs =  0.00 Ohms" + sp(26) + "Xl =  0.00 Ohms\n";
const std::string kClosing = test_support::kStoredClosing;

// The table rows between the heading and the closing lines.
std::vector<std::string> rows(const std::string& text) {
  std::vector<std::string> out;
  const std::string start = sp(10) + dashes(65) + "\n";
  std::size_t at = text.find(start);
  if (at == std::string::npos) return out;
  at += start.size();
  const std::string stop = sp(6) + dashes(72) + "\n";
  while (at < text.size() && text.compare(at, stop.size(), stop) != 0) {
    const std::size_t end = text.find('\n', at);
    out.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

TEST(AnalysisReport, LumpedTitleAndHeadingsWithoutRows) {
  Capture c;
  DesignRecord ds = lumped(Response::kChebyshev, 7, 1000.0f);
  sweep(ds, 3000.0f, 1000.0f, 100.0f);  // a stop below the start: no rows
  set_labels(ds, " Chebyschev");
  analyse(c.report, ds);
  const std::string expected =
      kPorts50 + "\n" + sp(13) + "Frequency ANALYSIS of the  7-Section  Chebyschev  Low Pass \n" +
      sp(12) + "ELECTRICAL  Filter results in the following response profile:\n" + kTableHeading +
      kClosing;
  EXPECT_EQ(c.console_text.str(), expected);
  EXPECT_EQ(c.file_text.str(), expected);
}

TEST(AnalysisReport, PointSetsComeFromTheIndex) {
  {  // 1000 to 3000 by 100: 21 rows; the cutoff of a 3rd-order Butterworth
     // ladder shows 3.01 dB and -135 degrees.
    Capture c;
    DesignRecord ds = lumped(Response::kButterworth, 3, 1000.0f);
    sweep(ds, 1000.0f, 3000.0f, 100.0f);
    set_labels(ds, "Butterworth");
    analyse(c.report, ds);
    const std::vector<std::string> r = rows(c.console_text.str());
    ASSERT_EQ(r.size(), 21u);
    EXPECT_EQ(r.front(),
              "           1000.0000   50.00     -100.00     5.83   -3.010 -135.00    0.398");
    EXPECT_EQ(r.back().substr(0, 20), "           3000.0000");
    EXPECT_TRUE(c.console_text.str().ends_with(kClosing));
  }
  {  // 100 to 200 by 30: 100, 130, 160, 190.
    Capture c;
    DesignRecord ds = lumped(Response::kButterworth, 3, 1000.0f);
    sweep(ds, 100.0f, 200.0f, 30.0f);
    set_labels(ds, "Butterworth");
    analyse(c.report, ds);
    const std::vector<std::string> r = rows(c.console_text.str());
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].substr(0, 20), "            100.0000");
    EXPECT_EQ(r[1].substr(0, 20), "            130.0000");
    EXPECT_EQ(r[2].substr(0, 20), "            160.0000");
    EXPECT_EQ(r[3].substr(0, 20), "            190.0000");
  }
  {  // fmin = fmax: one row at fmin.
    Capture c;
    DesignRecord ds = lumped(Response::kButterworth, 3, 1000.0f);
    sweep(ds, 250.0f, 250.0f, 10.0f);
    set_labels(ds, "Butterworth");
    analyse(c.report, ds);
    const std::vector<std::string> r = rows(c.console_text.str());
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].substr(0, 20), "            250.0000");
  }
  {  // Many small steps: the last point is start + step * k, not a running sum.
    Capture c;
    DesignRecord ds = lumped(Response::kButterworth, 3, 1000.0f);
    sweep(ds, 1.0f, 1001.0f, 0.1f);
    set_labels(ds, "Butterworth");
    analyse(c.report, ds);
    const std::vector<std::string> r = rows(c.console_text.str());
    ASSERT_EQ(r.size(), 10001u);
    EXPECT_EQ(r.back().substr(0, 20), "           1001.0000");
  }
}

// Printed while it is swept, on any number of threads, the report is the one
// printed after the sweep; 1000 points make four blocks, the last one short.
TEST(AnalysisReport, PrintedWhileSweptAsAfterTheSweep) {
  DesignRecord start = lumped(Response::kChebyshev, 7, 1000.0f);
  sweep(start, 1.0f, 2998.0f, 3.0f);
  set_labels(start, " Chebyschev");
  Capture after;
  DesignRecord ds = start;
  analyse(after.report, ds);
  ASSERT_EQ(rows(after.console_text.str()).size(), 1000u);
  for (int threads : {1, 3}) {
    SCOPED_TRACE(threads);
    Capture c;
    DesignRecord swept = start;
    EXPECT_EQ(sweep_and_print_analysis(c.report, swept, EndSteps{}, SweepOptions{threads}).size(),
              1000u);
    EXPECT_EQ(c.console_text.str(), after.console_text.str());
    EXPECT_EQ(c.file_text.str(), after.file_text.str());
  }
}

TEST(AnalysisReport, LongDelaysLoseTheirDecimals) {
  Capture c;
  SweepRow p;
  p.f_mhz = 1500.0f;
  p.delay_ns = 10000.0f;
  write_analysis_row(c.report, p);
  p.delay_ns = 10000.5f;
  write_analysis_row(c.report, p);
  const std::string zeros = "           1500.0000    0.00        0.00     0.00    0.000    0.00";
  EXPECT_EQ(c.console_text.str(), zeros + "10000.000\n" + zeros + "   10001.\n");
  EXPECT_EQ(c.file_text.str(), c.console_text.str());

  // A ladder cut off at 30 kHz delays by over 10 microseconds in its passband,
  // and by about 3.3 microseconds at twice the cutoff.
  Capture run;
  DesignRecord ds = lumped(Response::kButterworth, 3, 0.03f);
  sweep(ds, 0.003f, 0.06f, 0.027f);
  set_labels(ds, "Butterworth");
  analyse(run.report, ds);
  const std::vector<std::string> r = rows(run.console_text.str());
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].back(), '.');
  EXPECT_EQ(r[1].back(), '.');
  EXPECT_NE(r[2].back(), '.');
  EXPECT_EQ(r[0].size(), 75u);
  EXPECT_EQ(r[2].size(), 75u);
}

// The 3-section coaxial circuit typed in by the user: 0.175 inch 6.32-ohm
// sections around a 1.2 inch 96.50-ohm section, between 50-ohm lines.
DesignRecord entered_coax() {
  DesignRecord ds;
  ds.control.option = Option::kDistributed;
  ds.control.origin = Origin::kDistributedEntered;
  ds.design.sections = 3;
  ds.ports.rs = 50.0f;
  ds.ports.rl = 50.0f;
  ds.ports.xs = 1.5f;
  ds.ports.xl = -2.25f;
  ds.losses.roughness = 0.00005f;           // 50 micro-inches
  ds.losses.resistivity = 1.7e-6f / 2.54f;  // 1.7 micro-ohm-cm
  ds.losses.loss_tangent = 0.0002f;
  ds.files.report.assign("REPORT.TXT");
  ds.labels.kind = "DISTRIBUTED";
  const float d[5] = {0.2172f, 0.45f, 0.1f, 0.45f, 0.2172f};
  const float len[5] = {0.0f, 0.175f, 1.2f, 0.175f, 0.0f};
  for (int i = 0; i < 5; ++i) {
    ds.entered.outer(i) = 0.5f;
    ds.entered.inner(i) = d[i];
    ds.entered.er(i) = 1.0f;
    ds.entered.length(i) = len[i];
    ds.entered.zo(i) = line_impedance(0.5f, d[i], 1.0f);
  }
  return ds;
}

const std::string kCoaxPortsAndLosses =
    "\n" + sp(14) + "Rs = 50.00 Ohms" + sp(26) + "Rl = 50.00 Ohms\n" + sp(14) + "Xs =  1.50 Ohms" +
    sp(26) + "Xl = -2.25 Ohms\n" + sp(14) + "Sr =  50.0 u-inches" + sp(19) + "DLTAN =0.0002\n" +
    sp(13) + "Res =   1.7 u-ohm-cm\n";

TEST(AnalysisReport, EnteredCoaxialCircuitShowsItsModel) {
  Capture c;
  DesignRecord ds = entered_coax();
  sweep(ds, 1000.0f, 1000.0f, 100.0f);
  set_labels(ds, "User-defined");
  analyse(c.report, ds);
  // TE11 10.477 GHz / 11.213 kW for the 50-ohm lines, 4.588 kW and 6.082 kW
  // for the 0.1 and 0.45 inch inner conductors.
  const std::string model =
      "\n" + sp(19) + "ANALYSIS of the User-defined COAXIAL LOW-PASS \n" + sp(20) +
      "FILTER is performed on the following model:\n" + "\n" + sp(13) +
      "   Cond. Diameter   Relative             TE11    Peak\n" + sp(6) +
      "Section      (Inches)     Dielectric    Zo     Cutoff   Power    Length\n" + sp(6) +
      "Number     Inner  Outer    Constant   (Ohms)   (GHz)    (kW)    (Inches)\n" + sp(6) +
      dashes(72) + "\n" +
      "      Source    0.2172 0.5000     1.0000     49.99   10.477  11.213\n"
      "         1      0.4500 0.5000     1.0000      6.32    7.909   6.082    0.1750\n"
      "         2      0.1000 0.5000     1.0000     96.50   12.523   4.588    1.2000\n"
      "         3      0.4500 0.5000     1.0000      6.32    7.909   6.082    0.1750\n"
      "        Load    0.2172 0.5000     1.0000     49.99   10.477  11.213\n" +
      sp(6) + dashes(72) + "\n";
  const std::string head =
      model + kCoaxPortsAndLosses + "\n" + sp(13) +
      "Frequency ANALYSIS of the  3-Section User-defined Low Pass \n" + sp(12) +
      "DISTRIBUTED Filter results in the following response profile:\n" + kTableHeading;
  const std::string out = c.console_text.str();
  EXPECT_EQ(out.substr(0, head.size()), head);
  EXPECT_EQ(rows(out).size(), 1u);
  EXPECT_TRUE(out.ends_with(kClosing));
  EXPECT_EQ(c.file_text.str(), out);
}

TEST(AnalysisReport, SynthesizedCoaxialCircuitSkipsTheModel) {
  Capture c;
  DesignRecord ds = entered_coax();
  // The synthesis report has shown the model already.
  ds.control.origin = Origin::kDistributedSynthesis;
  ds.design.sections = 7;
  sweep(ds, 1000.0f, 800.0f, 100.0f);  // steps = -1: no rows
  set_labels(ds, " Chebyschev");
  analyse(c.report, ds);
  EXPECT_EQ(c.console_text.str(),
            kCoaxPortsAndLosses + "\n" + sp(13) +
                "Frequency ANALYSIS of the  7-Section  Chebyschev  Low Pass \n" + sp(12) +
                "DISTRIBUTED Filter results in the following response profile:\n" + kTableHeading +
                kClosing);
}

}  // namespace
}  // namespace mx
