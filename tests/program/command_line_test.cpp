// The command line: parse_command_line and result_folders_exist as
// functions, and the built program as a process where the process matters
// (exit status, what reaches stdout and stderr, which folder is used).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/result_names.h"
#include "session.h"

#ifndef MANDRELIX_BINARY
#error "MANDRELIX_BINARY must name the built program"
#endif

namespace mxtest {
namespace {

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

// One line of text: a single line end, at the end.
bool one_line(const std::string& text) { return count_of(text, "\n") == 1 && text.back() == '\n'; }

// ---- parse_command_line ---------------------------------------------------------

struct Parsed {
  mx::CommandLine cl;
  std::string out, err;
};

Parsed parse(std::vector<const char*> args) {
  args.insert(args.begin(), "mandrelix");
  std::ostringstream out, err;
  Parsed p{mx::parse_command_line(static_cast<int>(args.size()), args.data(), out, err), "", ""};
  p.out = out.str();
  p.err = err.str();
  return p;
}

TEST(ParseCommandLine, NoOptionsIsTheDialogInTheCurrentFolder) {
  const Parsed p = parse({});
  EXPECT_FALSE(p.cl.exit_now);
  EXPECT_EQ(p.cl.directory, fs::path("."));
  const mx::RunOptions& o = p.cl.options;
  EXPECT_FALSE(o.touchstone || o.csv || o.save_circuit || o.plot || o.drawing);
  EXPECT_EQ(o.threads, 0);
  EXPECT_FALSE(o.length_tol_in || o.diameter_tol_in || o.min_section_in || o.min_wall_in ||
               o.power_w);
  EXPECT_FALSE(o.tolerance || o.trials || o.random_state || o.component_tol_pct || o.pass_mhz ||
               o.pass_db || o.stop_mhz || o.stop_db);
  EXPECT_FALSE(o.normal_errors);
  EXPECT_FALSE(o.interactive);  // main() decides that from standard input
  EXPECT_EQ(p.out + p.err, "");
}

TEST(ParseCommandLine, EveryOptionReachesTheRunOptions) {
  const Parsed p = parse({"-C",
                          "work",
                          "--touchstone",
                          "resp.s2p",
                          "--csv=sweep.csv",
                          "--save-circuit",
                          "out/filter.lef",
                          "--plot",
                          "plot.svg",
                          "--drawing",
                          "filter.dxf",
                          "--em-model",
                          "filter.py",
                          "--threads",
                          "3",
                          "--length-tol",
                          "0.002",
                          "--diameter-tol",
                          "0",
                          "--min-section",
                          "0.02",
                          "--min-wall",
                          "0.008",
                          "--power",
                          "2000",
                          "--em-correct",
                          "fw.json",
                          "--em-resolution",
                          "converged"});
  ASSERT_FALSE(p.cl.exit_now) << p.err;
  EXPECT_EQ(p.cl.directory, fs::path("work"));
  const mx::RunOptions& o = p.cl.options;
  EXPECT_EQ(o.touchstone, fs::path("resp.s2p"));
  EXPECT_EQ(o.csv, fs::path("sweep.csv"));
  EXPECT_EQ(o.save_circuit, fs::path("out/filter.lef"));
  EXPECT_EQ(o.plot, fs::path("plot.svg"));
  EXPECT_EQ(o.drawing, fs::path("filter.dxf"));
  EXPECT_EQ(o.em_model, fs::path("filter.py"));
  EXPECT_EQ(o.threads, 3);
  EXPECT_EQ(o.length_tol_in, 0.002f);
  EXPECT_EQ(o.diameter_tol_in, 0.0f);
  EXPECT_EQ(o.min_section_in, 0.02f);
  EXPECT_EQ(o.min_wall_in, 0.008f);
  EXPECT_EQ(o.power_w, 2000.0f);
  EXPECT_EQ(o.em_correct, fs::path("fw.json"));
  EXPECT_EQ(o.em_resolution, "converged");
  EXPECT_EQ(p.out + p.err, "");

  EXPECT_EQ(parse({"--directory", "elsewhere"}).cl.directory, fs::path("elsewhere"));
  EXPECT_EQ(parse({"--concentricity", "0.001"}).cl.options.concentricity_in, 0.001f);
  EXPECT_EQ(parse({"--plot", "p.svg", "--reference-ohm", "49.99276"}).cl.options.reference_ohm,
            49.99276);
}

TEST(ParseCommandLine, HelpShowsUsageAndAnExampleOfEveryOption) {
  const Parsed p = parse({"--help"});
  EXPECT_TRUE(p.cl.exit_now);
  EXPECT_EQ(p.cl.exit_status, 0);
  EXPECT_EQ(p.err, "");
  EXPECT_NE(p.out.find("Usage: mandrelix [OPTIONS]"), std::string::npos) << p.out;
  const std::size_t options_at = p.out.find("Options:");
  const std::size_t examples_at = p.out.find("Examples:");
  ASSERT_NE(options_at, std::string::npos) << p.out;
  ASSERT_NE(examples_at, std::string::npos) << p.out;
  const std::string examples = p.out.substr(examples_at);

  // Every option listed (its long name, or its short one) has an example line.
  std::istringstream listed(p.out.substr(options_at, examples_at - options_at));
  std::set<std::string> options;
  for (std::string line; std::getline(listed, line);) {
    if (line.rfind("  -", 0) != 0) continue;
    std::istringstream names(line.substr(2, line.find_first_of(" :", 2) - 2));
    std::string name;
    bool shown = false;
    while (std::getline(names, name, ',')) {
      options.insert(name);
      shown = shown || examples.find("  mandrelix " + name + " ") != std::string::npos;
    }
    EXPECT_TRUE(shown) << "no example of " << line << "\n" << examples;
  }
  for (const char* name : {"-C",
                           "--directory",
                           "--touchstone",
                           "--csv",
                           "--save-circuit",
                           "--plot",
                           "--drawing",
                           "--threads",
                           "--length-tol",
                           "--diameter-tol",
                           "--tolerance",
                           "--trials",
                           "--random-state",
                           "--component-tol",
                           "--distribution",
                           "--pass-mhz",
                           "--pass-db",
                           "--stop-mhz",
                           "--stop-db",
                           "--min-section",
                           "--min-wall",
                           "--power",
                           "--em-model",
                           "--help",
                           "--version",
                           "--em-correct",
                           "--em-resolution",
                           "--concentricity",
                           "--fit",
                           "--fit-report",
                           "--fit-diameters",
                           "--fit-magnitude-only",
                           "--fit-step-scale",
                           "--fit-reference"})
    EXPECT_TRUE(options.count(name)) << name << " is not listed:\n" << p.out;
}

TEST(ParseCommandLine, VersionShowsNameAndVersion) {
  const Parsed p = parse({"--version"});
  EXPECT_TRUE(p.cl.exit_now);
  EXPECT_EQ(p.cl.exit_status, 0);
  EXPECT_EQ(p.out, std::string(mx::kProgramVersion) + "\n");
  EXPECT_EQ(p.out.rfind("Mandrelix ", 0), 0u);
  EXPECT_EQ(p.err, "");
}

TEST(ParseCommandLine, BadCommandLineIsOneLineAndStatus2) {
  const std::vector<std::vector<const char*>> bad = {
      {"--bogus"},                                       // unknown option
      {"-x"},                                            // unknown short option
      {"--csv"},                                         // missing value
      {"--touchstone", "a", "--csv"},                    // missing value after a good option
      {"-C"},                                            // missing folder
      {"--threads", "0"},                                // out of range
      {"--threads", "many"},                             // not a number
      {"--length-tol", "-0.001"},                        // a negative tolerance
      {"--diameter-tol", "nan"},                         // not a finite number
      {"--diameter-tol", "1mil"},                        // not a number
      {"--tolerance", "y.csv"},                          // neither .txt nor .json
      {"--tolerance", "y.txt", "--trials", "0"},         // zero trials
      {"--tolerance", "y.txt", "--trials", "-5"},        // negative trials
      {"--tolerance", "y.txt", "--trials", "many"},      // not a number
      {"--trials", "100"},                               // no study to run
      {"--tolerance", "y.txt", "--random-state", "-1"},  // not a whole number >= 0
      {"--tolerance", "y.txt", "--random-state", "99999999999999999999"},  // beyond 64 bits
      {"--tolerance", "y.txt", "--pass-mhz", "1e-50", "--pass-db", "1"},   // zero as a float
      {"--tolerance", "y.txt", "--component-tol", "-1"},                   // negative tolerance
      {"--tolerance", "y.txt", "--component-tol", "100"},                  // all of the value
      {"--tolerance", "y.txt", "--distribution", "cauchy"},                // no such distribution
      {"--tolerance", "y.txt", "--pass-mhz", "900"},  // a mask frequency without its loss
      {"--tolerance", "y.txt", "--pass-db", "0.5"},   // a mask loss without its frequency
      {"--tolerance", "y.txt", "--pass-mhz", "0", "--pass-db", "1"},  // not above zero
      {"--tolerance", "y.txt", "--pass-mhz", "900", "--pass-db", "inf"},
      {"--tolerance", "y.txt", "--stop-mhz", "1500", "--stop-db", "30"},  // a stopband alone
      {"--tolerance", "y.txt", "--pass-mhz", "900", "--pass-db", "0.5", "--stop-mhz", "800",
       "--stop-db", "30"},                                         // a stopband inside the passband
      {"--length-tol", "1e39"},                                    // beyond a float
      {"--concentricity", "-0.001"},                               // a negative zone
      {"--min-section", "-1"},                                     // a negative minimum
      {"--min-wall", "inf"},                                       // not finite
      {"--power", "0"},                                            // no power
      {"--spec", "no-such-design.toml"},                           // no design file there
      {"--power", "-50"},                                          // a negative power
      {"answers.txt"},                                             // a stray argument
      {"--em-correct", "fw.txt"},                                  // not .json
      {"--em-correct", "fw.json", "--em-resolution", "medium"},    // no such mesh
      {"--em-resolution", "coarse"},                               // no correction to run
      {"--allocate-tolerances", "a.json"},                         // no study
      {"--tolerance", "y.txt", "--allocate-tolerances", "a.txt"},  // not .json
      {"--tolerance", "y.txt", "--target-yield", "95"},            // no allocation
      {"--tolerance", "y.txt", "--allocate-tolerances", "a.json", "--target-yield", "100"},
      {"--tolerance", "y.txt", "--allocate-tolerances", "a.json", "--target-yield", "0"},
      {"--tolerance", "y.txt", "--allocate-tolerances", "a.json", "--finest-length-tol", "0"},
      {"--tolerance", "y.txt", "--allocate-tolerances", "a.json", "--finest-diameter-tol",
       "0.02"},  // coarser than the ceiling
      {"--tolerance", "y.txt", "--allocate-tolerances", "a.json", "--cost-weights", "1"},
      {"--tolerance", "y.txt", "--allocate-tolerances", "a.json", "--cost-weights", "1,0"},
      {"--tolerance", "y.txt", "--allocate-tolerances", "a.json", "--cost-weights", "1,x"},
      {"--tolerance", "y.txt", "--allocate-tolerances", "a.json", "--cost-weights", "-1,2"},
      {"--tolerances", "/nonexistent/tolerances.json"},  // cannot be read
      {"--fit", "m.s2p"},                                // a fit without its report
      {"--fit-report", "f.txt"},                         // a report without a measurement
      {"--fit", "m.s2p", "--fit-report", "f.csv"},       // neither .txt nor .json
      {"--fit-diameters"},                               // no fit to free them in
      {"--fit-reference", "n.s2p"},                      // no fit to refer
      {"--fit", "m.s2p", "--fit-report", "f.txt", "--fit-step-scale", "all"},
      {"--csv", "s.csv", "--reference-ohm", "0"},       // no impedance
      {"--csv", "s.csv", "--reference-ohm", "-50"},     // a negative one
      {"--csv", "s.csv", "--reference-ohm", "nan"},     // not finite
      {"--csv", "s.csv", "--reference-ohm", "1e7"},     // beyond any port
      {"--csv", "s.csv", "--reference-ohm", "50ohm"},   // not a number
      {"--reference-ohm", "50"},                        // no file it refers
      {"--drawing", "f.dxf", "--reference-ohm", "50"},  // nor with a drawing
  };
  for (const auto& args : bad) {
    std::string shown;
    for (const char* a : args) (shown += ' ') += a;
    SCOPED_TRACE("mandrelix" + shown);
    const Parsed p = parse(args);
    EXPECT_TRUE(p.cl.exit_now);
    EXPECT_EQ(p.cl.exit_status, 2);
    EXPECT_EQ(p.out, "");
    EXPECT_TRUE(one_line(p.err)) << p.err;
    EXPECT_EQ(p.err.rfind("mandrelix: ", 0), 0u) << p.err;
    EXPECT_NE(p.err.find("mandrelix --help"), std::string::npos) << p.err;
  }
}

TEST(ToleranceOptions, ReachTheRunOptions) {
  const Parsed good = parse({"--tolerance", "Y.JSON", "--trials", "20", "--random-state", "7",
                             "--component-tol", "2.5", "--distribution", "normal", "--pass-mhz",
                             "900", "--pass-db", "0.5", "--stop-mhz", "1500", "--stop-db", "30"});
  ASSERT_FALSE(good.cl.exit_now) << good.err;
  const mx::RunOptions& o = good.cl.options;
  EXPECT_EQ(*o.tolerance, fs::path("Y.JSON"));
  EXPECT_EQ(*o.trials, 20);
  EXPECT_EQ(*o.random_state, 7u);
  EXPECT_EQ(*o.component_tol_pct, 2.5f);
  EXPECT_TRUE(o.normal_errors);
  EXPECT_EQ(*o.stop_db, 30.0f);
}

TEST(ToleranceOptions, AllocationOptionsReachTheRunOptions) {
  const Parsed p = parse({"--tolerance", "y.txt", "--allocate-tolerances", "A.JSON",
                          "--target-yield", "99", "--finest-length-tol", "0.0005",
                          "--finest-diameter-tol", "0.0002", "--cost-weights", "1,2.5"});
  ASSERT_FALSE(p.cl.exit_now) << p.err;
  const mx::RunOptions& o = p.cl.options;
  EXPECT_EQ(*o.allocate_tolerances, fs::path("A.JSON"));
  EXPECT_EQ(*o.target_yield_pct, 99.0);
  EXPECT_EQ(*o.finest_length_tol_in, 0.0005);
  EXPECT_EQ(*o.finest_diameter_tol_in, 0.0002);
  EXPECT_EQ(*o.cost_weights, std::make_pair(1.0, 2.5));
}

TEST(ToleranceOptions, TolerancesFileIsReadBeforeTheDialogAndABadOneIsOneLine) {
  TempDir dir;
  auto file = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir / name) << text;
    return (dir / name).string();
  };
  const std::string good =
      file("good.json", R"({"tolerances": [{"dimension": "D low", "tolerance_in": 0.0002}]})");
  const Parsed p = parse({"--tolerances", good.c_str()});
  ASSERT_FALSE(p.cl.exit_now) << p.err;
  ASSERT_EQ(p.cl.options.own_tolerances.size(), 1u);
  EXPECT_EQ(p.cl.options.own_tolerances[0].dimension, "D low");
  for (const std::string& text :
       {std::string("not json"),
        std::string(R"({"tolerances": [{"dimension": "Q1", "tolerance_in": 1e-3}]})"),
        std::string(R"({"tolerances": [{"dimension": "L1", "tolerance_in": -1e-3}]})"),
        std::string(R"({"tolerances": [{"dimension": "L1", "tolerance_in": "tight"}]})")}) {
    SCOPED_TRACE(text);
    const std::string bad = file("bad.json", text);
    const Parsed b = parse({"--tolerances", bad.c_str()});
    EXPECT_TRUE(b.cl.exit_now);
    EXPECT_EQ(b.cl.exit_status, 2);
    EXPECT_TRUE(one_line(b.err)) << b.err;
    EXPECT_EQ(b.err.rfind("mandrelix: --tolerances " + bad + ": ", 0), 0u) << b.err;
  }
}

