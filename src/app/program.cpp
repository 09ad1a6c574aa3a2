// The main cycle: the dialog asks for one design cycle, the cycle computes
// (synthesis or sweep) and prints its report, then a menu chooses what the
// next cycle does.
#include "app/program.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <thread>

#include "analysis/sweep.h"
#include "app/coax_lines.h"
#include "app/manufacturability.h"
#include "app/result_files.h"
#include "app/standard_values_run.h"
#include "base/fields.h"
#include "base/program_exit.h"
#include "design_file/design_file.h"
#include "dialog/dialog.h"
#include "dialog/operation_menus.h"
#include "model/design_record.h"
#include "report/analysis_report.h"
#include "report/dimension_report.h"
#include "report/report.h"
#include "report/report_file.h"
#include "report/synthesis_report.h"
#include "synthesis/ladder.h"
#include "synthesis/stepped_line.h"

namespace mx {
namespace {

// Pads or cuts text to exactly width characters.
std::string padded(std::string_view text, std::size_t width) {
  std::string line(width, ' ');
  text = text.substr(0, width);
  std::copy(text.begin(), text.end(), line.begin());
  return line;
}

// The response label of the cycle's title lines.
void set_response_label(DesignRecord& ds) {
  const Control& c = ds.control;
  // The analysis of the design just made keeps its label.
  if (c.next == NextOperation::kAskFrequencies || c.next == NextOperation::kFromConfiguration)
    return;
  if (c.function == Function::kAnalysis)
    ds.labels.response = padded("User-defined", 20);
  else if (c.function == Function::kSynthesis && c.response == Response::kChebyshev)
    ds.labels.response = padded(" Chebyschev", 20);
  else if (c.function == Function::kSynthesis && c.response == Response::kButterworth)
    ds.labels.response = padded("Butterworth", 20);
  else if (c.function == Function::kSynthesis && c.response == Response::kBessel)
    ds.labels.response = padded("Bessel", 20);
  else if (c.function == Function::kSynthesis && c.response == Response::kLegendre)
    ds.labels.response = padded("Legendre", 20);
  else if (c.function == Function::kSynthesis && c.response == Response::kElliptic)
    ds.labels.response = padded("Elliptic", 20);
}

// Threads of a sweep: the --threads option when given, else the environment
// variable MANDRELIX_THREADS, else every core.
int sweep_thread_count(const RunOptions& options) {
  if (options.threads > 0) return options.threads;
  return sweep_threads(std::getenv("MANDRELIX_THREADS"), std::thread::hardware_concurrency());
}

class Cycle {
 public:
  Cycle(Console& con, DesignRecord& ds, ReportFile& file, ResultFiles& results,
        const RunOptions& options, std::ostream& err)
      : con_(con),
        ds_(ds),
        file_(file),
        results_(results),
        options_(options),
        err_(err),
        threads_(sweep_thread_count(options)) {}

  // One design cycle after the dialog; false when the program is to end.
  bool report_and_menu();
  // A design file's cycles end with their reports and result files: no menu.
  void skip_menus() { menus_ = false; }
  // False after a distributed synthesis that could not be completed.
  bool synthesis_completed() const {
    return ds_.control.option != Option::kDistributed || stepped_.code == Realizability::kDone;
  }

 private:
  void warn_of_coaxial_analysis(std::span<const SweepRow> rows);
  bool electrical_synthesis(Report& r);
  bool distributed_synthesis(Report& r);

