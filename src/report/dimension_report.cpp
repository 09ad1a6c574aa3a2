#include "report/dimension_report.h"

#include <string>

#include "base/units.h"
#include "report/line_table.h"
#include "report/shared_formats.h"

namespace mx {
namespace {

bool dual(const DesignRecord& ds) { return ds.control.configuration == Configuration::kDual; }

// Position j is a low-impedance (capacitive) section: the odd positions of the
// standard circuit, the even ones of the dual circuit.
bool capacitive(const DesignRecord& ds, int j) { return dual(ds) ? j % 2 == 0 : j % 2 != 0; }

// Electrical length at the cutoff, degrees, of section j when `length` inches long.
float electrical_length(const DesignRecord& ds, int j, float length) {
  const float v = capacitive(ds, j) ? ds.coax.v_low : ds.coax.v_high;
  return 360.0f * length / (v / (ds.design.cutoff_mhz * kHzPerMHz));
}

// The frequency factor of the junction whose capacitance the synthesis placed
// at step_f(j, end): the source and load junctions of a low-impedance end
// section, otherwise a junction between a high- and a low-impedance section.
float junction_factor(const DesignRecord& ds, int j, int end) {
  const int n = ds.design.sections;
  const CoaxSolution& c = ds.coax;
  if (dual(ds)) {
    if (j == n && end == 2 && n % 2 == 0) return c.factor4;
  } else {
    if (j == 1 && end == 1) return c.factor1;
    if (j == n && end == 2 && n % 2 != 0) return c.factor4;
  }
  return c.factor3;
}

// True when a and b print differently with `decimals` decimals (as an F
// field shows them, rounded from the exact float, wide enough for any value).
bool differ_as_shown(float a, float b, int decimals) {
  std::string ta, tb;
  put_fixed(ta, a, 60, decimals);
  put_fixed(tb, b, 60, decimals);
  return ta != tb;
}

}  // namespace

void print_dimension_report(Report& r, const DesignRecord& ds, const SteppedLineResult& res) {
  static const Format kLoadWarning(
      "(/,6X,'ERROR DETECTED.',/,6X,'Load impedance for a Chebyschev filter with',/,6X,'N=even "
      "is required to be ',F6.2,' ohms.')");
  static const Format kTotal("(45X,'Total length of filter = ',F7.4)");
  const int n = ds.design.sections;
  const LineKinds& k = ds.lines;
  auto end_row = [&](const char* label, int kind) {
    r.both(line_table_end_row(), {label, k.inner(kind), k.outer(kind), k.er(kind), k.zo(kind),
                                  res.te11_ghz[kind], res.peak_kw[kind]});
  };
  r.both(line_table_heading());
  end_row("Source", kSourceLine);
  for (int j = 1; j <= n; ++j) {
    const int kind = capacitive(ds, j) ? kLowLine : kHighLine;
    r.both(line_table_section_row(), {j, k.inner(kind), k.outer(kind), k.er(kind), k.zo(kind),
                                      res.te11_ghz[kind], res.peak_kw[kind], ds.coax.length(j)});
  }
  end_row(" Load ", kLoadLine);
  // An even-order Chebyshev ladder is not terminated in the source impedance:
  // the standard circuit needs a load line of the ladder's load. The two are
  // compared as the message shows them (two decimals): a load line that
  // prints as the required value is the required value.
  if (ds.control.configuration == Configuration::kStandard &&
      ds.control.response == Response::kChebyshev && n % 2 == 0 &&
      differ_as_shown(k.zo(kLoadLine), ds.ladder.load_standard, 2))
    r.both(kLoadWarning, {ds.ladder.load_standard});
  float total = 0.0f;
  for (int j = 1; j <= n; ++j) total += ds.coax.length(j);
  r.both(kTotal, {total});
  r.close(ds.files.report);
}

void print_realizability_message(TextOut& console, const DesignRecord& ds,
                                 const SteppedLineResult& res) {
  static const Format kTooLow(
      "(/,6X,'ERROR DETECTED.',/,6X,'Circuit realizibility requires the impedance for ','section "
      "',I2,' to',/,6X,'be greater than ',F6.2,' ohms.',' Your current value is ',F6.2,' "
      "ohms.')");
  static const Format kTooHigh(
      "(/,6X,'ERROR DETECTED.',/,6X,'Circuit realizibility requires the impedance for ','section "
      "',I2,' to',/,6X,'be less than ',F6.2,' ohms.',' Your current value is ',F6.2,' ohms.')");
  static const Format kSteps(
      "(/,6X,'ERROR DETECTED.',/,6X,'Circuit realizibility requires a reduction of',/,6X,'the "
      "discontinuity capacitance for section ',I2,'.')");
  static const Format kUnsettled(
      "(/,6X,'ERROR DETECTED.',/,6X,'Section lengths did not settle within ',I3,' passes.',/,6X,"
      "'Change the line impedances or the design data.')");
  switch (res.code) {
    case Realizability::kDone:
      return;
    case Realizability::kHighTooLow:
      console.write(kTooLow, {res.section, res.z_must, ds.lines.zo(kHighLine)});
      break;
    case Realizability::kLowTooHigh:
      console.write(kTooHigh, {res.section, res.z_must, ds.lines.zo(kLowLine)});
      break;
    case Realizability::kStepsTooLarge:
      console.write(kSteps, {res.section});
      break;
    case Realizability::kUnsettled:
      console.write(kUnsettled, {kMaxLengthPasses});
      break;
  }
  console.write(report_rule());
}

void print_diagnostic_listing(TextOut& console, const DesignRecord& ds,
                              const SteppedLineResult& res, const LumpedEquivalents& eq) {
  static const Format kHeading(
      "(/,77(1H-),/,5X,'Diagnostic Information for your ','SYNTHESIZED Filter is provided "
      "below',/,77(1H-),///,23X,'Ideal',8X,'Computed',28X,'Cutoff',/,10X,'Prototype',4X,'Lumped',"
      "7X,'Lumped',7X,'Discontinuity',10X,'Elec.'/,1X,'Section',2X,'Element',6X,'Element',6X,"
      "'Element',7X,'Capacitance',3X,'Prox.',3X,'Length',/,1X,'Number',3X,'Value',8X,'Value',8X,"
      "'Value',10X,'(xE-15 F)',4X,'Fact.',3X,'(Deg.)',/,1X,77(1H-))");
  static const Format kPlainEnd("(1X,A6,F10.5,F11.3,A5,F9.3,A5,/,1X,77(1H-))");
  static const Format kJunctionEnd("(1X,A6,F10.5,F11.3,A5,F9.3,A5,F12.5,F9.4,/,1X,77(1H-))");
  static const Format kCapacitive(
      "(3X,I2,F12.5,F11.5,A4,F10.5,A4,F13.5,F9.4/,1X,45X,F13.5,F9.4,F9.3,/,1X,77(1H-))");
  static const Format kInductive("(3X,I2,F12.5,F11.5,A4,F10.5,A4,F22.4,F9.3,/,1X,77(1H-))");
  static const Format kCorrection(
      "(30X,'Length correction for section ',I2,' = ',F7.4,/,1X,77(1H-))");
  static const Format kHeading2(
      "(///,10X,'Ideal',6X,'Distributed Transmission Line',/,10X,'Lumped',13X,'Contributions',"
      "15X,'Total',/,1X,'Section',2X,'Element',4X,'Section',4X,'Section',4X,'Section',3X,"
      "'Discontinuity',6X,'Total',/,3X,'(N)',4X,'Value',7X,'(N-1)',7X,'(N)',7X,'(N+1)',7X,"
      "'Effects',9X,'Value',/,77(1H-))");
  static const Format kCapacitive2(
      "(/,3X,I2,2X,F8.5,1X,'pF',1X,F8.5,1X,'pF',F8.5,1X,'pF',F8.5,1X,'pF',F9.5,1X,'pF',F10.5,1X,"
      "'pF',/,77(1H-))");
  static const Format kInductive2(
      "(/,3X,I2,2X,F8.5,1X,'nH',1X,F8.5,1X,'nH',F8.5,1X,'nH',F8.5,1X,'nH',12X,F10.5,1X,'nH',/,"
      "77(1H-))");
  const int n = ds.design.sections;
  const Ladder& lad = ds.ladder;
  const CoaxSolution& c = ds.coax;
  const float zo = ds.design.system_impedance;
  const float z_source = ds.lines.zo(kSourceLine);
  const float z_load = ds.lines.zo(kLoadLine);
  const auto& value = eq.value;
  const auto& parts = eq.parts;
  auto degrees = [&](int j) { return electrical_length(ds, j, eq.length(j)); };
  auto capacitive_row = [&](int j, int first_end, int second_end) {
    console.write(kCapacitive, {j, lad.g(j), lad.shunt_pf(j), "pF", value(j), "pF",
                                c.step_f(j, first_end) * 1.0e15f, junction_factor(ds, j, first_end),
                                c.step_f(j, second_end) * 1.0e15f,
                                junction_factor(ds, j, second_end), degrees(j)});
  };
  auto inductive_row = [&](int j) {
    console.write(kInductive, {j, lad.g(j), lad.series_nh(j), "nH", value(j), "nH",
                               res.proximity(j), degrees(j)});
  };
  console.write(kHeading);
  if (!dual(ds)) {
    console.write(kPlainEnd, {"Source", 1.0f, zo, "Ohms", z_source, "Ohms"});
    for (int j = 1; j <= n; j += 2) {
      capacitive_row(j, 1, 2);
      if (j < n) inductive_row(j + 1);
    }
    if (n % 2 != 0) {
      console.write(kPlainEnd, {" Load ", lad.g(n + 1), lad.load_standard, "Ohms", z_load, "Ohms"});
    } else {
      console.write(kJunctionEnd, {" Load ", lad.g(n + 1), lad.load_standard, "Ohms", z_load,
                                   "Ohms", res.cap_high_load * 1.0e15f, c.factor5});
      console.write(kCorrection, {n, res.end_correction1});
    }
  } else {
    console.write(kJunctionEnd, {"Source", 1.0f, zo, "Ohms", z_source, "Ohms",
                                 res.cap_high_source * 1.0e15f, c.factor2});
    for (int j = 1; j <= n; j += 2) {
      inductive_row(j);
      if (j < n) capacitive_row(j + 1, 2, 1);
    }
    if (n % 2 == 0) {
      console.write(kPlainEnd, {" Load ", lad.g(n + 1), lad.load_dual, "Ohms", z_load, "Ohms"});
      console.write(kCorrection, {1, res.end_correction1});
    } else {
      console.write(kJunctionEnd, {" Load ", lad.g(n + 1), lad.load_dual, "Ohms", z_load, "Ohms",
                                   res.cap_high_load * 1.0e15f, c.factor5});
      console.write(kCorrection, {1, res.end_correction1});
      console.write(kCorrection, {n, res.end_correction2});
    }
  }
  // Second table, sections in the order of the first one.
  console.write(kHeading2);
  auto contributions = [&](int j) {
    if (capacitive(ds, j)) {
      const float total = parts(j, 1) + parts(j, 2) + parts(j, 3) + parts(j, 4);
      console.write(kCapacitive2, {j, lad.shunt_pf(j), parts(j, 1), parts(j, 2), parts(j, 3),
                                   parts(j, 4), total});
    } else {
      const float total = parts(j, 1) + parts(j, 2) + parts(j, 3);
      console.write(kInductive2,
                    {j, lad.series_nh(j), parts(j, 1), parts(j, 2), parts(j, 3), total});
    }
  };
  for (int j = 1; j <= n; j += 2) {
    contributions(j);
    if (j < n) contributions(j + 1);
  }
}

}  // namespace mx