TEST(FitOptions, ReachTheRunOptions) {
  const Parsed good =
      parse({"--fit", "m.s2p", "--fit-report", "F.JSON", "--fit-diameters", "--fit-magnitude-only",
             "--fit-step-scale", "per-kind", "--fit-reference", "n.s2p"});
  ASSERT_FALSE(good.cl.exit_now) << good.err;
  const mx::RunOptions& o = good.cl.options;
  EXPECT_EQ(*o.fit, fs::path("m.s2p"));
  EXPECT_EQ(*o.fit_report, fs::path("F.JSON"));
  EXPECT_TRUE(o.fit_diameters);
  EXPECT_TRUE(o.fit_magnitude_only);
  EXPECT_EQ(o.fit_step_scale, 2);
  EXPECT_EQ(*o.fit_reference, fs::path("n.s2p"));
  const Parsed plain = parse({"--fit", "m.s2p", "--fit-report", "f.txt"});
  EXPECT_EQ(plain.cl.options.fit_step_scale, 0);  // the factor held at 1
  EXPECT_FALSE(plain.cl.options.fit_diameters || plain.cl.options.fit_magnitude_only);
}

// ---- result_folders_exist ---------------------------------------------------------

TEST(ResultFolders, MissingFolderOrAFolderAsFileIsOneLine) {
  TempDir dir;
  fs::create_directory(dir / "out");
  mx::RunOptions o;
  std::ostringstream err;
  o.touchstone = dir / "out" / "r.s2p";
  o.csv = "plain-name.csv";  // in the current folder
  EXPECT_TRUE(mx::result_folders_exist(o, err));
  EXPECT_EQ(err.str(), "");

  o.plot = dir / "nodir" / "p.svg";
  EXPECT_FALSE(mx::result_folders_exist(o, err));
  EXPECT_TRUE(one_line(err.str())) << err.str();
  EXPECT_NE(err.str().find("nodir"), std::string::npos) << err.str();

  o.plot.reset();
  o.drawing = dir / "out";
  err.str("");
  EXPECT_FALSE(mx::result_folders_exist(o, err));
  EXPECT_TRUE(one_line(err.str())) << err.str();
  EXPECT_NE(err.str().find("it is a folder"), std::string::npos) << err.str();
}

