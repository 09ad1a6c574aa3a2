#include "main/synthesis_report.h"

#include <gtest/gtest.h>

#include <string>

#include "report_capture.h"

namespace mx {
namespace {

using test_support::Capture;

DesignState electrical(int n, int isubop, float am) {
  DesignState ds;
  ds.int1.iop = 1;
  ds.int1.isubop = isubop;
  ds.int1.n = n;
  ds.real1.am = am;
  ds.real1.fc1 = 1000.0f;
  ds.real1.zo = 50.0f;
  ds.char1.fno.assign("REPORT.TXT");
  return ds;
}

MainValues labels(const char* resp) {
  MainValues mv;
  mv.design = "Low Pass ";
  mv.resp = padded(resp, 20);
  return mv;
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
  DesignState ds = electrical(3, 1, 0.5f);
  MainValues mv = labels(" Chebyschev");
  print_synthesis_heading(c.report, ds, mv);
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
  EXPECT_EQ(ds.int1.ifrom, 4);
}

TEST(SynthesisReport, ButterworthEvenTableWithoutRippleOrStorage) {
  Capture c(false);
  DesignState ds = electrical(4, 2, 0.5f);
  MainValues mv = labels("Butterworth");
  print_synthesis_heading(c.report, ds, mv);
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
  DesignState ds = electrical(2, 1, 0.5f);
  MainValues mv = labels(" Chebyschev");
  print_synthesis_heading(c.report, ds, mv);
  print_element_table(c.report, ds);
  // ros = 50 / 1.9841 and rod = 50 * 1.9841.
  EXPECT_NE(c.console_text.str().find(
                "          3     1.984127     25.20 Ohms   Load        99.21 Ohms   Load\n"),
            std::string::npos)
      << c.console_text.str();
}

TEST(SynthesisReport, LargeValuesSwitchToMicroAndMilliUnits) {
  Capture c(false);
  DesignState ds = electrical(3, 1, 0.5f);
  for (int k = 1; k <= 4; ++k) ds.real2.g(k) = 1.0f;
  ds.real2.shuntc(1) = 150000.0f;   // 0.15 uF
  ds.real2.serl(1) = 2000000.0f;    // 2 mH
  ds.real2.serl(2) = 100000.0f;     // the limit itself stays in nH
  ds.real2.shuntc(2) = 100000.0f;   // and in pF
  ds.real2.shuntc(3) = 100000.5f;   // just above: uF
  ds.real2.serl(3) = 1.0f;
  ds.real1.ros = 50.0f;
  ds.real1.rod = 50.0f;
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
  DesignState ds = electrical(7, 1, 0.1f);
  ds.int1.iop = 2;
  ds.int1.iskirt = 1;
  ds.real1.f1 = 2000.0f;
  MainValues mv = labels(" Chebyschev");
  mv.a2 = 43.36f;
  print_synthesis_heading(c.report, ds, mv);
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
  // lppev has filled the ladder for the distributed run that follows.
  EXPECT_NEAR(ds.real2.g(1), 1.1812f, 0.0001f);
}

}  // namespace
}  // namespace mx
