#include "main/analysis_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "coax/geometry.h"
#include "lumped/prototype.h"
#include "model/convert.h"
#include "report_capture.h"

namespace mx {
namespace {

using test_support::Capture;
using test_support::dashes;
using test_support::sp;

// A lumped ladder from the electrical synthesis, analysed between 50-ohm ports.
DesignState lumped(int isubop, int n, float fc1, float am = 0.5f) {
  DesignState ds;
  ds.int1.iop = 1;
  ds.int1.icfg = 1;
  ds.int1.isubop = isubop;
  ds.int1.n = n;
  ds.int1.ifrom = 4;
  ds.real1.am = am;
  ds.real1.fc1 = fc1;
  ds.real1.zo = 50.0f;
  ds.real1.zrs = 50.0f;
  ds.real1.zrl = 50.0f;
  ds.char1.fno.assign("REPORT.TXT");
  lppev(ds, ds.real1.am, ds.real1.fc1, isubop, n, ds.real1.rod, ds.real1.ros, ds.real1.zo);
  return ds;
}

// The frequency range as the dialog stores it.
void sweep(DesignState& ds, float fmin, float fmax, float fstep) {
  ds.real1.fmin = fmin;
  ds.real1.fmax = fmax;
  ds.real1.fstep = fstep;
  ds.int1.nloops = trunc_int((fmax - fmin) / fstep + 0.001f);
}

MainValues labels(const char* resp) {
  MainValues mv;
  mv.design = "Low Pass ";
  mv.resp = padded(resp, 20);
  return mv;
}

const std::string kTableHeading =
    "\n" + sp(54) + "Thru Path\n" + sp(11) + "Analysis" + sp(2) + "Input Impedance, Ohms" + sp(2) +
    "Input" + sp(2) + std::string(16, '=') + sp(2) + "Time\n" + sp(11) + "Frequency" + sp(1) +
    std::string(21, '=') + sp(2) + "Port" + sp(5) + "Loss" + sp(4) + "Phase" + sp(3) + "Delay\n" +
    sp(13) + "(MHz)" + sp(6) + "Real" + sp(4) + "Imaginary" + sp(3) + "VSWR" + sp(5) + "(dB)" +
    sp(4) + "(Deg)" + sp(3) + "(nsec)\n" + sp(10) + dashes(65) + "\n";
const std::string kPorts50 =
    "\n" + sp(14) + "Rs = 50.00 Ohms" + sp(26) + "Rl = 50.00 Ohms\n" + sp(14) + "Xs =  0.00 Ohms" +
    sp(26) + "Xl =  0.00 Ohms\n";
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
  DesignState ds = lumped(1, 7, 1000.0f);
  sweep(ds, 3000.0f, 1000.0f, 100.0f);  // a stop below the start: no rows
  MainValues mv = labels(" Chebyschev");
  EXPECT_EQ(run_frequency_analysis(c.report, ds, mv), 0);
  const std::string expected =
      kPorts50 + "\n" + sp(13) + "Frequency ANALYSIS of the  7-Section  Chebyschev  Low Pass \n" +
      sp(12) + "ELECTRICAL  Filter results in the following response profile:\n" + kTableHeading +
      kClosing;
  EXPECT_EQ(c.console_text.str(), expected);
  EXPECT_EQ(c.file_text.str(), expected);
  EXPECT_EQ(mv.type, "ELECTRICAL ");
}

TEST(AnalysisReport, PointSetsComeFromTheIndex) {
  {  // 1000 to 3000 by 100: 21 rows; the cutoff of a 3rd-order Butterworth
     // ladder shows 3.01 dB and -135 degrees.
    Capture c;
    DesignState ds = lumped(2, 3, 1000.0f);
    sweep(ds, 1000.0f, 3000.0f, 100.0f);
    MainValues mv = labels("Butterworth");
    EXPECT_EQ(run_frequency_analysis(c.report, ds, mv), 0);
    const std::vector<std::string> r = rows(c.console_text.str());
    ASSERT_EQ(r.size(), 21u);
    EXPECT_EQ(r.front(), "           1000.0000   50.00     -100.00     5.83   -3.010 -135.00    0.398");
    EXPECT_EQ(r.back().substr(0, 20), "           3000.0000");
    EXPECT_TRUE(c.console_text.str().ends_with(kClosing));
  }
  {  // 100 to 200 by 30: 100, 130, 160, 190.
    Capture c;
    DesignState ds = lumped(2, 3, 1000.0f);
    sweep(ds, 100.0f, 200.0f, 30.0f);
    MainValues mv = labels("Butterworth");
    EXPECT_EQ(run_frequency_analysis(c.report, ds, mv), 0);
    const std::vector<std::string> r = rows(c.console_text.str());
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].substr(0, 20), "            100.0000");
    EXPECT_EQ(r[1].substr(0, 20), "            130.0000");
    EXPECT_EQ(r[2].substr(0, 20), "            160.0000");
    EXPECT_EQ(r[3].substr(0, 20), "            190.0000");
  }
  {  // fmin = fmax: one row at fmin.
    Capture c;
    DesignState ds = lumped(2, 3, 1000.0f);
    sweep(ds, 250.0f, 250.0f, 10.0f);
    MainValues mv = labels("Butterworth");
    EXPECT_EQ(run_frequency_analysis(c.report, ds, mv), 0);
    const std::vector<std::string> r = rows(c.console_text.str());
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].substr(0, 20), "            250.0000");
  }
  {  // Many small steps: the last point is fmin + fstep * ii, not a running sum.
    Capture c;
    DesignState ds = lumped(2, 3, 1000.0f);
    sweep(ds, 1.0f, 1001.0f, 0.1f);
    MainValues mv = labels("Butterworth");
    EXPECT_EQ(run_frequency_analysis(c.report, ds, mv), 0);
    const std::vector<std::string> r = rows(c.console_text.str());
    ASSERT_EQ(r.size(), 10001u);
    EXPECT_EQ(r.back().substr(0, 20), "           1001.0000");
  }
}