// ---- result_files_distinct ----------------------------------------------------------

TEST(ResultFilesDistinct, TwoOptionsThatWouldWriteOneFileAreRefused) {
  TempDir dir;
  fs::create_directory(dir / "out");
  write_file(dir / "g.s2p", "");
  fs::create_symlink(dir / "g.s2p", dir / "link.csv");
  fs::create_symlink(dir / "nowhere.svg", dir / "dangling.svg");  // written through, it is made
  fs::create_directory_symlink(dir / "out", dir / "alias");
  using File = std::optional<fs::path> mx::RunOptions::*;
  struct Case {
    std::vector<std::pair<File, fs::path>> files;
    const char* shared;  // the file both would write; nullptr: distinct
  };
  const fs::path d = dir.path();
  const Case cases[] = {
      {{{&mx::RunOptions::plot, d / "f.svg"}, {&mx::RunOptions::drawing, d / "f.svg"}}, "f.svg"},
      {{{&mx::RunOptions::touchstone, d / "g.s2p"}, {&mx::RunOptions::csv, d / "g.s2p"}}, "g.s2p"},
      {{{&mx::RunOptions::csv, "./h.csv"}, {&mx::RunOptions::touchstone, "h.csv"}}, "h.csv"},
      {{{&mx::RunOptions::csv, d / "h.csv"}, {&mx::RunOptions::plot, d / "out" / ".." / "h.csv"}},
       "h.csv"},
      {{{&mx::RunOptions::touchstone, d / "g.s2p"}, {&mx::RunOptions::csv, d / "link.csv"}},
       "link.csv"},
      {{{&mx::RunOptions::plot, d / "dangling.svg"}, {&mx::RunOptions::drawing, d / "nowhere.svg"}},
       "nowhere.svg"},
      {{{&mx::RunOptions::csv, d / "out" / "r.csv"},
        {&mx::RunOptions::plot, d / "alias" / "r.csv"}},
       "r.csv"},
      // The second analysis's CSV is the other option's first file, either way round.
      {{{&mx::RunOptions::csv, d / "x.csv"}, {&mx::RunOptions::plot, d / "x-2.csv"}}, "x-2.csv"},
      {{{&mx::RunOptions::csv, d / "x-12.csv"}, {&mx::RunOptions::plot, d / "x.csv"}}, "x-12.csv"},
      {{{&mx::RunOptions::em_model, d / "m.py"}, {&mx::RunOptions::save_circuit, d / "m.py"}},
       "m.py"},
      {{{&mx::RunOptions::tolerance, d / "y.txt"}, {&mx::RunOptions::save_circuit, d / "y.txt"}},
       "y.txt"},
      {{{&mx::RunOptions::em_correct, d / "fw.json"}, {&mx::RunOptions::tolerance, d / "fw.json"}},
       "fw.json"},
      // The envelope beside the plot of a study.
      {{{&mx::RunOptions::plot, d / "p.svg"},
        {&mx::RunOptions::tolerance, d / "t.txt"},
        {&mx::RunOptions::drawing, d / "p-envelope.svg"}},
       "p-envelope.svg"},
      // The fit's report, the fitted circuit beside it and the overlay beside the plot.
      {{{&mx::RunOptions::fit_report, d / "fit.txt"}, {&mx::RunOptions::csv, d / "fit.txt"}},
       "fit.txt"},
      {{{&mx::RunOptions::fit_report, d / "fit.json"},
        {&mx::RunOptions::save_circuit, d / "fit.cxf"}},
       "fit.cxf"},
      {{{&mx::RunOptions::plot, d / "p.svg"},
        {&mx::RunOptions::fit, d / "m.s2p"},
        {&mx::RunOptions::drawing, d / "p-fit.svg"}},
       "p-fit.svg"},
      // Names that never meet.
      {{{&mx::RunOptions::plot, d / "p.svg"}, {&mx::RunOptions::drawing, d / "p-envelope.svg"}},
       nullptr},  // no study, no envelope
      {{{&mx::RunOptions::plot, d / "p.svg"}, {&mx::RunOptions::drawing, d / "p-fit.svg"}},
       nullptr},  // no fit, no overlay
      {{{&mx::RunOptions::csv, d / "a.csv"}, {&mx::RunOptions::touchstone, d / "a.s2p"}}, nullptr},
      {{{&mx::RunOptions::csv, d / "x.csv"}, {&mx::RunOptions::plot, d / "x-1.csv"}}, nullptr},
      {{{&mx::RunOptions::csv, d / "x.csv"}, {&mx::RunOptions::plot, d / "x-02.csv"}}, nullptr},
      {{{&mx::RunOptions::csv, d / "x.csv"}, {&mx::RunOptions::plot, d / "x-b.csv"}}, nullptr},
      {{{&mx::RunOptions::csv, d / "r.csv"}, {&mx::RunOptions::plot, d / "out" / "r.csv"}},
       nullptr},
  };
  for (const Case& c : cases) {
    mx::RunOptions o;
    std::string shown;
    for (const auto& [file, name] : c.files) {
      o.*file = name;
      shown += name.string() + " ";
    }
    SCOPED_TRACE(shown);
    std::ostringstream err;
    EXPECT_EQ(mx::result_files_distinct(o, err), c.shared == nullptr);
    if (!c.shared) {
      EXPECT_EQ(err.str(), "");
      continue;
    }
    EXPECT_TRUE(one_line(err.str())) << err.str();
    EXPECT_EQ(err.str().rfind("mandrelix: --", 0), 0u) << err.str();
    EXPECT_EQ(count_of(err.str(), " --"), 2u) << err.str();  // both options named
    EXPECT_NE(err.str().find(std::string(c.shared) + "\""), std::string::npos) << err.str();
  }
}