  Console& con_;
  DesignRecord& ds_;
  ReportFile& file_;
  ResultFiles& results_;
  const RunOptions& options_;
  std::ostream& err_;          // warnings of the design (manufacturability.h)
  int threads_;                // of a sweep
  SteppedLineResult stepped_;  // the last distributed synthesis (its end steps feed the analysis)
  bool menus_ = true;
};

bool Cycle::report_and_menu() {
  Report r(con_.out(), file_.out(), ds_.control.store_report);
  print_report_header(r, ds_.run_date);
  if (ds_.control.function == Function::kAnalysis) {
    const EndSteps ends{stepped_.cap_high_source, stepped_.cap_high_load};
    ds_.labels.kind = ds_.control.option == Option::kElectrical ? "ELECTRICAL " : "DISTRIBUTED";
    const SweepRows rows = sweep_and_print_analysis(r, ds_, ends, SweepOptions{threads_});
    file_.check();
    results_.analysis(ds_, rows);
    results_.tolerance_study(ds_, ends, threads_);
    results_.fit(ds_, ends, rows, threads_);
    warn_of_coaxial_analysis(rows);
    if (!menus_) return false;
    const Origin o = ds_.control.origin;
    const bool short_menu = o == Origin::kDistributedSynthesis ||
                            o == Origin::kDistributedEntered || o == Origin::kLumpedEntered;
    const MenuChoice c =
        short_menu ? short_analysis_menu(con_, ds_) : long_analysis_menu(con_, ds_);
    return c == MenuChoice::kNextCycle;
  }

  DesignData& s = ds_.design;
  // Only a design file names a computed response, and its reader has made
  // sure that the ladder can be made; a refusal here is a fault.
  const std::string refusal = synthesize_design_ladder(ds_.ladder, s, ds_.control.response);
  if (!refusal.empty()) throw ProgramExit{1, "mandrelix: design: " + refusal};
  print_synthesis_heading(r, ds_);
  if (ds_.control.option != Option::kDistributed) return electrical_synthesis(r);
  return distributed_synthesis(r);
}

void Cycle::warn_of_coaxial_analysis(std::span<const SweepRow> rows) {
  if (ds_.control.option != Option::kDistributed || !shop_warnings_asked(options_)) return;
  const bool synthesized = ds_.control.origin == Origin::kDistributedSynthesis;
  const CoaxFilterLines lines = synthesized ? synthesized_lines(ds_) : entered_lines(ds_);
  if (!synthesized) print_warnings(err_, design_warnings(lines, options_));
  float highest = 0.0f;
  for (const SweepRow& row : rows) highest = std::max(highest, row.f_mhz);
  print_warnings(err_, analysis_warnings(lines, highest));
}

bool Cycle::electrical_synthesis(Report& r) {
  ds_.control.origin = Origin::kElectricalSynthesis;
  // Standard values: the table shows the exact ladder; the record keeps the chosen one.
  const DesignRecord exact = ds_;
  const std::optional<StandardValuesReport> standard = snap_to_standard_values(ds_);
  print_element_table(r, exact, standard ? &*standard : nullptr);
  file_.check();
  results_.electrical_synthesis(ds_);
  if (!menus_) return false;
  return electrical_synthesis_menu(con_, ds_) == MenuChoice::kNextCycle;
}

bool Cycle::distributed_synthesis(Report& r) {
  synthesize_stepped_line(ds_, stepped_);
  if (stepped_.code != Realizability::kDone) {
    // Only the console hears of an unrealizable design; the report file keeps
    // the heading and design block of this cycle and nothing more.
    print_realizability_message(r.console_out(), ds_, stepped_);
    file_.check();
    if (!menus_) return false;
    return realizability_menu(con_, ds_) == MenuChoice::kNextCycle;
  }
  print_dimension_report(r, ds_, stepped_);
  file_.check();
  const EndSteps ends{stepped_.cap_high_source, stepped_.cap_high_load};
  // With --em-correct the files describe the full-wave corrected filter; the dialog keeps its own.
  const std::optional<DesignRecord> corrected = results_.full_wave_correction(ds_, ends);
  const DesignRecord& made = corrected ? *corrected : ds_;
  results_.distributed_synthesis(made, stepped_, corrected.has_value());
  results_.tolerance_study(made, ends, threads_);
  if (shop_warnings_asked(options_))
    print_warnings(err_, design_warnings(synthesized_lines(ds_), options_));
  if (!menus_) return false;
  for (;;) {
    const MenuChoice c = distributed_synthesis_menu(con_, ds_);
    if (c != MenuChoice::kListing) return c == MenuChoice::kNextCycle;
    print_diagnostic_listing(con_.out(), ds_, stepped_, lumped_equivalents(ds_, stepped_));
  }
}

// Connects the report file the cycle stores in. A person at a terminal whose
// name cannot be opened, or names a result file written before (the report
// would replace it), is told so in one line and asked for another name;
// otherwise the run ends (ProgramExit, status 2).
void connect_report_file(Console& con, DesignRecord& ds, ReportFile& file,
                         const ResultFiles& results) {
  static const Format kName("(11X,'Enter your FILENAME for Output Data Storage: ')");
  for (;;) {
    try {
      if (results.written(ds.files.report))
        throw ProgramExit{2, "file error: the report file \"" +
                                 std::string(ds.files.report.trimmed()) +
                                 "\" would replace a result file written before"};
      file.connect(ds.files.report);
      return;
    } catch (const ProgramExit& e) {
      if (!con.forgiving()) throw;
      con.out().stream() << "      " << e.message << "; please give another name.\n";
    }
    for (;;) {
      con.prompt(kName);
      const Name20 name = con.read_name();
      if (!name.blank() && !is_reserved_name(name)) {
        ds.files.report = name;
        break;
      }
    }
  }
}

// A run of a design file: its synthesis, or the circuit file it names, and
// the analysis it asks for, each reported as a cycle of the dialog reports
// it. A file that cannot be used is named in one line on err before anything
// is printed or written (status 1); so is a coaxial filter that cannot be
// built (its report says why; nothing of it is analysed).
int run_design_file(const std::filesystem::path& file, const std::filesystem::path& workdir,
                    const Clock& clock, DesignRecord& ds, Cycle& cycle, std::ostream& err) {
  DesignFile spec;
  try {
    spec = read_design_file(file, workdir, ds);
  } catch (const SpecError& e) {
    err << "mandrelix: " << e.what() << '\n';
    return 1;
  }
  ds.run_date = clock.now();
  ds.labels.design = "Low Pass ";
  set_response_label(ds);
  cycle.skip_menus();
  cycle.report_and_menu();
  if (!cycle.synthesis_completed()) {
    err << "mandrelix: " << file.string() << ": the coaxial filter cannot be built"
        << (spec.analyse ? " and is not analysed" : "") << " (the report says why)\n";
    return 1;
  }
  if (spec.circuit_file || !spec.analyse) return 0;
  prepare_analysis(spec, ds);
  set_response_label(ds);
  cycle.report_and_menu();
  return 0;
}

}  // namespace

int run_program(std::istream& in, std::ostream& out, std::ostream& err, const Clock& clock,
                const std::filesystem::path& workdir, const RunOptions& options) {
  DesignRecord ds;
  Console console(in, out);
  console.set_forgiving(options.interactive);
  ReportFile file(workdir);
  DialogContext ctx{console, clock, workdir, [&file] { file.flush(); }};
  ResultFiles results(options, err, workdir);
  Cycle cycle(console, ds, file, results, options, err);
  int status = 0;
  try {
    if (options.spec) status = run_design_file(*options.spec, workdir, clock, ds, cycle, err);
    for (; !options.spec;) {
      run_dialog(ds, ctx);
      if (ds.control.next == NextOperation::kEndRun) {
        status = 1;  // a defaults or circuit data file was rejected with its message
        break;
      }
      if (ds.control.store_report) connect_report_file(console, ds, file, results);
      ds.labels.design = "Low Pass ";
      set_response_label(ds);
      if (!cycle.report_and_menu()) break;
    }
    out.flush();
    file.close();
    if (status == 0 && results.failed()) status = 2;
  } catch (const ProgramExit& e) {
    out.flush();
    if (!e.message.empty()) err << e.message << '\n';
    status = e.status;
    try {
      file.close();
    } catch (const ProgramExit&) {
    }
  }
  return status;
}

}  // namespace mx
