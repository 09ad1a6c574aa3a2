// Analysis data entry: the circuit to analyse (a coaxial or lumped circuit,
// typed in or read from a data file), the port impedances, the loss data and
// the frequency range.
#include "base/convert.h"
#include "base/program_exit.h"
#include "base/units.h"
#include "dialog/dialog_run.h"
#include "files/coax_file.h"
#include "files/lumped_file.h"
#include "line/impedance.h"

namespace mx {

namespace {

const Format& attempting() {
  static const Format k("(/,6X,'Attempting to read User Data File: ',A20,'....')");
  return k;
}
const Format& completed() {
  static const Format k("('..Completed.',/,11X,'-Number of sections in Filter (N) =',I3)");
  return k;
}
const Format& filename_prompt() {
  static const Format k("(6X,'for your Filter`s Design (up to 20 characters) = ')");
  return k;
}
const Format& electrical_header() {
  static const Format k("(/,6X,'Please enter the following ELECTRICAL DATA:')");
  return k;
}

}  // namespace

int sweep_step_count(const Sweep& w) {
  const float loops = (w.stop_mhz - w.start_mhz) / w.step_mhz + 0.001f;
  return trunc_int(loops);
}

// A person at a terminal is asked again after a name whose file cannot be
// opened (one line: why) or whose file was rejected (the reader's message);
// a blank answer then only asks again. From a script the first failure ends
// the run: a file that cannot be opened with status 2 (ProgramExit), a
// rejected one with kEndRun. The end of the input ends it anywhere.
bool DialogRun::read_circuit_file(const Format& ask, Name20& name,
                                  const std::function<bool()>& read) {
  for (bool again = false;; again = true) {
    con_.write(ask);
    con_.prompt(filename_prompt());
    const Name20 answer = con_.read_name();
    if (!answer.blank()) {
      name = answer;
    } else if (again) {
      continue;  // the name that failed is not tried twice
    }
    con_.prompt(attempting(), {name});
    ctx_.before_data_file();
    try {
      if (read()) return true;
    } catch (const ProgramExit& e) {
      if (!con_.forgiving()) throw;
      con_.out().stream() << "\n      " << e.message << "; please give another name.\n";
      continue;
    }
    if (!con_.forgiving()) {
      c_.next = NextOperation::kEndRun;
      return false;
    }
  }
}

Step DialogRun::coax_file() {
  static const Format kAsk("(/,6X,'Enter a FILENAME that contains Distributed Circuit Elements')");
  if (!read_circuit_file(kAsk, ds_.files.coaxial,
                         [this] { return read_coax_file(ds_, con_.out(), ctx_.workdir); }))
    return Step::kReturn;
  c_.next = NextOperation::kProgramStart;
  con_.write(completed(), {ds_.design.sections});
  return Step::kEndOfDimensions;
}

Step DialogRun::coax_typed() {
  static const Format kN("(11X,'-Number of Sections in Filter(N<30)= ')");
  static const Format kSection("(/,11X,'---------------- SECTION ',I2,' ---------------- ')");
  static const Format kLength("(11X,'  -Length of Filter Section,Inches = ')");
  static const Format kImag("(11X,'  -Imag. Part of Impedance (Ohms)  = ')");

  EnteredLines& e = ds_.entered;
  const LineKinds& source = ds_.lines;
  con_.write(dimensional_data_heading());
  ask_section_count(kN);
  const int n = ds_.design.sections;
  // The first cycle starts every line from the source line of the defaults.
  const bool first_cycle = c_.next == NextOperation::kProgramStart;
  for (int i = 0; i <= n + 1; ++i) {
    if (i == 0) {
      con_.write(line_banner(), {"--- SOURCE IMPEDANCE ----"});
    } else if (i == n + 1) {
      con_.write(line_banner(), {"---- LOAD IMPEDANCE -----"});
    } else {
      con_.write(kSection, {i});
      ask_positive(kLength, e.length(i));
    }
    if (first_cycle) e.outer(i) = source.outer(kSourceLine);
    ask_positive(outer_prompt(), e.outer(i));
    if (first_cycle) e.inner(i) = source.inner(kSourceLine);
    ask_inner_diameter(con_, e.outer(i), e.inner(i));
    // A line whose dielectric constant was never set starts, like the first
    // cycle, from the source line's.
    if (first_cycle || e.er(i) < 1.0f) e.er(i) = source.er(kSourceLine);
    ask_at_least_one(er_prompt(), e.er(i));

    const bool outer_missing = e.outer(i) == 0 && e.inner(i) != 0;
    const bool inner_missing = e.inner(i) == 0 && e.outer(i) != 0;
    if (outer_missing || inner_missing)
      ask_missing_diameter(con_, e.outer(i), e.inner(i), e.er(i), e.zo(i), &source.zo(kSourceLine));
    if (e.outer(i) != 0 && e.inner(i) != 0) {
      e.zo(i) = line_impedance(e.outer(i), e.inner(i), e.er(i));
      con_.write(zo_result(), {e.zo(i)});
    }
    if (i == 0) ask_direct(kImag, ds_.ports.xs);
    if (i == n + 1) ask_direct(kImag, ds_.ports.xl);
  }
  return Step::kEndOfDimensions;
}

Step DialogRun::end_of_dimensions() {
  static const Format kGap("(/)");
  ds_.ports.rs = ds_.entered.zo(0);
  ds_.ports.rl = ds_.entered.zo(ds_.design.sections + 1);
  con_.write(kGap);
  return Step::kLossAndFrequencies;
}

Step DialogRun::lumped_typed() {
  static const Format kN("(11X,'-Number of sections in Filter(N<30)= ')");
  con_.write(electrical_header());
  ask_section_count(kN);
  return Step::kConfiguration;
}

Step DialogRun::element_values() {
  static const Format kShunt("(11X,'-Value of Shunt  Capacitor #',I2,', pF = ')");
  static const Format kSeries("(11X,'-Value of Series Inductor  #',I2,', nH = ')");
  // A typed ladder has plain arms only.
  ds_.ladder.tank_pf.fill(0.0f);
  ds_.ladder.trap_nh.fill(0.0f);
  for (int k = 1; k <= ds_.design.sections; ++k) {
    // Standard circuit: shunt capacitors at odd positions; dual: at even ones.
    const bool shunt = c_.configuration == Configuration::kDual ? (k % 2 == 0) : (k % 2 == 1);
    if (shunt) {
      con_.prompt(kShunt, {k});
      read_positive(ds_.ladder.shunt_pf(k));
    } else {
      con_.prompt(kSeries, {k});
      read_positive(ds_.ladder.series_nh(k));
    }
  }
  return c_.next == NextOperation::kReenterElements ? Step::kStorage : Step::kSourceAndLoad;
}

Step DialogRun::element_reentry() {
  con_.write(electrical_header());
  element_values();
  return Step::kStorage;
}

Step DialogRun::lumped_file() {
  static const Format kAsk("(/,6X,'Enter a FILENAME that contains Circuit Elements')");
  static const Format kBadN(
      "(/,6X,'Error exists in filter datafile ',A12,/,6X,'Fix entry for variable N (1<N<31) "
      "and rerun.',/,6X,'See User Manual for a table of variable constraints.')");
  const auto read = [this] {
    if (!read_lumped_file(ds_, con_.out(), ctx_.workdir)) return false;
    if (ds_.design.sections > 1 && ds_.design.sections <= 31) return true;
    con_.write(kBadN, {ds_.files.lumped});
    return false;
  };
  if (!read_circuit_file(kAsk, ds_.files.lumped, read)) return Step::kReturn;
  c_.next = NextOperation::kProgramStart;
  con_.write(completed(), {ds_.design.sections});
  return Step::kSourceAndLoad;
}

Step DialogRun::source_and_load() {
  static const Format kHeader("(/,6X,'Enter complex Source and Load Impedances of Filter:')");
  static const Format kRs("(11X,'-Real  part (Rs), Ohms = ')");
  static const Format kXs("(11X,'-Imag. part (Xs), Ohms = ')");
  static const Format kRl("(11X,'-Real  part (Rl), Ohms = ')");
  static const Format kXl("(11X,'-Imag. part (Xl), Ohms = ')");
  Terminations& t = ds_.ports;
  if (c_.next == NextOperation::kReenterElements) return Step::kStorage;
  t.rs = ds_.design.system_impedance;
  con_.write(kHeader);
  ask_positive(kRs, t.rs);
  ask_direct(kXs, t.xs);
  // The analysis of an electrical synthesis offers the load that terminates
  // the synthesized ladder; an entered lumped circuit keeps the last load.
  if (c_.origin != Origin::kLumpedEntered)
    t.rl =
        c_.configuration == Configuration::kDual ? ds_.ladder.load_dual : ds_.ladder.load_standard;
  ask_positive(kRl, t.rl);
  ask_direct(kXl, t.xl);
  return Step::kLossAndFrequencies;
}

Step DialogRun::loss_and_frequencies() {
  static const Format kLossHeader("(6X,'Please enter the following ELECTRICAL DATA:')");
  static const Format kRes("(11X,'-Conductor Resistivity, micro-Ohm-cm = ')");
  static const Format kSr("(11X,'-RMS Surface Roughness, micro-Inch   = ')");
  static const Format kDltan("(11X,'-Insulator`s Dielectric Loss Tangent = ')");
  static const Format kRange("(/,6X,'Please enter Frequency range for Filter ANALYSIS:')");
  static const Format kStart("(11X, '-Analysis Start Frequency, MHz = ')");
  static const Format kStop("(11X, '-Analysis Stop  Frequency, MHz = ')");
  static const Format kStep("(11X, '-Analysis Step  Frequency, MHz = ')");

  Sweep& w = ds_.sweep;
  const bool coaxial =
      c_.origin == Origin::kDistributedSynthesis || c_.origin == Origin::kDistributedEntered;
  if (!c_.loss_data_given && coaxial) {
    Losses& l = ds_.losses;
    con_.write(kLossHeader);
    float temp = ask(kRes);
    if (temp > 0) l.resistivity = temp / kCmPerInch * 1.0e-6f;
    temp = ask(kSr);
    if (temp > 0) l.roughness = temp * 1.0e-6f;
    ask_positive(kDltan, l.loss_tangent);
  }
  con_.write(kRange);
  ask_positive(kStart, w.start_mhz);
  const float stop = ask(kStop);
  if (stop >= w.start_mhz) w.stop_mhz = stop;
  // A sweep is at most kMaxSweepSteps steps long: a step far too small for
  // the range would otherwise print rows for hours.
  static const Format kTooMany(
      "(/,6X,'ERROR DETECTED: A sweep is limited to 100001 frequencies.',/,22X,'Enter a "
      "larger step frequency.',/)");
  for (;;) {
    ask_positive(kStep, w.step_mhz);
    w.steps = sweep_step_count(w);
    if (w.steps <= kMaxSweepSteps) break;
    con_.write(kTooMany);
  }
  return Step::kStorage;
}

}  // namespace mx