TEST(ResultFilesDistinct, AKnownReportFileIsOneOfTheFiles) {
  mx::RunOptions o;
  o.csv = "r.csv";
  std::ostringstream err;
  EXPECT_FALSE(mx::result_files_distinct(o, err, fs::path("r-3.csv")));
  EXPECT_NE(err.str().find("the report file"), std::string::npos) << err.str();
  EXPECT_TRUE(mx::result_files_distinct(o, err, fs::path("r.txt")));
}

// ---- the program as a process -----------------------------------------------------

struct Process {
  int status = -1;
  std::string out, err;
};

// Runs the built program in `cwd` with the arguments and `input` as its
// standard input (a file, so it is not a terminal); its output goes through
// files in `scratch`.
Process run_program_process(const std::vector<std::string>& args, const std::string& input,
                            const fs::path& cwd, const fs::path& scratch) {
  write_file(scratch / "stdin.txt", input);
  const std::string in = (scratch / "stdin.txt").string(), out = (scratch / "stdout.txt").string(),
                    err = (scratch / "stderr.txt").string();
  std::vector<char*> argv;
  std::string binary = MANDRELIX_BINARY;
  argv.push_back(binary.data());
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd_in = open(in.c_str(), O_RDONLY);
    const int fd_out = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int fd_err = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd_in < 0 || fd_out < 0 || fd_err < 0 || chdir(cwd.c_str()) != 0) _exit(126);
    dup2(fd_in, 0);
    dup2(fd_out, 1);
    dup2(fd_err, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  Process p;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    p.status = WEXITSTATUS(status);
  p.out = read_file(out);
  p.err = read_file(err);
  return p;
}

