// The full-wave correction without the field solver: the loop driven by a stand-in "full wave"
// (the circuit model itself with every section electrically longer and the low-impedance ones
// offset, as a field solution differs from it), the edges it judges by, the Touchstone reader, and
// a field solver that cannot be run. The runs with openEMS are tests/program/em_correct_check.py.
#include "app/em_correct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "app/field_solver.h"
#include "app/length_fit.h"
#include "designs.h"
#include "synthesis/stepped_line.h"

namespace mx {
namespace {

struct Synthesized {
  DesignRecord ds;
  EndSteps ends;
};

Synthesized synthesized(int n, float cutoff_mhz) {
  Synthesized s;
  s.ds = test_support::chebyshev_ladder(Configuration::kStandard, n, cutoff_mhz);
  s.ds.control.option = Option::kDistributed;
  s.ds.control.function = Function::kSynthesis;
  s.ds.control.origin = Origin::kDistributedSynthesis;
  test_support::set_air_lines(s.ds);
  SteppedLineResult r;
  synthesize_stepped_line(s.ds, r);
  EXPECT_EQ(r.code, Realizability::kDone);
  s.ends = EndSteps{r.cap_high_source, r.cap_high_load};
  return s;
}

TEST(EmCorrect, ResponseEdges) {
  struct Case {
    const char* what;
    std::vector<double> loss;  // at 0, 10, 20, ... MHz
    double am, cutoff, edge;   // expected, MHz (NaN: none)
  };
  const double nan = std::nan("");
  const std::vector<Case> cases = {
      {"plain rise", {0.0, 0.05, 0.15, 1.0, 5.0}, 0.1, 30.0 + 10.0 * 2.0 / 4.0, 15.0},
      // A ripple peak touches Am at 10 MHz; the edge is where the loss leaves Am for good.
      {"ripple peak first",
       {0.0, 0.2, 0.0, 0.05, 0.5, 4.0},
       0.1,
       40.0 + 10.0 * 2.5 / 3.5,
       30.0 + 10.0 * 0.05 / 0.45},
      {"never 3 dB", {0.0, 0.5, 1.0, 2.0}, 0.1, nan, nan},
  };
  for (const Case& c : cases) {
    std::vector<double> f;
    for (std::size_t k = 0; k < c.loss.size(); ++k) f.push_back(10.0 * static_cast<double>(k));
    const ResponseEdges e = response_edges(f, c.loss, c.am);
    if (std::isnan(c.cutoff)) {
      EXPECT_TRUE(std::isnan(e.cutoff_3db_mhz)) << c.what;
      continue;
    }
    EXPECT_NEAR(e.cutoff_3db_mhz, c.cutoff, 1e-9) << c.what;
    EXPECT_NEAR(e.edge_mhz, c.edge, 1e-9) << c.what;
  }
}

// The stand-in field solution: the circuit model of lengths 1.004 x L + 2 mil on the low-impedance
// sections (odd positions), so the lengths that give the nominal response are known exactly.
constexpr double kLonger = 1.004, kOffsetIn = 0.002;
double stand_in_length(double length, int j) {
  return kLonger * length + (j % 2 ? kOffsetIn : 0.0);
}

TEST(EmCorrect, SpaceMappingFindsTheLengthsOfTheNominalResponse) {
  for (const auto& [n, fc1] : {std::pair{7, 1000.0f}, std::pair{3, 2000.0f}}) {
    const Synthesized s = synthesized(n, fc1);
    int runs = 0;
    const FieldRun field = [&](const DesignRecord& trial, const std::vector<float>& f) {
      ++runs;
      std::vector<double> x;
      for (int j = 1; j <= n; ++j)
        x.push_back(stand_in_length(static_cast<double>(trial.coax.length(j)), j));
      FullWaveResponse r = circuit_response(with_lengths(trial, x), s.ends, f);
      r.solver_s = 1.0;
      return r;
    };
    std::ostringstream progress;
    const EmCorrection c = correct_lengths(s.ds, s.ends, "fine", field, fit_lengths, progress);
    ASSERT_TRUE(c.converged) << n << ": " << c.failure << "\n" << progress.str();
    EXPECT_LE(runs, 4) << progress.str();
    EXPECT_EQ(static_cast<int>(c.iterations.size()), runs);
    EXPECT_LE(std::fabs(c.shift_pct), kEmTolerancePct);
    EXPECT_LE(std::fabs(c.edge_shift_pct), kEmTolerancePct);
    // The first run is the synthesis's, 0.4 % long: its cutoff lies low.
    EXPECT_LT(c.iterations[0].cutoff_3db_mhz, c.target_3db_mhz * (1 - kEmTolerancePct / 100));
    for (int j = 1; j <= n; ++j) {
      const double want =
          (static_cast<double>(s.ds.coax.length(j)) - (j % 2 ? kOffsetIn : 0.0)) / kLonger;
      EXPECT_NEAR(c.lengths_in[static_cast<std::size_t>(j - 1)], want, 2e-4) << n << " " << j;
    }
    std::istringstream lines(progress.str());
    int said = 0;
    for (std::string line; std::getline(lines, line);)
      said += line.rfind("mandrelix: full-wave run ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(said, runs);
    std::ostringstream json;
    write_correction_json(json, c);
    for (const char* key :
         {"\"target\"", "\"iterations\"", "\"final\"", "\"fullwave_runs\": ", "\"shift_pct\"",
          "\"edge_shift_pct\"", "\"lengths_in\"", "\"solver_s\""})
      EXPECT_NE(json.str().find(key), std::string::npos) << key;
  }
}

TEST(EmCorrect, AFieldSolutionThatIgnoresTheLengthsIsNotConverged) {
  const Synthesized s = synthesized(3, 1000.0f);
  const FieldRun stuck = [&](const DesignRecord&, const std::vector<float>& f) {
    std::vector<double> x;
    for (int j = 1; j <= 3; ++j) x.push_back(1.01 * static_cast<double>(s.ds.coax.length(j)));
    return circuit_response(with_lengths(s.ds, x), s.ends, f);
  };
  std::ostringstream progress;
  const EmCorrection c = correct_lengths(s.ds, s.ends, "coarse", stuck, fit_lengths, progress);
  // Broyden's update learns that the lengths change nothing: the step it asks for then ends the
  // loop, or the most runs do; either way it says why.
  EXPECT_FALSE(c.converged);
  EXPECT_LE(static_cast<int>(c.iterations.size()), kEmMostFieldRuns);
  EXPECT_FALSE(c.failure.empty());
}

TEST(FieldSolver, ReadsTheScriptsTouchstoneAndRefusesAnythingElse) {
  const std::string head =
      "! Mandrelix 1.1\n! field solver time 12.5 s\n# MHz S RI R 50\n! f S11 S21 S12 S22\n";
  std::istringstream good(head + "10 0.1 -0.2 0.9 0.3 0.9 0.3 0.1 -0.2\n20 0 0 1 0 1 0 0 0\n");
  const FullWaveResponse r = read_full_wave(good);
  ASSERT_EQ(r.f_mhz.size(), 2u);
  EXPECT_EQ(r.f_mhz[0], 10.0);
  EXPECT_EQ(r.s11[0], std::complex<double>(0.1, -0.2));
  EXPECT_EQ(r.s21[0], std::complex<double>(0.9, 0.3));
  EXPECT_EQ(r.solver_s, 12.5);
  struct Bad {
    const char* what;
    std::string text;
  };
  for (const Bad& b : std::vector<Bad>{
           {"a NaN", head + "10 nan 0 1 0 1 0 0 0\n"},
           {"a short row", head + "10 0 0 1 0\n"},
           {"no option line", "10 0 0 1 0 1 0 0 0\n"},
           {"magnitude and angle", "# MHz S MA R 50\n10 0 0 1 0 1 0 0 0\n"},
           {"no data", head},
       }) {
    std::istringstream in(b.text);
    EXPECT_THROW(read_full_wave(in), FieldSolverError) << b.what;
  }
}

TEST(FieldSolver, APythonThatIsNotThereIsOneClearError) {
  try {
    run_field_solver("/nonexistent/python3", "print(1)\n", "coarse",
                     std::filesystem::temp_directory_path());
    FAIL() << "no error";
  } catch (const FieldSolverError& e) {
    EXPECT_NE(std::string(e.what()).find("cannot run /nonexistent/python3"), std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace mx
