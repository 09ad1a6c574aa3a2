// The full-wave model script: what it refuses to model, and its data block read back by Python
// itself (tests/export/read_em_model.py), exactly and with hostile text made harmless. Running
// the model through openEMS is the suite's full-wave check (tests/program/em_check.py).
#include "export/em_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "picture_checks.h"

namespace mx {
namespace {

namespace pc = picture_checks;

EmModelData three_sections() {
  EmModelData d;
  d.program_version = "Mandrelix 1.1";
  d.title = "3-section test filter";
  d.source = {0.5f, 0.2172f, 1.0f, 49.99276f, 0.0f};
  d.sections = {{0.5f, 0.45f, 1.0f, 6.31726f, 0.15222331f},
                {0.5f, 0.1f, 2.1f, 66.6f, 1.1836201f},
                {0.51f, 0.45f, 1.0f, 7.5f, 1e-5f}};
  d.load = {0.5f, 0.2172f, 1.0f, 49.99276f, 0.0f};
  d.rs = 49.99276f;
  d.rl = 50.0f;
  d.cutoff_mhz = 1000.0f;
  d.ripple_db = 0.1f;
  d.f_mhz = {0.0f, 10.0f, 1234.5677f, 3000.0f};
  return d;
}

TEST(EmModel, RefusesWhatCannotBeModelled) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    const char* what;
    std::function<void(EmModelData&)> spoil;
    const char* refusal;  // part of the reason, or nullptr: modelled
  };
  const std::vector<Case> cases = {
      {"as made", [](EmModelData&) {}, nullptr},
      {"no sections", [](EmModelData& d) { d.sections.clear(); }, nullptr},
      {"zero-length section", [](EmModelData& d) { d.sections[1].length = 0.0f; }, nullptr},
      {"centre conductor as wide as the bore", [](EmModelData& d) { d.sections[0].inner = 0.5f; },
       "section 1: the centre conductor is not smaller than the bore"},
      {"negative diameter", [](EmModelData& d) { d.load.outer = -0.5f; },
       "the load line: a diameter is not a positive number"},
      {"diameter not a number", [nan](EmModelData& d) { d.source.inner = nan; },
       "the source line: a diameter"},
      {"Er below 1", [](EmModelData& d) { d.sections[2].er = 0.9f; },
       "section 3: the dielectric constant is below 1"},
      {"negative length", [](EmModelData& d) { d.sections[1].length = -0.1f; },
       "section 2: the length is negative"},
      {"infinite length", [inf](EmModelData& d) { d.sections[1].length = inf; },
       "section 2: the length"},
      {"zero reference", [](EmModelData& d) { d.rl = 0.0f; }, "load resistance"},
      {"cutoff not a number", [nan](EmModelData& d) { d.cutoff_mhz = nan; }, "the cutoff"},
      {"only DC", [](EmModelData& d) { d.f_mhz = {0.0f}; }, "no frequency above 0"},
      {"no frequencies", [](EmModelData& d) { d.f_mhz.clear(); }, "no frequency above 0"},
      {"frequency not a number", [nan](EmModelData& d) { d.f_mhz.push_back(nan); },
       "a frequency is not a number"},
  };
  for (const Case& c : cases) {
    EmModelData d = three_sections();
    c.spoil(d);
    const auto refusal = em_model_refusal(d);
    if (!c.refusal) {
      EXPECT_FALSE(refusal) << c.what << ": " << *refusal;
    } else {
      ASSERT_TRUE(refusal) << c.what;
      EXPECT_NE(refusal->find(c.refusal), std::string::npos) << c.what << ": " << *refusal;
    }
  }
}

// The lines "key ..." of the reader's output, split into words.
std::vector<std::vector<std::string>> lines_of(const std::string& log, const std::string& key) {
  std::vector<std::vector<std::string>> out;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string x; words >> x;) w.push_back(x);
    if (!w.empty() && w[0] == key) out.push_back(w);
  }
  return out;
}

float as_float(const std::string& s) { return std::strtof(s.c_str(), nullptr); }

TEST(EmModel, PythonReadsBackEveryFigureExactly) {
  EmModelData d = three_sections();
  d.title = "quote \" backslash \\ line\nend \xc3\xa9";        // a name from a circuit file
  d.sections[1].zo = std::numeric_limits<float>::quiet_NaN();  // as a report may show it
  std::ostringstream os;
  write_em_model(os, d);
  const std::string script = os.str();
  EXPECT_EQ(script.rfind("#!/usr/bin/env python3\n", 0), 0u);
  pc::Scratch dir("em_model");
  dir.write("model.py", script);
  std::string log;
  ASSERT_EQ(pc::run_check("read_em_model.py", "'" + dir.path("model.py") + "'", dir, log), 0)
      << log;

  EXPECT_NE(log.find("title quote ? backslash ? line?end ??\n"), std::string::npos) << log;
  const auto expect_line = [&](const std::vector<std::string>& w, std::size_t at,
                               const DrawingLine& l, const std::string& what) {
    ASSERT_GE(w.size(), at + 4) << what;
    EXPECT_EQ(as_float(w[at]), l.outer) << what;
    EXPECT_EQ(as_float(w[at + 1]), l.inner) << what;
    EXPECT_EQ(as_float(w[at + 2]), l.er) << what;
    if (std::isnan(l.zo))
      EXPECT_EQ(w[at + 3], "nan") << what;
    else
      EXPECT_EQ(as_float(w[at + 3]), l.zo) << what;
  };
  const auto source = lines_of(log, "source");
  const auto load = lines_of(log, "load");
  ASSERT_EQ(source.size(), 1u);
  ASSERT_EQ(load.size(), 1u);
  expect_line(source[0], 1, d.source, "source");
  expect_line(load[0], 1, d.load, "load");
  const auto sections = lines_of(log, "section");
  ASSERT_EQ(sections.size(), d.sections.size()) << log;
  for (std::size_t j = 0; j < sections.size(); ++j) {
    expect_line(sections[j], 2, d.sections[j], "section " + std::to_string(j + 1));
    ASSERT_EQ(sections[j].size(), 7u);
    EXPECT_EQ(as_float(sections[j][6]), d.sections[j].length) << j + 1;
  }
  const auto cutoff = lines_of(log, "cutoff");
  ASSERT_EQ(cutoff.size(), 1u);
  EXPECT_EQ(as_float(cutoff[0][1]), d.cutoff_mhz);
  EXPECT_EQ(as_float(cutoff[0][2]), d.ripple_db);
  const auto reference = lines_of(log, "reference");
  ASSERT_EQ(reference.size(), 1u);
  EXPECT_EQ(as_float(reference[0][1]), d.rs);
  EXPECT_EQ(as_float(reference[0][2]), d.rl);
  const auto f = lines_of(log, "frequencies");
  ASSERT_EQ(f.size(), 1u);
  ASSERT_EQ(f[0].size(), 2 + d.f_mhz.size());
  EXPECT_EQ(f[0][1], std::to_string(d.f_mhz.size()));
  for (std::size_t k = 0; k < d.f_mhz.size(); ++k) EXPECT_EQ(as_float(f[0][2 + k]), d.f_mhz[k]);
  EXPECT_NE(log.find("help ok"), std::string::npos) << log;
}

}  // namespace
}  // namespace mx