// Every file under a folder with its content.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    files[fs::relative(e.path(), dir).string()] = e.is_regular_file() ? read_file(e.path()) : "/";
  return files;
}

// Analysis of the shipped lumped file with every default, the report stored
// in rep.txt.
const std::string kStoredAnalysis = "1\n1\n2\n\n\n\n\n\n\n\n\n1\nrep.txt\n3\n";

class ProgramProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(work_);
    install_shipped_files(work_);
  }
  Process run(const std::vector<std::string>& args, const std::string& input = kStoredAnalysis) {
    return run_program_process(args, input, work_, scratch_.path());
  }
  TempDir top_, scratch_;
  const fs::path work_ = top_ / "work";
};

TEST_F(ProgramProcess, HelpAndVersionExit0WithoutTheDialog) {
  Process p = run({"--help"});
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.out.rfind("Designs and analyses", 0), 0u) << p.out;
  EXPECT_NE(p.out.find("Examples:"), std::string::npos);
  EXPECT_EQ(p.err, "");

  p = run({"--version"});
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.out, std::string(mx::kProgramVersion) + "\n");
  EXPECT_EQ(p.err, "");
}

TEST_F(ProgramProcess, BadOptionIsOneLineAndTheDialogNeverStarts) {
  const auto before = snapshot(work_);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--bogus"}, {"--touchstone"}, {"--threads", "0"}}) {
    SCOPED_TRACE(args[0]);
    const Process p = run(args);
    EXPECT_EQ(p.status, 2);
    EXPECT_EQ(p.out, "");
    EXPECT_TRUE(one_line(p.err)) << p.err;
  }
  EXPECT_EQ(snapshot(work_), before);
}