TEST(AnalysisReport, LongDelaysLoseTheirDecimals) {
  Capture c;
  PointResponse p;
  p.td = 10000.0f;
  write_analysis_row(c.report, 1500.0f, p);
  p.td = 10000.5f;
  write_analysis_row(c.report, 1500.0f, p);
  const std::string zeros = "           1500.0000    0.00        0.00     0.00    0.000    0.00";
  EXPECT_EQ(c.console_text.str(), zeros + "10000.000\n" + zeros + "   10001.\n");
  EXPECT_EQ(c.file_text.str(), c.console_text.str());

  // A ladder cut off at 30 kHz delays by over 10 microseconds in its passband,
  // and by about 3.3 microseconds at twice the cutoff.
  Capture run;
  DesignState ds = lumped(2, 3, 0.03f);
  sweep(ds, 0.003f, 0.06f, 0.027f);
  MainValues mv = labels("Butterworth");
  EXPECT_EQ(run_frequency_analysis(run.report, ds, mv), 0);
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
DesignState entered_coax() {
  DesignState ds;
  ds.int1.iop = 2;
  ds.int1.ifrom = 2;
  ds.int1.n = 3;
  ds.real1.zrs = 50.0f;
  ds.real1.zrl = 50.0f;
  ds.real1.zis = 1.5f;
  ds.real1.zil = -2.25f;
  ds.real1.sr = 0.00005f;                // 50 micro-inches
  ds.real1.res = 1.7e-6f / 2.54f;        // 1.7 micro-ohm-cm
  ds.real1.dltan = 0.0002f;
  ds.char1.fno.assign("REPORT.TXT");
  const float d[5] = {0.2172f, 0.45f, 0.1f, 0.45f, 0.2172f};
  const float len[5] = {0.0f, 0.175f, 1.2f, 0.175f, 0.0f};
  for (int i = 0; i < 5; ++i) {
    ds.real2.anab(i) = 0.5f;
    ds.real2.anad(i) = d[i];
    ds.real2.anaer(i) = 1.0f;
    ds.real2.anal(i) = len[i];
    cxzo(0.5f, d[i], 1.0f, ds.real2.anazo(i));
  }
  return ds;
}

const std::string kCoaxPortsAndLosses =
    "\n" + sp(14) + "Rs = 50.00 Ohms" + sp(26) + "Rl = 50.00 Ohms\n" + sp(14) + "Xs =  1.50 Ohms" +
    sp(26) + "Xl = -2.25 Ohms\n" + sp(14) + "Sr =  50.0 u-inches" + sp(19) + "DLTAN =0.0002\n" +
    sp(13) + "Res =   1.7 u-ohm-cm\n";

TEST(AnalysisReport, EnteredCoaxialCircuitShowsItsModel) {
  Capture c;
  DesignState ds = entered_coax();
  sweep(ds, 1000.0f, 1000.0f, 100.0f);
  MainValues mv = labels("User-defined");
  EXPECT_EQ(run_frequency_analysis(c.report, ds, mv), 0);
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
  EXPECT_EQ(mv.type, "DISTRIBUTED");
}

TEST(AnalysisReport, SynthesizedCoaxialCircuitSkipsTheModel) {
  Capture c;
  DesignState ds = entered_coax();
  ds.int1.ifrom = 1;  // the synthesis report has shown the model already
  ds.int1.n = 7;
  sweep(ds, 1000.0f, 800.0f, 100.0f);  // nloops = -1: no rows
  MainValues mv = labels(" Chebyschev");
  EXPECT_EQ(run_frequency_analysis(c.report, ds, mv), 0);
  EXPECT_EQ(c.console_text.str(),
            kCoaxPortsAndLosses + "\n" + sp(13) +
                "Frequency ANALYSIS of the  7-Section  Chebyschev  Low Pass \n" + sp(12) +
                "DISTRIBUTED Filter results in the following response profile:\n" +
                kTableHeading + kClosing);
}

}  // namespace
}  // namespace mx
