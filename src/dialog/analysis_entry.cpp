// Analysis data entry: the circuit to analyse (a coaxial or lumped circuit,
// typed in or read from a data file), the port impedances, the loss data and
// the frequency range.
#include "coax/geometry.h"
#include "dialog/dialog_run.h"
#include "files/coax_file.h"
#include "files/lumped_file.h"
#include "model/convert.h"

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

Step DialogRun::coax_file() {
  static const Format kAsk("(/,6X,'Enter a FILENAME that contains Distributed Circuit Elements')");
  con_.write(kAsk);
  con_.prompt(filename_prompt());
  const Name20 fname = con_.read_name();
  if (!fname.blank()) ds_.char1.fnid = fname;
  con_.prompt(attempting(), {ds_.char1.fnid});
  cxeread(ds_, con_.out(), ctx_.workdir);
  if (i1_.isel == -1) return Step::kReturn;
  con_.write(completed(), {i1_.n});
  return Step::kEndOfDimensions;
}

Step DialogRun::coax_typed() {
  static const Format kHeader("(/,6X,'Please enter the following DIMENSIONAL DATA:')");
  static const Format kN("(11X,'-Number of Sections in Filter(N<30)= ')");
  static const Format kSection("(/,11X,'---------------- SECTION ',I2,' ---------------- ')");
  static const Format kLength("(11X,'  -Length of Filter Section,Inches = ')");
  static const Format kImag("(11X,'  -Imag. Part of Impedance (Ohms)  = ')");

  con_.write(kHeader);
  ask_section_count(kN);
  const int n = i1_.n;
  const bool first_cycle = i1_.isel == 0;
  for (int i = 0; i <= n + 1; ++i) {
    if (i == 0) {
      con_.write(line_banner(), {"--- SOURCE IMPEDANCE ----"});
    } else if (i == n + 1) {
      con_.write(line_banner(), {"---- LOAD IMPEDANCE -----"});
    } else {
      con_.write(kSection, {i});
      ask_positive(kLength, r2_.anal(i));
    }
    if (first_cycle) r2_.anab(i) = r2_.synb(0);
    ask_positive(outer_prompt(), r2_.anab(i));
    if (first_cycle) r2_.anad(i) = r2_.synd(0);
    ask_inner_diameter(con_, r2_.anab(i), r2_.anad(i));
    // A line whose dielectric constant was never set starts, like the first
    // cycle, from the source line's.
    if (first_cycle || r2_.anaer(i) < 1.0f) r2_.anaer(i) = r2_.syner(0);
    ask_at_least_one(er_prompt(), r2_.anaer(i));

    const bool outer_missing = r2_.anab(i) == 0 && r2_.anad(i) != 0;
    const bool inner_missing = r2_.anad(i) == 0 && r2_.anab(i) != 0;
    if (outer_missing || inner_missing) {
      const int isyn = outer_missing ? 2 : 1;
      for (;;) {
        r2_.anazo(i) = r2_.synzo(0);
        ask_positive(zo_prompt(), r2_.anazo(i));
        float b = r2_.anab(i);
        float d = r2_.anad(i);
        int ierr = 0;
        cxsyn(b, d, r2_.anaer(i), r2_.anazo(i), isyn, ierr);
        if (ierr != 0) {
          con_.write(unrealizable_zo());
          continue;
        }
        if (isyn == 2) {
          r2_.anab(i) = b;
          con_.write(outer_result(), {r2_.anab(i)});
        } else {
          r2_.anad(i) = d;
          con_.write(inner_result(), {r2_.anad(i)});
        }
        break;
      }
    }
    if (r2_.anab(i) != 0 && r2_.anad(i) != 0) {
      cxzo(r2_.anab(i), r2_.anad(i), r2_.anaer(i), r2_.anazo(i));
      con_.write(zo_result(), {r2_.anazo(i)});
    }
    if (i == 0) ask_direct(kImag, r1_.zis);
    if (i == n + 1) ask_direct(kImag, r1_.zil);
  }
  return Step::kEndOfDimensions;
}