TEST_F(ProgramProcess, ResultFileInAMissingFolderWritesNothing) {
  const auto before = snapshot(work_);
  for (const char* option :
       {"--touchstone", "--csv", "--save-circuit", "--plot", "--drawing", "--em-model"}) {
    SCOPED_TRACE(option);
    const Process p = run({option, "nodir/result.out"});
    EXPECT_EQ(p.status, 2);
    EXPECT_EQ(p.out, "");
    EXPECT_EQ(
        p.err,
        "mandrelix: cannot write \"nodir/result.out\": the folder \"nodir\" does not exist\n");
  }
  EXPECT_EQ(snapshot(work_), before);  // no report file, no result file, no folder
}

TEST_F(ProgramProcess, TwoResultOptionsForOneFileWriteNothing) {
  const auto before = snapshot(work_);
  const Process p = run({"--plot", "f.svg", "--drawing", "./f.svg"});
  EXPECT_EQ(p.status, 2);
  EXPECT_EQ(p.out, "");  // the dialog never started
  EXPECT_EQ(p.err,
            "mandrelix: --plot \"f.svg\" and --drawing \"./f.svg\" would write one file, "
            "\"./f.svg\"\n");
  EXPECT_EQ(snapshot(work_), before);
}

TEST_F(ProgramProcess, MissingWorkingFolderIsOneLine) {
  const auto before = snapshot(work_);
  const Process p = run({"-C", "nowhere"});
  EXPECT_EQ(p.status, 2);
  EXPECT_EQ(p.out, "");
  EXPECT_EQ(p.err, "mandrelix: the working folder \"nowhere\" does not exist\n");
  EXPECT_EQ(snapshot(work_), before);
}

