#include "report/dimension_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "designs.h"
#include "line/impedance.h"
#include "report/synthesis_report.h"
#include "report_capture.h"
#include "synthesis/ladder.h"
#include "synthesis/stepped_line.h"

namespace mx {
namespace {

using test_support::Capture;
using test_support::dashes;
using test_support::set_labels;
using test_support::sp;

// The worked coaxial example: 0.1 dB Chebyshev at 1000 MHz, 50 ohms, air
// lines of 0.5 inch outer diameter; inner diameters 0.2172 (source and
// load), d_high (high-impedance sections) and 0.45 (low-impedance sections).
DesignRecord coax(Configuration configuration, int n, float d_high = 0.1f) {
  DesignRecord ds = ::test_support::chebyshev_data(configuration, n);
  ds.control.option = Option::kDistributed;
  ds.files.report.assign("REPORT.TXT");
  ::test_support::AirLines lines;
  lines.high = d_high;
  ::test_support::set_air_lines(ds, lines);
  set_labels(ds, " Chebyschev");
  return ds;
}

// The synthesis cycle as the program runs it: the ladder, the heading and
// design block, then the stepped line. A realizable design gets its dimension
// report and the result is true; an unrealizable one its console message and
// the result is false.
bool synthesize(Capture& c, DesignRecord& ds, SteppedLineResult& res) {
  DesignData& s = ds.design;
  synthesize_ladder(ds.ladder, s.ripple_db, s.cutoff_mhz, ds.control.response, s.sections,
                    s.system_impedance);
  print_synthesis_heading(c.report, ds);
  synthesize_stepped_line(ds, res);
  if (res.code != Realizability::kDone) {
    print_realizability_message(c.report.console_out(), ds, res);
    return false;
  }
  print_dimension_report(c.report, ds, res);
  return true;
}

// The text from the first line that begins with start to the end.
std::string from(const std::string& text, const std::string& start) {
  const std::size_t at = text.find("\n" + start);
  return at == std::string::npos ? "<" + start + " missing>" : text.substr(at + 1);
}

const std::string kColumns =
    "\n" + sp(13) + "   Cond. Diameter   Relative             TE11    Peak\n" + sp(6) +
    "Section      (Inches)     Dielectric    Zo     Cutoff   Power    Length\n" + sp(6) +
    "Number     Inner  Outer    Constant   (Ohms)   (GHz)    (kW)    (Inches)\n" + sp(6) +
    dashes(72) + "\n";
const std::string kAirSource =
    "      Source    0.2172 0.5000     1.0000     49.99   10.477  11.213\n";
const std::string kAirLoad =
    "       Load     0.2172 0.5000     1.0000     49.99   10.477  11.213\n";
const std::string kClosing = test_support::kStoredClosing;

TEST(DistributedReport, WorkedExampleDimensionTable) {
  Capture c;
  DesignRecord ds = coax(Configuration::kStandard, 7);
  SteppedLineResult res;
  ASSERT_TRUE(synthesize(c, ds, res));
  EXPECT_EQ(res.code, Realizability::kDone);
  EXPECT_EQ(ds.control.origin, Origin::kDistributedSynthesis);
  // Lengths 0.175, 1.533, 0.325, 1.754, 0.325, 1.533, 0.175 inch; total about 5.82.
  const std::string table =
      kColumns + kAirSource +
      "         1      0.4500 0.5000     1.0000      6.32    7.909   6.082    0.1747\n"
      "         2      0.1000 0.5000     1.0000     96.50   12.523   4.588    1.5331\n"
      "         3      0.4500 0.5000     1.0000      6.32    7.909   6.082    0.3248\n"
      "         4      0.1000 0.5000     1.0000     96.50   12.523   4.588    1.7541\n"
      "         5      0.4500 0.5000     1.0000      6.32    7.909   6.082    0.3248\n"
      "         6      0.1000 0.5000     1.0000     96.50   12.523   4.588    1.5331\n"
      "         7      0.4500 0.5000     1.0000      6.32    7.909   6.082    0.1747\n" +
      kAirLoad + sp(45) + "Total length of filter =  5.8191\n" + kClosing;
  const std::string out = c.console_text.str();
  ASSERT_GE(out.size(), table.size());
  EXPECT_EQ(out.substr(out.size() - table.size()), table);
  EXPECT_EQ(c.file_text.str(), out);
}

TEST(DistributedReport, UnrealizableDesignReachesTheConsoleOnly) {
  Capture c;
  // The dual circuit needs more than 96.50 ohms for section 3.
  DesignRecord ds = coax(Configuration::kDual, 7);
  SteppedLineResult res;
  EXPECT_FALSE(synthesize(c, ds, res));
  EXPECT_EQ(res.code, Realizability::kHighTooLow);
  const std::string message =
      "\n      ERROR DETECTED.\n"
      "      Circuit realizibility requires the impedance for section  3 to\n"
      "      be greater than 104.83 ohms. Your current value is  96.50 ohms.\n" +
      sp(6) + dashes(72) + "\n";
  const std::string file = c.file_text.str();
  // The file keeps the heading and design block only; the console adds the message.
  EXPECT_EQ(c.console_text.str(), file + message);
  EXPECT_TRUE(file.ends_with(sp(44) + "Ripple   = 0.100 dB\n")) << file;
}

TEST(DistributedReport, RealizabilityMessagesForEveryCode) {
  DesignRecord ds = coax(Configuration::kStandard, 7);
  std::ostringstream out;
  TextOut console(out);
  SteppedLineResult res;
  res.code = Realizability::kDone;
  print_realizability_message(console, ds, res);
  EXPECT_EQ(out.str(), "");

  const std::string rule = sp(6) + dashes(72) + "\n";
  res.code = Realizability::kLowTooHigh;
  res.section = 12;
  res.z_must = 4.5f;
  print_realizability_message(console, ds, res);
  EXPECT_EQ(out.str(),
            "\n      ERROR DETECTED.\n"
            "      Circuit realizibility requires the impedance for section 12 to\n"
            "      be less than   4.50 ohms. Your current value is   6.32 ohms.\n" +
                rule);
  out.str("");
  res.code = Realizability::kStepsTooLarge;
  res.section = 5;
  print_realizability_message(console, ds, res);
  EXPECT_EQ(out.str(),
            "\n      ERROR DETECTED.\n"
            "      Circuit realizibility requires a reduction of\n"
            "      the discontinuity capacitance for section  5.\n" +
                rule);
  out.str("");
  res.code = Realizability::kUnsettled;
  print_realizability_message(console, ds, res);
  EXPECT_EQ(out.str(),
            "\n      ERROR DETECTED.\n"
            "      Section lengths did not settle within 200 passes.\n"
            "      Change the line impedances or the design data.\n" +
                rule);
}

TEST(DistributedReport, EndCorrectedShapesAndTheEvenLoadWarning) {
  const std::string high = "      0.0500 0.5000     1.0000    138.06   13.662   1.641    ";
  const std::string low = "      0.4500 0.5000     1.0000      6.32    7.909   6.082    ";
  {  // Dual circuit, odd n: both end sections carry their correction.
    Capture c;
    DesignRecord ds = coax(Configuration::kDual, 7, 0.05f);
    SteppedLineResult res;
    ASSERT_TRUE(synthesize(c, ds, res));
    EXPECT_EQ(from(c.console_text.str(), "         1"),
              "         1" + high + "0.8926\n" + "         2" + low + "0.2136\n" + "         3" +
                  high + "1.6043\n" + "         4" + low + "0.2296\n" + "         5" + high +
                  "1.6043\n" + "         6" + low + "0.2136\n" + "         7" + high + "0.8926\n" +
                  kAirLoad + sp(45) + "Total length of filter =  5.6507\n" + kClosing);
  }
  {  // Dual circuit, even n: no load test for the dual circuit.
    Capture c;
    DesignRecord ds = coax(Configuration::kDual, 6, 0.05f);
    SteppedLineResult res;
    ASSERT_TRUE(synthesize(c, ds, res));
    EXPECT_EQ(from(c.console_text.str(), "         6"),
              "         6" + low + "0.1143\n" + kAirLoad + sp(45) +
                  "Total length of filter =  4.3798\n" + kClosing);
  }
  {  // Standard circuit, even n: the load line should be the ladder's load
     // of the standard circuit; the warning follows the load row and
     // precedes the total, in the file too.
    Capture c;
    DesignRecord ds = coax(Configuration::kStandard, 6);
    SteppedLineResult res;
    ASSERT_TRUE(synthesize(c, ds, res));
    const std::string tail =
        "         6      0.1000 0.5000     1.0000     96.50   12.523   4.588    0.9271\n" +
        kAirLoad +
        "\n      ERROR DETECTED.\n"
        "      Load impedance for a Chebyschev filter with\n"
        "      N=even is required to be  36.89 ohms.\n" +
        sp(45) + "Total length of filter =  4.8989\n" + kClosing;
    EXPECT_EQ(from(c.console_text.str(), "         6"), tail);
    EXPECT_EQ(from(c.file_text.str(), "         6"), tail);
    // The total is the single-precision sum of the corrected lengths, in order.
    float total = 0.0f;
    for (int j = 1; j <= 6; ++j) total += ds.coax.length(j);
    std::string shown;
    put_fixed(shown, total, 7, 4);
    EXPECT_EQ(shown, " 4.8989");
  }
}

const std::string kRowRule = " " + dashes(77) + "\n";

std::string listing_heading() {
  return "\n" + dashes(77) + "\n" + sp(5) +
         "Diagnostic Information for your SYNTHESIZED Filter is provided below\n" + dashes(77) +
         "\n\n\n" + sp(23) + "Ideal" + sp(8) + "Computed" + sp(28) + "Cutoff\n" + sp(10) +
         "Prototype" + sp(4) + "Lumped" + sp(7) + "Lumped" + sp(7) + "Discontinuity" + sp(10) +
         "Elec.\n" + sp(1) + "Section" + sp(2) + "Element" + sp(6) + "Element" + sp(6) + "Element" +
         sp(7) + "Capacitance" + sp(3) + "Prox." + sp(3) + "Length\n" + sp(1) + "Number" + sp(3) +
         "Value" + sp(8) + "Value" + sp(8) + "Value" + sp(10) + "(xE-15 F)" + sp(4) + "Fact." +
         sp(3) + "(Deg.)\n" + kRowRule;
}

std::string contributions_heading() {
  return "\n\n\n" + sp(10) + "Ideal" + sp(6) + "Distributed Transmission Line\n" + sp(10) +
         "Lumped" + sp(13) + "Contributions" + sp(15) + "Total\n" + sp(1) + "Section" + sp(2) +
         "Element" + sp(4) + "Section" + sp(4) + "Section" + sp(4) + "Section" + sp(3) +
         "Discontinuity" + sp(6) + "Total\n" + sp(3) + "(N)" + sp(4) + "Value" + sp(7) + "(N-1)" +
         sp(7) + "(N)" + sp(7) + "(N+1)" + sp(7) + "Effects" + sp(9) + "Value\n" + dashes(77) +
         "\n";
}

// Two rows of the first table's capacitive layout.
std::string cap_row(const std::string& first, const std::string& second) {
  return first + "\n" + sp(46) + second + "\n" + kRowRule;
}
std::string row(const std::string& text) { return text + "\n" + kRowRule; }
std::string row2(const std::string& text) { return "\n" + text + "\n" + dashes(77) + "\n"; }

// Runs the synthesis, then the lumped equivalents and the listing twice;
// checks that both listings are identical and that the design's lengths did
// not move. Returns the listing.
std::string listing_of(DesignRecord& ds) {
  Capture c;
  SteppedLineResult res;
  EXPECT_TRUE(synthesize(c, ds, res));
  const std::string report_file = c.file_text.str();
  const IndexArray<float, 0, 32> lengths = ds.coax.length;

  std::ostringstream first_text, second_text;
  TextOut first(first_text), second(second_text);
  print_diagnostic_listing(first, ds, res, lumped_equivalents(ds, res));
  for (int j = 0; j <= 32; ++j) EXPECT_EQ(ds.coax.length(j), lengths(j)) << "section " << j;
  print_diagnostic_listing(second, ds, res, lumped_equivalents(ds, res));
  EXPECT_EQ(second_text.str(), first_text.str());
  EXPECT_EQ(c.file_text.str(), report_file);
  return first_text.str();
}

TEST(DiagnosticListing, WorkedExampleStandardOdd) {
  DesignRecord ds = coax(Configuration::kStandard, 7);
  // Computed lumped values agree with the ideal ones: 3.760 and 6.674 pF,
  // 11.322 and 12.521 nH. The end capacitive rows carry the capacitance and
  // frequency factor of the source-low and of the load-low junction, all
  // others those of the high-low junction (scaled by the proximity factors).
  const std::string expected =
      listing_heading() + row(" Source   1.00000     50.000 Ohms   49.993 Ohms") +
      cap_row("    1     1.18120    3.75989  pF   3.75988  pF    309.99210   1.0003",
              "    397.67813   1.0006    5.327") +
      row("    2     1.42280   11.32230  nH  11.32230  nH                1.0000   46.760") +
      cap_row("    3     2.09669    6.67398  pF   6.67398  pF    397.67813   1.0006",
              "    397.68347   1.0006    9.906") +
      row("    4     1.57339   12.52066  nH  12.52066  nH                1.0000   53.503") +
      cap_row("    5     2.09669    6.67398  pF   6.67398  pF    397.68347   1.0006",
              "    397.67813   1.0006    9.906") +
      row("    6     1.42280   11.32230  nH  11.32230  nH                1.0000   46.760") +
      cap_row("    7     1.18120    3.75988  pF   3.75988  pF    397.67813   1.0006",
              "    309.99210   1.0003    5.327") +
      row("  Load    1.00000     50.000 Ohms   49.993 Ohms") + contributions_heading() +
      row2("    1   3.75989 pF  0.00000 pF 2.33919 pF 0.71302 pF  0.70767 pF   3.75988 pF") +
      row2("    2  11.32230 nH  0.04678 nH11.18839 nH 0.08713 nH              11.32230 nH") +
      row2("    3   6.67398 pF  0.71302 pF 4.33424 pF 0.83136 pF  0.79536 pF   6.67398 pF") +
      row2("    4  12.52066 nH  0.08713 nH12.34639 nH 0.08713 nH              12.52066 nH") +
      row2("    5   6.67398 pF  0.83136 pF 4.33424 pF 0.71302 pF  0.79536 pF   6.67398 pF") +
      row2("    6  11.32230 nH  0.08713 nH11.18839 nH 0.04678 nH              11.32230 nH") +
      row2("    7   3.75988 pF  0.71302 pF 2.33919 pF 0.00000 pF  0.70767 pF   3.75988 pF");
  EXPECT_EQ(listing_of(ds), expected);
}

TEST(DiagnosticListing, StandardEvenShowsTheLoadJunctionAndItsCorrection) {
  DesignRecord ds = coax(Configuration::kStandard, 6);
  const std::string text = listing_of(ds);
  EXPECT_TRUE(
      from(text, "    5     1.90291")
          .starts_with(
              cap_row("    5     1.90291    6.05716  pF   6.05716  pF    397.68295   1.0006",
                      "    397.68460   1.0006    9.354") +
              row("    6     0.86185    6.85838  nH   6.85838  nH                1.0000   "
                  "26.181") +
              row("  Load    1.35538     36.890 Ohms   49.993 Ohms    35.99990   1.0006") +
              row(sp(30) + "Length correction for section  6 =  0.0687") + contributions_heading()))
      << text;
  EXPECT_NE(text.find(row2(
                "    6   6.85838 nH  0.08226 nH 6.77613 nH 0.00000 nH               6.85838 nH")),
            std::string::npos);
}

TEST(DiagnosticListing, DualEvenPutsTheLoadSideCapacitanceFirst) {
  DesignRecord ds = coax(Configuration::kDual, 6, 0.05f);
  const std::string text = listing_of(ds);
  EXPECT_TRUE(text.starts_with(
      listing_heading() +
      row(" Source   1.00000     50.000 Ohms   49.993 Ohms    63.38123   1.0007") +
      row("    1     1.16814    9.29573  nH   9.29573  nH                1.0000   24.865")));
  EXPECT_NE(
      text.find(cap_row("    6     0.86185    2.74335  pF   2.74335  pF    309.99210   1.0003",
                        "    443.95068   1.0007    3.487") +
                row("  Load    1.35538     67.769 Ohms   49.993 Ohms") +
                row(sp(30) + "Length correction for section  1 =  0.0365") + "\n\n\n"),
      std::string::npos)
      << text;
}

TEST(DiagnosticListing, DualOddCorrectsBothEndsAndUsesUncorrectedLengths) {
  DesignRecord ds = coax(Configuration::kDual, 7, 0.05f);
  const std::string text = listing_of(ds);
  // Section 1 is 0.8926 inch with its correction of 0.0676; the electrical
  // length is that of the 0.8250 inch found by the passes.
  EXPECT_NE(text.find(row("    1     1.18120    9.39971  nH   9.39971  nH                1.0000"
                          "   25.162")),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(row("  Load    1.00000     50.000 Ohms   49.993 Ohms    63.38123   1.0007") +
                      row(sp(30) + "Length correction for section  1 =  0.0676") +
                      row(sp(30) + "Length correction for section  7 =  0.0676") + "\n\n\n"),
            std::string::npos)
      << text;
  EXPECT_TRUE(text.ends_with(
      row2("    7   9.39971 nH  0.05724 nH 9.34247 nH 0.00000 nH               9.39971 nH")));
}

}  // namespace
}  // namespace mx
