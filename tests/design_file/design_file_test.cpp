// The design file reader without a defaults file: every value comes from the
// file, as the dialog's answers would give it.
#include "design_file/design_file.h"

#include <gtest/gtest.h>

#include <string>

#include "base/fields.h"
#include "base/units.h"
#include "line/impedance.h"
#include "session.h"
#include "synthesis/ladder.h"
#include "synthesis/section_count.h"

namespace {

// A whole coaxial design; `extra` is added to [response].
std::string coax_design(const std::string& inner, const std::string& extra = "sections = 7\n") {
  return "[response]\ncutoff_mhz = 1000\nripple_db = 0.1\n" + extra +
         "[terminations]\nimpedance_ohm = 50\nsource_reactance_ohm = 0\nload_reactance_ohm = 0\n"
         "[coax]\nsource = { outer_in = 0.5, inner_in = " +
         inner +
         ", er = 1 }\nhigh = { outer_in = 0.5, zo_ohm = 96.5, er = 1 }\n"
         "low = { inner_in = 0.45, er = 2.1 }\nload = { outer_in = 0.5, inner_in = 0.2172, er = 1 "
         "}\n"
         "[losses]\nresistivity_uohm_cm = " +
         inner + "\nroughness_uin = 32\nloss_tangent = 0.0002\n";
}

mx::DesignFile read(const std::string& text, mx::DesignRecord& ds) {
  mxtest::TempDir empty;  // no Mandrelix.DEF
  return mx::read_design_text(text, "t.toml", true, empty.path(), ds);
}

TEST(DesignFile, ANumberIsTheFloatTheSameTextTypedAsAnAnswerGives) {
  // Texts whose double, rounded again to float, is not the nearest float
  // would show here; the dialog's own reading is the reference.
  for (const char* text :
       {"0.2172", "0.1", "0.33333333333", "3.4028234e-3", "0.123456789", "1e-2"}) {
    SCOPED_TRACE(text);
    mx::DesignRecord ds;
    read(coax_design(text), ds);
    const float typed = mx::read_f13(text).value;
    EXPECT_EQ(ds.lines.inner(mx::kSourceLine), typed);
    EXPECT_EQ(ds.losses.resistivity, typed / mx::kCmPerInch * 1.0e-6f);  // the dialog's conversion
  }
}

TEST(DesignFile, FillsTheLinesAsTheDimensionalQuestionsDo) {
  mx::DesignRecord ds;
  const mx::DesignFile spec = read(coax_design("0.2172"), ds);
  EXPECT_FALSE(spec.analyse);
  EXPECT_EQ(ds.control.option, mx::Option::kDistributed);
  EXPECT_EQ(ds.control.configuration, mx::Configuration::kStandard);
  const mx::LineKinds& k = ds.lines;
  // The inner diameter of the high line follows from its Zo (as a 0 answer
  // and the impedance question give it), the low line shares its outer one.
  EXPECT_NEAR(mx::line_impedance(k.outer(mx::kHighLine), k.inner(mx::kHighLine), 1.0f), 96.5f,
              0.01f);
  EXPECT_EQ(k.zo(mx::kHighLine), 96.5f);
  EXPECT_EQ(k.outer(mx::kLowLine), 0.5f);
  EXPECT_EQ(k.zo(mx::kLowLine), mx::line_impedance(0.5f, 0.45f, 2.1f));
  EXPECT_EQ(ds.ports.rs, k.zo(mx::kSourceLine));
  EXPECT_EQ(ds.ports.rl, k.zo(mx::kLoadLine));
  EXPECT_EQ(ds.losses.roughness, 32.0f * 1.0e-6f);
}

TEST(DesignFile, CountsTheSectionsFromTheSkirt) {
  struct Case {
    const char* type;
    float ripple_db;
  };
  for (const Case c : {Case{"chebyshev", 0.1f}, Case{"butterworth", 0.0f}}) {
    SCOPED_TRACE(c.type);
    mx::DesignRecord ds;
    const std::string ripple = c.ripple_db > 0 ? "ripple_db = 0.1\n" : "";
    read("[response]\ntype = \"" + std::string(c.type) + "\"\ncutoff_mhz = 1000\n" + ripple +
             "skirt_mhz = 1500\nskirt_db = 40\n[terminations]\nimpedance_ohm = 50\n",
         ds);
    const mx::SectionCount n =
        mx::section_count(c.ripple_db, 40.0f, 1000.0f, 1500.0f, ds.control.response);
    EXPECT_TRUE(ds.control.count_from_skirt);
    EXPECT_EQ(ds.design.sections, n.n);
    EXPECT_EQ(ds.design.skirt_reached_db, n.reached_db);
  }
}

TEST(DesignFile, TheAnalysisOfALadderTakesZoAndTheLoadThatEndsIt) {
  struct Case {
    const char* terminations;
    mx::Configuration configuration;
    float rs;  // 0: Zo
    float rl;  // 0: the ladder's own load
  };
  const Case cases[] = {
      {"", mx::Configuration::kStandard, 0, 0},
      {"", mx::Configuration::kDual, 0, 0},
      {"source_ohm = 60\nload_ohm = 40\n", mx::Configuration::kDual, 60, 40},
  };
  for (const Case& c : cases) {
    mx::DesignRecord ds;
    const bool dual = c.configuration == mx::Configuration::kDual;
    const mx::DesignFile spec =
        read(std::string("[response]\ncutoff_mhz = 1000\nripple_db = 0.5\nsections = 4\n") +
                 "configuration = \"" + (dual ? "dual" : "standard") +
                 "\"\n[terminations]\nimpedance_ohm = 50\n" + c.terminations +
                 "[analysis]\nstart_mhz = 10\nstop_mhz = 100\nstep_mhz = 10\n",
             ds);
    EXPECT_EQ(ds.control.configuration, c.configuration);
    EXPECT_EQ(ds.sweep.steps, 9);
    mx::synthesize_ladder(ds.ladder, ds.design.ripple_db, 1000.0f, ds.control.response, 4, 50.0f);
    ds.control.origin = mx::Origin::kElectricalSynthesis;
    mx::prepare_analysis(spec, ds);
    EXPECT_EQ(ds.control.function, mx::Function::kAnalysis);
    EXPECT_EQ(ds.ports.rs, c.rs > 0 ? c.rs : 50.0f);
    const float own = dual ? ds.ladder.load_dual : ds.ladder.load_standard;
    EXPECT_EQ(ds.ports.rl, c.rl > 0 ? c.rl : own);
    EXPECT_EQ(ds.ports.xs, 0.0f);  // a blank reactance answer
  }
}

TEST(DesignFile, ATableMadeElsewhereIsNamedWithoutLines) {
  mx::DesignRecord ds;
  mxtest::TempDir empty;
  try {
    mx::read_design_text("[response]\ncutoff_mhz = 1\nripple_db = 1\nsections = 1\n", "<dict>",
                         false, empty.path(), ds);
    FAIL() << "accepted";
  } catch (const mx::SpecError& e) {
    EXPECT_STREQ(e.what(),
                 "<dict>: response.sections: expected a whole number from 2 to 30, not 1");
  }
}

}  // namespace
