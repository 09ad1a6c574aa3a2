#include "report/synthesis_report.h"

#include <gtest/gtest.h>

#include <string>

#include "report_capture.h"
#include "synthesis/ladder.h"

namespace mx {
namespace {

using test_support::Capture;
using test_support::set_labels;

DesignRecord electrical(int n, Response response, float am) {
  DesignRecord ds;
  ds.control.option = Option::kElectrical;
  ds.control.response = response;
  ds.design.sections = n;
  ds.design.ripple_db = am;
  ds.design.cutoff_mhz = 1000.0f;
  ds.design.system_impedance = 50.0f;
  ds.files.report.assign("REPORT.TXT");
  return ds;
}

// The ladder of the design, then the heading and design block, as a
// synthesis cycle of the program makes them.
void synthesize_and_print_heading(Report& r, DesignRecord& ds) {
  DesignData& s = ds.design;
  synthesize_ladder(ds.ladder, s.ripple_db, s.cutoff_mhz, ds.control.response, s.sections,
                    s.system_impedance);
  print_synthesis_heading(r, ds);
}

const std::string kElectricalHeading =
    "\n"
    "                 SYNTHESIS of the Electrical Circuit for your LOW\n"
    "                    PASS Filter results in the following data:\n"
    "\n"
    "                    Design Frequencies:      Filter Parameters:\n"
    "                    ===================     ====================\n";

const std::string kTableHeading =
    "\n"
    "       Section  Prototype     Standard   Connection     Dual      Connection\n"
    "       Number    Element      Circuit    in Circuit    Circuit    in Circuit\n"
    "       ---------------------------------------------------------------------\n"
    "          0     1.000000     50.00 Ohms   Source      50.00 Ohms   Source\n";

const std::string kClosing = test_support::sp(6) + test_support::dashes(72) + "\n";

TEST(SynthesisReport, ChebyshevOddElementTable) {
  Capture c;
  DesignRecord ds = electrical(3, Response::kChebyshev, 0.5f);
  set_labels(ds, " Chebyschev");
  synthesize_and_print_heading(c.report, ds);
  print_element_table(c.report, ds);

  // Shunt C 5.0813 pF / series L 8.7271 nH in the standard circuit, series
  // 12.70 nH / shunt 3.49 pF in the dual one; both loads equal zo for odd n.
  const std::string body =
      kElectricalHeading +
      "                    FC1 = 1000.0000 MHz     Design   = Low Pass \n"
      "                                            Sections =  3\n"
      "                                            Response =  Chebyschev \n"
      "                                            Ripple   = 0.500 dB\n" +
      kTableHeading +
      "          1     1.596331      5.0813 pF   Shunt       12.7032 nH   Series\n"
      "          2     1.096681      8.7271 nH   Series       3.4908 pF   Shunt\n"
      "          3     1.596331      5.0813 pF   Shunt       12.7032 nH   Series\n"
      "          4     1.000000     50.00 Ohms   Load        50.00 Ohms   Load\n" +
      test_support::kStoredClosing;
  EXPECT_EQ(c.console_text.str(), body);
  EXPECT_EQ(c.file_text.str(), body);
}

TEST(SynthesisReport, ButterworthEvenTableWithoutRippleOrStorage) {
  Capture c(false);
  DesignRecord ds = electrical(4, Response::kButterworth, 0.5f);
  set_labels(ds, "Butterworth");
  synthesize_and_print_heading(c.report, ds);
  print_element_table(c.report, ds);

  // No Ripple line, no odd last row: the last element row is the Series/Shunt
  // one for section n.
  EXPECT_EQ(c.console_text.str(),
            kElectricalHeading +
                "                    FC1 = 1000.0000 MHz     Design   = Low Pass \n"
                "                                            Sections =  4\n"
                "                                            Response = Butterworth \n" +
                kTableHeading +
                "          1     0.765367      2.4362 pF   Shunt        6.0906 nH   Series\n"
                "          2     1.847759     14.7040 nH   Series       5.8816 pF   Shunt\n"
                "          3     1.847759      5.8816 pF   Shunt       14.7040 nH   Series\n"
                "          4     0.765367      6.0906 nH   Series       2.4362 pF   Shunt\n"
                "          5     1.000000     50.00 Ohms   Load        50.00 Ohms   Load\n" +
                kClosing);
  EXPECT_EQ(c.file_text.str(), "");
}

TEST(SynthesisReport, ChebyshevEvenLoadsDiffer) {
  Capture c;
  DesignRecord ds = electrical(2, Response::kChebyshev, 0.5f);
  set_labels(ds, " Chebyschev");
  synthesize_and_print_heading(c.report, ds);
  print_element_table(c.report, ds);
  // ros = 50 / 1.9841 and rod = 50 * 1.9841.
  EXPECT_NE(c.console_text.str().find(
                "          3     1.984127     25.20 Ohms   Load        99.21 Ohms   Load\n"),
            std::string::npos)
      << c.console_text.str();
}

TEST(SynthesisReport, LargeValuesSwitchToMicroAndMilliUnits) {
  Capture c(false);
  DesignRecord ds = electrical(3, Response::kChebyshev, 0.5f);
  for (int k = 1; k <= 4; ++k) ds.ladder.g(k) = 1.0f;
  ds.ladder.shunt_pf(1) = 150000.0f;    // 0.15 uF
  ds.ladder.series_nh(1) = 2000000.0f;  // 2 mH
  ds.ladder.series_nh(2) = 100000.0f;   // the limit itself stays in nH
  ds.ladder.shunt_pf(2) = 100000.0f;    // and in pF
  ds.ladder.shunt_pf(3) = 100000.5f;    // just above: uF
  ds.ladder.series_nh(3) = 1.0f;
  ds.ladder.load_standard = 50.0f;
  ds.ladder.load_dual = 50.0f;
  print_element_table(c.report, ds);
  EXPECT_EQ(c.console_text.str(),
            kTableHeading +
                "          1     1.000000      0.1500 uF   Shunt        2.0000 mH   Series\n"
                "          2     1.000000 100000.0000 nH   Series  100000.0000 pF   Shunt\n"
                "          3     1.000000      0.1000 uF   Shunt        1.0000 nH   Series\n"
                "          4     1.000000     50.00 Ohms   Load        50.00 Ohms   Load\n" +
                kClosing);
}

TEST(SynthesisReport, SkirtDesignBlockShowsReachedAttenuation) {
  Capture c;
  DesignRecord ds = electrical(7, Response::kChebyshev, 0.1f);
  ds.control.option = Option::kDistributed;
  ds.control.count_from_skirt = true;
  ds.design.skirt_mhz = 2000.0f;
  ds.design.skirt_reached_db = 43.36f;
  set_labels(ds, " Chebyschev");
  synthesize_and_print_heading(c.report, ds);
  const std::string expected =
      "\n"
      "                SYNTHESIS of the Distributed Circuit for your LOW\n"
      "                    PASS Filter results in the following data:\n"
      "\n"
      "                    Design Frequencies:      Filter Parameters:\n"
      "                    ===================     ====================\n"
      "                    FC1 = 1000.0000 MHz     Design   = Low Pass \n"
      "                    F1  = 2000.0000 MHz     Sections =  7\n"
      "                    A1  =  43.36 dB         Response =  Chebyschev \n"
      "                                            Ripple   = 0.100 dB\n";
  EXPECT_EQ(c.console_text.str(), expected);
  EXPECT_EQ(c.file_text.str(), expected);
  // The ladder of the 0.1 dB ripple is there for the distributed run that follows.
  EXPECT_NEAR(ds.ladder.g(1), 1.1812f, 0.0001f);
}

}  // namespace
}  // namespace mx
