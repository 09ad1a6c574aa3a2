#include "main/distributed_report.h"

#include "main/line_table.h"

namespace mx {
namespace {

// Position j is a low-impedance (capacitive) section: the odd positions of the
// standard circuit, the even ones of the dual circuit.
bool capacitive(const DesignState& ds, int j) {
  return ds.int1.icfg == 2 ? j % 2 == 0 : j % 2 != 0;
}

// Electrical length of section j at the cutoff, degrees.
float electrical_length(const DesignState& ds, int j) {
  const float v = capacitive(ds, j) ? ds.real1.vlow : ds.real1.vhigh;
  return 360.0f * ds.real2.xlen(j) / (v / (ds.real1.fc1 * 1000000.0f));
}

// The frequency factor of the junction whose capacitance the set-up placed at
// discap(j, end): the source and load junctions of a low-impedance end section,
// otherwise a junction between a high- and a low-impedance section.
float junction_factor(const DesignState& ds, int j, int end) {
  const int n = ds.int1.n;
  const Real1& r1 = ds.real1;
  if (ds.int1.icfg == 2) {
    if (j == n && end == 2 && n % 2 == 0) return r1.fk4;
  } else {
    if (j == 1 && end == 1) return r1.fk1;
    if (j == n && end == 2 && n % 2 != 0) return r1.fk4;
  }
  return r1.fk3;
}

void write_dimension_report(Report& r, DesignState& ds, const DistributedResult& res) {
  static const Format kLoadWarning(
      "(/,6X,'ERROR DETECTED.',/,6X,'Load impedance for a Chebyschev filter with',/,6X,'N=even "
      "is required to be ',F6.2,' ohms.')");
  static const Format kTotal("(45X,'Total length of filter = ',F7.4)");

  const int n = ds.int1.n;
  const Real2& r2 = ds.real2;
  r.both(line_table_heading());
  r.both(line_table_end_row(), {"Source", r2.synd(kSourceLine), r2.synb(kSourceLine),
                                r2.syner(kSourceLine), r2.synzo(kSourceLine), res.mode1, res.pwr1});
  for (int j = 1; j <= n; ++j) {
    const bool low = capacitive(ds, j);
    const int k = low ? kLowLine : kHighLine;
    r.both(line_table_section_row(),
           {j, r2.synd(k), r2.synb(k), r2.syner(k), r2.synzo(k), low ? res.mode3 : res.mode2,
            low ? res.pwr3 : res.pwr2, r2.xlen(j)});
  }
  r.both(line_table_end_row(), {" Load ", r2.synd(kLoadLine), r2.synb(kLoadLine),
                                r2.syner(kLoadLine), r2.synzo(kLoadLine), res.mode4, res.pwr4});

  // An even-order Chebyshev ladder is not terminated in the source impedance:
  // the standard circuit needs a load line of exactly ros.
  if (ds.int1.icfg == 1 && ds.int1.isubop == 1 && n % 2 == 0 && r2.synzo(kLoadLine) != ds.real1.ros)
    r.both(kLoadWarning, {ds.real1.ros});

  float total = 0.0f;
  for (int j = 1; j <= n; ++j) total += r2.xlen(j);
  r.both(kTotal, {total});
  r.close(ds.char1.fno);
}

}  // namespace

void print_realizability_message(TextOut& console, const DesignState& ds,
                                 const DistributedResult& res) {
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
  static const Format kRule("(6X,72(1H-))");

  switch (res.ierr) {
    case 0:
      return;
    case 1:
      console.write(kTooLow, {res.nsect, res.zmust, ds.real2.synzo(kHighLine)});
      break;
    case 2:
      console.write(kTooHigh, {res.nsect, res.zmust, ds.real2.synzo(kLowLine)});
      break;
    case 3:
      console.write(kSteps, {res.nsect});
      break;
    case 4:
      console.write(kUnsettled, {kMaxLengthPasses});
      break;
    default:
      break;
  }
  console.write(kRule);
}

bool run_distributed_synthesis(Report& r, DesignState& ds, MainValues& mv) {
  distributed_synthesis(ds, mv.dist);
  mv.ierr = mv.dist.ierr;
  if (mv.dist.ierr != 0) {
    // Only the console hears of an unrealizable design; the report file keeps
    // the heading and design block of this cycle and nothing more.
    print_realizability_message(r.console_out(), ds, mv.dist);
    return false;
  }
  write_dimension_report(r, ds, mv.dist);
  return true;
}

void print_diagnostic_listing(TextOut& console, DesignState& ds, MainValues& mv) {
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

  const DistributedResult& res = mv.dist;
  const int n = ds.int1.n;
  const bool dual = ds.int1.icfg == 2;
  const Real1& r1 = ds.real1;
  const Real2& r2 = ds.real2;

  // The lumped equivalents are those of the converged lengths, without the end
  // corrections; the corrections go back afterwards so the design is unchanged.
  remove_end_corrections(ds, res);
  CheckValues value;
  CheckParts value2;
  check(ds, value, value2);

  auto capacitive_row = [&](int j, int first_end, int second_end) {
    console.write(
        kCapacitive,
        {j, r2.g(j), r2.shuntc(j), "pF", value(j), "pF", r2.discap(j, first_end) * 1.0e15f,
         junction_factor(ds, j, first_end), r2.discap(j, second_end) * 1.0e15f,
         junction_factor(ds, j, second_end), electrical_length(ds, j)});
  };
  auto inductive_row = [&](int j) {
    console.write(kInductive, {j, r2.g(j), r2.serl(j), "nH", value(j), "nH", res.xprox(j),
                               electrical_length(ds, j)});
  };

  console.write(kHeading);
  if (!dual) {
    console.write(kPlainEnd, {"Source", 1.0f, r1.zo, "Ohms", r2.synzo(kSourceLine), "Ohms"});
    for (int j = 1; j <= n; j += 2) {
      capacitive_row(j, 1, 2);
      if (j < n) inductive_row(j + 1);
    }
    if (n % 2 != 0) {
      console.write(kPlainEnd,
                    {" Load ", r2.g(n + 1), r1.ros, "Ohms", r2.synzo(kLoadLine), "Ohms"});
    } else {
      console.write(kJunctionEnd, {" Load ", r2.g(n + 1), r1.ros, "Ohms", r2.synzo(kLoadLine),
                                   "Ohms", res.disc5 * 1.0e15f, r1.fk5});
      console.write(kCorrection, {n, res.exlen1});
    }
  } else {
    console.write(kJunctionEnd, {"Source", 1.0f, r1.zo, "Ohms", r2.synzo(kSourceLine), "Ohms",
                                 res.disc2 * 1.0e15f, r1.fk2});
    for (int j = 1; j <= n; j += 2) {
      inductive_row(j);
      if (j < n) capacitive_row(j + 1, 2, 1);
    }
    if (n % 2 == 0) {
      console.write(kPlainEnd,
                    {" Load ", r2.g(n + 1), r1.rod, "Ohms", r2.synzo(kLoadLine), "Ohms"});
      console.write(kCorrection, {1, res.exlen1});
    } else {
      console.write(kJunctionEnd, {" Load ", r2.g(n + 1), r1.rod, "Ohms", r2.synzo(kLoadLine),
                                   "Ohms", res.disc5 * 1.0e15f, r1.fk5});
      console.write(kCorrection, {1, res.exlen1});
      console.write(kCorrection, {n, res.exlen2});
    }
  }

  // Second table, sections in the order of the first one.
  console.write(kHeading2);
  auto contributions = [&](int j) {
    if (capacitive(ds, j)) {
      const float total = value2(j, 1) + value2(j, 2) + value2(j, 3) + value2(j, 4);
      console.write(kCapacitive2, {j, r2.shuntc(j), value2(j, 1), value2(j, 2), value2(j, 3),
                                   value2(j, 4), total});
    } else {
      const float total = value2(j, 1) + value2(j, 2) + value2(j, 3);
      console.write(kInductive2, {j, r2.serl(j), value2(j, 1), value2(j, 2), value2(j, 3), total});
    }
  };
  for (int j = 1; j <= n; j += 2) {
    contributions(j);
    if (j < n) contributions(j + 1);
  }

  restore_end_corrections(ds, res);
}

}  // namespace mx
