#include "main/synthesis_report.h"

#include "lumped/prototype.h"

namespace mx {
namespace {

// Element values above this many pF or nH are shown in uF or mH, so that
// ordinary designs stay inside their columns.
constexpr float kLargeUnitLimit = 100000.0f;

struct Shown {
  float value;
  const char* unit;
};

Shown capacitance(float pf) {
  if (pf > kLargeUnitLimit) return {pf / 1000000.0f, "uF"};
  return {pf, "pF"};
}

Shown inductance(float nh) {
  if (nh > kLargeUnitLimit) return {nh / 1000000.0f, "mH"};
  return {nh, "nH"};
}

}  // namespace

void print_synthesis_heading(Report& r, DesignState& ds, MainValues& mv) {
  static const Format kElectrical(
      "(/,17X,'SYNTHESIS of the Electrical Circuit for your LOW',/,20X,'PASS Filter results in "
      "the following data:')");
  static const Format kDistributed(
      "(/,16X,'SYNTHESIS of the Distributed Circuit for your LOW',/,20X,'PASS Filter results in "
      "the following data:')");
  static const Format kFrequencies(
      "(/,20X,'Design Frequencies:',6X,'Filter Parameters:',/,20X,19(1H=),5X,20(1H=))");
  static const Format kTyped(
      "(20X,'FC1 =',F10.4,' MHz',5X,'Design   = ',A9,/,44X,'Sections =',I3,/,44X,'Response = ',"
      "A12)");
  static const Format kSkirt(
      "(20X,'FC1 =',F10.4,' MHz',5X,'Design   = ',A9,/,20X,'F1','  =',F10.4,' MHz',5X,'Sections "
      "=',I3,/,20X,'A1  =',F7.2,' dB',9X,'Response = ',A12)");
  static const Format kRipple("(44X,'Ripple   =',F6.3,' dB')");

  Int1& i1 = ds.int1;
  Real1& r1 = ds.real1;
  if (i1.iop == 1) r.both(kElectrical);
  if (i1.iop == 2) r.both(kDistributed);
  r.both(kFrequencies);

  lppev(ds, r1.am, r1.fc1, i1.isubop, i1.n, r1.rod, r1.ros, r1.zo);

  if (i1.iskirt == 0) {
    r.both(kTyped, {r1.fc1, mv.design, i1.n, mv.resp});
  } else {
    // The A1 line shows the attenuation reached with n sections, not the one asked for.
    r.both(kSkirt, {r1.fc1, mv.design, r1.f1, i1.n, mv.a2, mv.resp});
  }
  if (i1.isubop == 1) r.both(kRipple, {r1.am});
}

void print_element_table(Report& r, DesignState& ds) {
  static const Format kHeading(
      "(/,7X,'Section',2X,'Prototype',5X,'Standard',3X,'Connection',5X,'Dual',6X,'Connection',/,"
      "7X,'Number',4X,'Element',6X,'Circuit',4X,'in Circuit',4X,'Circuit',4X,'in ','Circuit',/,"
      "7X,69(1H-))");
  static const Format kSource(
      "(8X,I3,F13.6,F10.2,' Ohms',3X,'Source',F11.2,' Ohms',3X,'Source')");
  static const Format kShuntFirst(
      "(8X,I3,F13.6,F12.4,1X,A2,3X,'Shunt',F14.4,1X,A2,3X,'Series')");
  static const Format kSeriesFirst(
      "(8X,I3,F13.6,F12.4,1X,A2,3X,'Series',F13.4,1X,A2,3X,'Shunt')");
  static const Format kLoad("(8X,I3,F13.6,F10.2,' Ohms',3X,'Load',F13.2,' Ohms',3X,'Load')");

  const int n = ds.int1.n;
  const Real2& r2 = ds.real2;
  r.both(kHeading);
  // Both circuits are driven from the system impedance.
  r.both(kSource, {0, 1.0f, ds.real1.zo, ds.real1.zo});

  // Rows in pairs: a position where the standard circuit has a shunt C (and the
  // dual a series L), then one with a series L (and the dual a shunt C).
  const int m = n / 2 * 2;
  for (int j = 1; j <= m - 1; j += 2) {
    const int jj = j + 1;
    const Shown c = capacitance(r2.shuntc(j));
    const Shown l = inductance(r2.serl(j));
    r.both(kShuntFirst, {j, r2.g(j), c.value, c.unit, l.value, l.unit});
    const Shown l2 = inductance(r2.serl(jj));
    const Shown c2 = capacitance(r2.shuntc(jj));
    r.both(kSeriesFirst, {jj, r2.g(jj), l2.value, l2.unit, c2.value, c2.unit});
  }
  if (n % 2 != 0) {
    const Shown c = capacitance(r2.shuntc(n));
    const Shown l = inductance(r2.serl(n));
    r.both(kShuntFirst, {n, r2.g(n), c.value, c.unit, l.value, l.unit});
  }

  ds.int1.ifrom = 4;
  r.both(kLoad, {n + 1, r2.g(n + 1), ds.real1.ros, ds.real1.rod});
  r.close(ds.char1.fno);
}

}  // namespace mx
