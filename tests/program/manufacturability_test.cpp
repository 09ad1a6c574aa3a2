// Warnings for designs the shop cannot make: each warning once triggered and once not (the
// functions of manufacturability.h on the lines of the worked example), and whole runs: the
// warnings reach the error stream only, one line each, the status and the console unchanged.
#include "app/manufacturability.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "session.h"

namespace mxtest {
namespace {

// The worked example's lines: 0.5 inch bore, source and load 0.2172, sections 0.45 and 0.1.
mx::CoaxFilterLines worked_example() {
  mx::CoaxFilterLines f;
  f.source = f.load = mx::CoaxLineData{0.5f, 0.2172f, 1.0f, 49.99f, 0.0f};
  const float lengths[] = {0.1747f, 1.5331f, 0.3248f, 1.7541f, 0.3248f, 1.5331f, 0.1747f};
  for (int i = 0; i < 7; ++i) {
    const bool low = i % 2 == 0;
    f.sections.push_back(mx::CoaxLineData{0.5f, low ? 0.45f : 0.1f, 1.0f, 0.0f, lengths[i]});
  }
  return f;
}

struct WarningCase {
  const char* name;
  std::function<void(mx::CoaxFilterLines&, mx::RunOptions&, float& highest_mhz)> change;
  const char* expected;  // the one warning, or nullptr for none
};

TEST(ShopWarnings, EachTriggeredOnceAndNotOnce) {
  const WarningCase cases[] = {
      {"section of 0.0009 inch", [](auto& f, auto&, float&) { f.sections[0].length = 0.0009f; },
       "section 1 is 0.0009 inch long, shorter than the minimum 0.0100 inch (--min-section)"},
      {"section at the minimum", [](auto& f, auto&, float&) { f.sections[0].length = 0.0100f; },
       nullptr},
      {"section under a minimum asked",
       [](auto& f, auto& o, float&) {
         o.min_section_in = 0.2f;
         f.sections[6].length = 0.2f;
       },
       "section 1 is 0.1747 inch long, shorter than the minimum 0.2000 inch (--min-section)"},
      {"wall of 0.004 inch", [](auto& f, auto&, float&) { f.sections[2].inner = 0.492f; },
       "section 3 leaves a radial wall (B-D)/2 of 0.0040 inch to the bore, thinner than the "
       "minimum 0.0050 inch (--min-wall)"},
      {"wall of 0.025 inch under a minimum of 0.02",
       [](auto&, auto& o, float&) { o.min_wall_in = 0.02f; }, nullptr},
      {"analysis above the TE11 cutoff of the low line",
       [](auto&, auto&, float& top) { top = 8000.0f; },
       "the analysis goes up to 8000.0 MHz, above the TE11 cutoff 7.909 GHz of section 1 (the "
       "lowest of the lines): higher-order modes can propagate there"},
      {"analysis below it", [](auto&, auto&, float& top) { top = 7900.0f; }, nullptr},
      {"peak power below the power asked", [](auto&, auto& o, float&) { o.power_w = 5000.0f; },
       "peak power 4588 W of section 2 (the lowest of the lines) is below the 5000 W asked "
       "(--power)"},
      {"peak power above it", [](auto&, auto& o, float&) { o.power_w = 4500.0f; }, nullptr},
      {"length tolerance of five inches", [](auto&, auto& o, float&) { o.length_tol_in = 5.0f; },
       "the length tolerance +/-5.0000 inch exceeds the shortest section, section 1 of 0.1747 "
       "inch (--length-tol)"},
      {"length tolerance at the shortest section",
       [](auto&, auto& o, float&) { o.length_tol_in = 0.1747f; }, nullptr},
      {"diameter tolerance above the 0.025 inch wall of the low lines",
       [](auto&, auto& o, float&) { o.diameter_tol_in = 0.03f; },
       "the diameter tolerance +/-0.0300 inch exceeds the thinnest radial wall (B-D)/2, 0.0250 "
       "inch of section 1 (--diameter-tol)"},
      {"diameter tolerance below it", [](auto&, auto& o, float&) { o.diameter_tol_in = 0.02f; },
       nullptr},
  };
  for (const WarningCase& c : cases) {
    SCOPED_TRACE(c.name);
    mx::CoaxFilterLines f = worked_example();
    mx::RunOptions o;
    float top = 3000.0f;
    c.change(f, o, top);
    std::vector<std::string> all = mx::design_warnings(f, o);
    for (const std::string& w : mx::analysis_warnings(f, top)) all.push_back(w);
    if (c.expected == nullptr) {
      EXPECT_TRUE(all.empty()) << all.front();
    } else {
      ASSERT_EQ(all.size(), 1u) << all.back();
      EXPECT_EQ(all[0], c.expected);
    }
  }
}

// Nine sections, FC1 2000 MHz, Am 0.00195 dB: end sections of 0.0009 inch. Then an analysis of
// it up to 9 GHz, above the 7.909 GHz TE11 cutoff of its low-impedance sections.
const char* const kShortEnds =
    "\n2\n1\n\n\n\n\n\n\n\n\n\n\n\n\n2000\n0.00195\n9\n\n\n1\n\n\n\n1000\n9000\n1000\n\n3\n";

TEST(ShopWarnings, OnTheErrorStreamOnlyAndOnlyWhenAsked) {
  TempDir dir;
  install_shipped_files(dir.path());
  const SessionResult plain = run_session(kShortEnds, dir.path());
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err, "") << "a run without options is the dialog alone";
  mx::RunOptions asked;
  asked.power_w = 5000.0f;
  const SessionResult warned = run_session(kShortEnds, dir.path(), asked);
  EXPECT_EQ(warned.status, 0);
  EXPECT_EQ(warned.out, plain.out);
  EXPECT_EQ(warned.err,
            "mandrelix: warning: section 1 is 0.0009 inch long, shorter than the minimum 0.0100 "
            "inch (--min-section)\n"
            "mandrelix: warning: section 9 is 0.0009 inch long, shorter than the minimum 0.0100 "
            "inch (--min-section)\n"
            "mandrelix: warning: peak power 4588 W of section 2 (the lowest of the lines) is "
            "below the 5000 W asked (--power)\n"
            "mandrelix: warning: the analysis goes up to 9000.0 MHz, above the TE11 cutoff 7.909 "
            "GHz of section 1 (the lowest of the lines): higher-order modes can propagate there\n");
}

}  // namespace
}  // namespace mxtest