// -C: the defaults file and the circuit files are read in DIR and the report
// file is written there; result file names stay relative to the folder the
// program was started in.
TEST_F(ProgramProcess, WorkingFolderOption) {
  fs::create_directory(top_ / "elsewhere");
  // A defaults file of its own in DIR: the sweep by 250 MHz instead of 100.
  std::string def = read_file(work_ / "Mandrelix.DEF");
  const std::size_t step = def.find("100          Fstep");
  ASSERT_NE(step, std::string::npos) << def;
  def.replace(step, 3, "250");
  write_file(work_ / "Mandrelix.DEF", def);

  const Process p = run_program_process({"-C", "../work", "--touchstone", "resp.s2p"},
                                        kStoredAnalysis, top_ / "elsewhere", scratch_.path());
  ASSERT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.err, "mandrelix: wrote S-parameters resp.s2p\n");
  EXPECT_TRUE(fs::exists(work_ / "rep.txt"));
  EXPECT_TRUE(fs::exists(top_ / "elsewhere" / "resp.s2p"));
  EXPECT_FALSE(fs::exists(top_ / "elsewhere" / "rep.txt"));
  EXPECT_FALSE(fs::exists(work_ / "resp.s2p"));
  // 100 to 3000 MHz by 250: 12 rows, in the report and in the file.
  const auto tables = report_tables(p.out);
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(tables[0].size(), 12u);
  EXPECT_EQ(tables[0][1].f_mhz, 350.0);
  EXPECT_EQ(read_touchstone(top_ / "elsewhere" / "resp.s2p").points.size(), 12u);
  EXPECT_NE(read_file(work_ / "rep.txt").find(tables[0][11].text), std::string::npos);
}

// Without -C the same run in a folder without the defaults file stops at once.
TEST_F(ProgramProcess, DefaultsFileIsReadInTheCurrentFolderOnly) {
  fs::create_directory(top_ / "elsewhere");
  const Process p = run_program_process({}, kStoredAnalysis, top_ / "elsewhere", scratch_.path());
  EXPECT_EQ(p.status, 2);
  EXPECT_EQ(p.err, "file error: cannot open the defaults file \"Mandrelix.DEF\"\n");
  EXPECT_TRUE(fs::is_empty(top_ / "elsewhere"));
}

TEST_F(ProgramProcess, TouchstoneNamedLikeTheReportFileIsRefused) {
  const Process p = run({"--touchstone", "rep.txt"});
  EXPECT_EQ(p.status, 2);
  EXPECT_EQ(p.err, "mandrelix: not written: \"rep.txt\" is the report file\n");
  const std::string report = read_file(work_ / "rep.txt");
  EXPECT_EQ(report.find("! "), std::string::npos) << "Touchstone text in the report file";
  const auto tables = report_tables(p.out);
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_NE(report.find(tables[0].back().text), std::string::npos);
}

}  // namespace
}  // namespace mxtest
