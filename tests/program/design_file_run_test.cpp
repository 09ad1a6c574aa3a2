// Runs of a design file (--spec) against the dialog: for the worked example
// and for every shipped sample circuit, the design file and the answers that
// mean the same give the same result files byte for byte, and the reports of
// the design file's run are the dialog's reports. A file that cannot be used
// is refused in one line before anything is printed or written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session.h"

namespace mxtest {
namespace {

// Every line of part among the lines of whole, in order.
bool lines_in_order(const std::string& part, const std::string& whole) {
  std::vector<std::string> w;
  std::size_t start = 0;
  for (std::size_t nl; (nl = whole.find('\n', start)) != std::string::npos; start = nl + 1)
    w.push_back(whole.substr(start, nl - start));
  std::size_t j = 0;
  start = 0;
  for (std::size_t nl; (nl = part.find('\n', start)) != std::string::npos; start = nl + 1) {
    const std::string line = part.substr(start, nl - start);
    while (j < w.size() && w[j] != line) ++j;
    if (j == w.size()) return false;
    ++j;
  }
  return true;
}

// Every result option, named in `folder`.
mx::RunOptions all_results(const fs::path& folder) {
  mx::RunOptions o;
  o.touchstone = folder / "resp.s2p";
  o.csv = folder / "resp.csv";
  o.save_circuit = folder / "filter.out";
  o.plot = folder / "resp.svg";
  o.drawing = folder / "drawing.dxf";
  o.em_model = folder / "model.py";
  o.tolerance = folder / "yield.json";
  o.trials = 40;
  o.threads = 2;
  return o;
}

struct SameDesign {
  const char* name;
  std::string answers;  // the dialog
  std::string spec;     // the design file
};

// The worked example as the shipped defaults give it, a ladder whose count
// comes from its skirt, and an analysis of each shipped sample circuit (coax7.cxf, lumped7.lef).
std::vector<SameDesign> same_designs() {
  const std::string sweep = "[analysis]\nstart_mhz = 10\nstop_mhz = 3000\nstep_mhz = 10\n";
  std::vector<SameDesign> v;
  // Distributed synthesis, Chebyshev; 17 blank answers (the lines, the design
  // data and no storage), then its analysis with the default losses.
  std::vector<std::string> worked = {"", "2", "1"};
  worked.resize(worked.size() + 17, "");
  for (const char* a : {"1", "", "", "", "10", "3000", "10", "", "3"}) worked.push_back(a);
  v.push_back({"worked_example", answer_lines(worked),
               R"(title = "7-section worked example"
[response]
type = "chebyshev"
ripple_db = 0.1
sections = 7
cutoff_mhz = 1000
configuration = "standard"
[terminations]
impedance_ohm = 50
[coax]
source = { outer_in = 0.5, inner_in = 0.2172, er = 1 }
high   = { outer_in = 0.5, inner_in = 0.1, er = 1 }
low    = { inner_in = 0.45, er = 1 }
load   = { outer_in = 0.5, inner_in = 0.2172, er = 1 }
[losses]
resistivity_uohm_cm = 1.72
roughness_uin = 32
loss_tangent = 0.0002
)" + sweep});
  v.push_back({"ladder_from_skirt",
               answer_lines({"", "1", "1", "900", "0.5", "0",  "1400", "35", "75", "", "1",
                             "", "",  "5", "",    "",    "10", "3000", "10", "",   "5"}),
               "[response]\ncutoff_mhz = 900\nripple_db = 0.5\nskirt_mhz = 1400\nskirt_db = 35\n"
               "[terminations]\nimpedance_ohm = 75\n"
               "source_reactance_ohm = 5\n" +
                   sweep});
  for (const auto& e : fs::directory_iterator(shipped_data_dir())) {
    const std::string file = e.path().filename().string();
    const std::string ext = e.path().extension().string();
    if (ext == ".cxf")
      v.push_back({"coaxial_sample",
                   answer_lines({"1", "2", "2", file, "", "", "", "10", "3000", "10", "", "3"}),
                   "[circuit]\ncoaxial_file = \"" + file + "\"\n" + sweep});
    else if (ext == ".lef")
      v.push_back({"lumped_sample",
                   answer_lines({"1", "1", "2", file, "", "", "", "", "10", "3000", "10", "", "3"}),
                   "[circuit]\nlumped_file = \"" + file + "\"\n" + sweep});
  }
  return v;
}

TEST(DesignFileRun, GivesTheDialogsResultFilesAndReports) {
  const std::vector<SameDesign> designs = same_designs();
  ASSERT_EQ(designs.size(), 4u) << "a shipped sample has no design file here";
  for (const SameDesign& d : designs) {
    SCOPED_TRACE(d.name);
    TempDir work, by_dialog, by_spec;
    install_shipped_files(work.path());
    const SessionResult dialog = run_session(d.answers, work.path(), all_results(by_dialog.path()));
    ASSERT_EQ(dialog.status, 0) << dialog.err;
    write_file(work / "design.toml", d.spec);
    mx::RunOptions o = all_results(by_spec.path());
    o.spec = work / "design.toml";
    const SessionResult spec = run_session("", work.path(), o);
    ASSERT_EQ(spec.status, 0) << spec.err;
    EXPECT_TRUE(lines_in_order(spec.out, dialog.out)) << spec.out;

    int files = 0;
    for (const auto& e : fs::directory_iterator(by_dialog.path())) {
      const fs::path other = by_spec / e.path().filename().string();
      ASSERT_TRUE(fs::exists(other)) << other;
      EXPECT_EQ(read_file(e.path()), read_file(other)) << e.path().filename();
      ++files;
    }
    EXPECT_EQ(files, std::distance(fs::directory_iterator(by_spec.path()), {}));
    EXPECT_GE(files, 4);  // at least the S-parameters, sweep, plot and tolerance study
  }
}

TEST(DesignFileRun, RefusesAFileItCannotUseInOneLineBeforeAnything) {
  struct Case {
    const char* spec;
    const char* message;  // after "mandrelix: design.toml"
    bool defaults = true;
  };
  const Case cases[] = {
      {"[response]\nripel_db = 0.1\n",
       ":2: response.ripel_db: unknown key; expected one of type, ripple_db,"},
      {"colour = 1\n", ":1: colour: unknown key"},
      {"[response]\ncutoff_mhz = \"1 GHz\"\n",
       ":2: response.cutoff_mhz: expected a number above 0, not a string"},
      {"[response]\n\nripple_db = -0.1\n", ":3: response.ripple_db: expected a number above 0"},
      {"[response]\ntype = \"bessle\"\n",
       ":2: response.type: expected one of \"chebyshev\", \"butterworth\""},
      {"[response]\nsections = 31\n",
       ":2: response.sections: expected a whole number from 2 to 30"},
      {"[response]\nsections = 5\nskirt_db = 30\n", ":2: response.sections: give either"},
      {"[response]\nskirt_mhz = 900\n", ":2: response.skirt_mhz: expected a skirt frequency above"},
      {"[response]\ntype = \"butterworth\"\nripple_db = 1\n",
       ":3: response.ripple_db: a butterworth response has no passband ripple"},
      {"[coax]\nhigh = { inner_in = 0.6 }\n", ":2: coax.high.inner_in: expected an inner diameter"},
      {"[coax]\nlow = { outer_in = 0.6 }\n", ":2: coax.low.outer_in: unknown key"},
      {"[coax]\nsource = { er = 0.5 }\n", ":2: coax.source.er: expected a dielectric constant"},
      {"[coax]\nhigh = { outer_in = 0.5, inner_in = 0.1, zo_ohm = 90 }\n",
       ":2: coax.high.zo_ohm: give zo_ohm with one diameter"},
      {"[coax]\n[terminations]\nload_ohm = 50\n", ":3: terminations.load_ohm: a coaxial filter"},
      {"[losses]\nloss_tangent = 0\n", ":1: losses: losses belong to coaxial lines"},
      {"[analysis]\nstart_mhz = 500\nstop_mhz = 100\n",
       ":3: analysis.stop_mhz: expected a stop frequency no lower than the start 500 MHz"},
      {"[analysis]\nstep_mhz = 0.001\n", ":2: analysis.step_mhz: expected a larger step"},
      {"[circuit]\nlumped_file = \"lumped7.lef\"\n",
       ":1: circuit: a [circuit] needs an [analysis]"},
      {"[circuit]\ncoaxial_file = \"none.cxf\"\n[analysis]\n",
       ":2: circuit.coaxial_file: file error: cannot open"},
      {"[response]\nsections = [7]\n", ":2: response.sections: expected a whole number"},
      // The computed responses and standard values.
      {"[response]\ntype = \"elliptic\"\nsections = 5\n",
       ":1: response.stopband_db: an elliptic response needs stopband_db"},
      {"[response]\ntype = \"elliptic\"\nsections = 5\nstopband_db = 0.05\n",
       ":1: response: an elliptic response needs a stopband attenuation above the ripple"},
      {"[response]\ntype = \"elliptic\"\nsections = 3\nripple_db = 3\nstopband_db = 200\n",
       ":1: response: an elliptic ladder of order 3 reaches 200 dB only from"},
      {"[response]\ntype = \"bessel\"\nsections = 20\n",
       ":1: response: this response needs an order of 1 to 15, not 20"},
      {"[response]\nstopband_db = 40\n",
       ":2: response.stopband_db: only an elliptic response has a stopband attenuation"},
      {"[response]\ntype = \"legendre\"\nskirt_mhz = 2000\nskirt_db = 40\n",
       ":1: response.sections: a legendre response takes sections, not skirt_mhz"},
      {"[response]\nsnap = \"E7\"\n", ":2: response.snap: expected one of \"E6\", \"E12\""},
      {"[response]\nsnap = \"E12\"\n[coax]\n",
       ":2: response.snap: standard values belong to lumped components"},
      {"[response]\ntype = \"elliptic\"\nstopband_db = 40\n[coax]\n",
       ":1: response.type: an elliptic ladder has resonant arms"},
      {"title = 'a'\ntitle = 'b'\n", ":2: "},  // the parser's own words
      // Text on which the parser, left as it ships, aborts or runs into undefined behaviour.
      {"title = 'x'\n\xC3\xA9 = 1\n", ":2: "},
      {"\xEF\xBB\xAFhe = 1\n", ":1: "},
      {"[\\ua]\n", ":1: "},
      {"t = 1.a'''\xE3\x81\x82\n", ":1: "},
      {"t = \"\"\"\\\xE3\x80\x81\"\"\"\n", ":1: "},
      {"[response]\ncutoff_mhz = 1000\nripple_db = 0.1\nsections = 5\n",
       ": terminations.impedance_ohm: missing, and the working folder has no Mandrelix.DEF", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec);
    TempDir work, results;
    if (c.defaults) install_shipped_files(work.path());
    write_file(work / "design.toml", c.spec);
    mx::RunOptions o = all_results(results.path());
    o.spec = work / "design.toml";
    const SessionResult r = run_session("", work.path(), o);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    const std::string start = "mandrelix: " + (work / "design.toml").string() + c.message;
    EXPECT_EQ(r.err.rfind(start, 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(results.path()), {}), 0);
  }
}

TEST(DesignFileRun, AnUnbuildableCoaxialFilterIsReportedAndNotAnalysed) {
  TempDir work, results;
  install_shipped_files(work.path());
  // A high-impedance line below the system impedance cannot make the inductors.
  write_file(work / "design.toml",
             "[coax]\nhigh = { outer_in = 0.5, inner_in = 0.3 }\n[analysis]\n");
  mx::RunOptions o = all_results(results.path());
  o.spec = work / "design.toml";
  const SessionResult r = run_session("", work.path(), o);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out, "");  // the synthesis heading and the realizability message
  EXPECT_NE(r.err.find("the coaxial filter cannot be built and is not analysed"), std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(results / "resp.s2p"));
}

}  // namespace
}  // namespace mxtest