Step DialogRun::end_of_dimensions() {
  static const Format kGap("(/)");
  r1_.zrs = r2_.anazo(0);
  r1_.zrl = r2_.anazo(i1_.n + 1);
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
  for (int k = 1; k <= i1_.n; ++k) {
    // Standard circuit: shunt capacitors at odd positions; dual: at even ones.
    const bool shunt = (i1_.icfg == 2) ? (k % 2 == 0) : (k % 2 == 1);
    if (shunt) {
      con_.prompt(kShunt, {k});
      read_positive(r2_.shuntc(k));
    } else {
      con_.prompt(kSeries, {k});
      read_positive(r2_.serl(k));
    }
  }
  return i1_.isel == 3 ? Step::kStorage : Step::kSourceAndLoad;
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
  con_.write(kAsk);
  con_.prompt(filename_prompt());
  const Name20 fname = con_.read_name();
  if (!fname.blank()) ds_.char1.fnie = fname;
  con_.prompt(attempting(), {ds_.char1.fnie});
  lefread(ds_, con_.out(), ctx_.workdir);
  if (i1_.isel == -1) return Step::kReturn;
  if (i1_.n <= 1 || i1_.n > 31) {
    con_.write(kBadN, {ds_.char1.fnie});
    i1_.isel = -1;
    return Step::kReturn;
  }
  con_.write(completed(), {i1_.n});
  return Step::kSourceAndLoad;
}

Step DialogRun::source_and_load() {
  static const Format kHeader("(/,6X,'Enter complex Source and Load Impedances of Filter:')");
  static const Format kRs("(11X,'-Real  part (Rs), Ohms = ')");
  static const Format kXs("(11X,'-Imag. part (Xs), Ohms = ')");
  static const Format kRl("(11X,'-Real  part (Rl), Ohms = ')");
  static const Format kXl("(11X,'-Imag. part (Xl), Ohms = ')");
  if (i1_.isel == 3) return Step::kStorage;
  r1_.zrs = r1_.zo;
  con_.write(kHeader);
  ask_positive(kRs, r1_.zrs);
  ask_direct(kXs, r1_.zis);
  // The analysis of an electrical synthesis offers the load that terminates
  // the synthesized ladder; an entered lumped circuit keeps the last load.
  if (i1_.ifrom != 5) r1_.zrl = i1_.icfg == 2 ? r1_.rod : r1_.ros;
  ask_positive(kRl, r1_.zrl);
  ask_direct(kXl, r1_.zil);
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

  if (i1_.itime != 2 && (i1_.ifrom == 1 || i1_.ifrom == 2)) {
    con_.write(kLossHeader);
    float temp = ask(kRes);
    if (temp > 0) r1_.res = temp / 2.54f * 1.0e-6f;
    temp = ask(kSr);
    if (temp > 0) r1_.sr = temp * 1.0e-6f;
    ask_positive(kDltan, r1_.dltan);
  }
  con_.write(kRange);
  ask_positive(kStart, r1_.fmin);
  const float stop = ask(kStop);
  if (stop >= r1_.fmin) r1_.fmax = stop;
  // A sweep is at most kMaxSweepSteps steps long: a step far too small for
  // the range would otherwise print rows for hours.
  static const Format kTooMany(
      "(/,6X,'ERROR DETECTED: A sweep is limited to 100001 frequencies.',/,22X,'Enter a "
      "larger step frequency.',/)");
  for (;;) {
    ask_positive(kStep, r1_.fstep);
    const float loops = (r1_.fmax - r1_.fmin) / r1_.fstep + 0.001f;
    i1_.nloops = trunc_int(loops);
    if (i1_.nloops <= kMaxSweepSteps) break;
    con_.write(kTooMany);
  }
  i1_.iformat = 1;
  return Step::kStorage;
}

}  // namespace mx
