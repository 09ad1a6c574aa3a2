#include "report/synthesis_report.h"

#include "analysis/elements.h"
#include "base/units.h"

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
  if (pf > kLargeUnitLimit) return {pf / kMega, "uF"};
  return {pf, "pF"};
}

Shown inductance(float nh) {
  if (nh > kLargeUnitLimit) return {nh / kMega, "mH"};
  return {nh, "nH"};
}

// The arms with a resonating partner, each with its transmission zero; nothing
// when the ladder has none.
void print_resonant_arms(Report& r, const DesignRecord& ds) {
  static const Format kHeading(
      "(/,7X,'Resonant arms, each at a transmission zero: a C across the series L',/,7X,'of the "
      "standard circuit, an L in series with the shunt C of the dual.',/,7X,'Section',6X,"
      "'Standard Circuit',10X,'Dual Circuit',10X,'Resonance',/,7X,69(1H-))");
  static const Format kArm("(8X,I3,F11.4,1X,A2,F10.4,1X,A2,F11.4,1X,A2,F10.4,1X,A2,F11.4,' MHz')");
  const Ladder& lad = ds.ladder;
  bool heading = false;
  for (int k = 1; k <= ds.design.sections; ++k) {
    if (lad.tank_pf(k) == 0.0f && lad.trap_nh(k) == 0.0f) continue;
    if (!heading) r.both(kHeading);
    heading = true;
    const Shown l = inductance(lad.series_nh(k));
    const Shown ct = capacitance(lad.tank_pf(k));
    const Shown c = capacitance(lad.shunt_pf(k));
    const Shown lt = inductance(lad.trap_nh(k));
    r.both(kArm, {k, l.value, l.unit, ct.value, ct.unit, c.value, c.unit, lt.value, lt.unit,
                  resonance_mhz(lad.series_nh(k), lad.tank_pf(k))});
  }
}

}  // namespace

void print_standard_values(Report& r, const StandardValuesReport& s) {
  static const Format kHeading(
      "(/,7X,'Standard values (',A3,'): each component moved to the nearest value',/,7X,'of the "
      "series, and the filter analysed again.',/,7X,'Part',11X,'Exact',10X,'Chosen',5X,'Change',/,"
      "7X,50(1H-))");
  static const Format kRow("(7X,A5,F13.4,1X,A2,F13.4,1X,A2,F9.2,' %')");
  static const Format kFigures(
      "(/,7X,'Figure',21X,'Exact',6X,'Standard',/,7X,'Passband edge, MHz',F14.4,F14.4,/,7X,"
      "'Ripple, dB',F22.3,F14.3,/,7X,'Stopband, dB',F20.2,F14.2,' from',F11.4,' MHz')");
  r.both(kHeading, {s.series});
  for (const SnappedValue& v : s.values)
    r.both(kRow, {v.part, v.exact, v.unit, v.chosen, v.unit, (v.chosen / v.exact - 1.0f) * 100.0f});
  r.both(kFigures, {s.exact.passband_edge_mhz, s.chosen.passband_edge_mhz, s.exact.ripple_db,
                    s.chosen.ripple_db, s.exact.stopband_db, s.chosen.stopband_db, s.stop_mhz});
}

void print_report_header(Report& r, const LocalTime& t) {
  static const Format kHeader(
      "(/,6X,72(1H-),/,6X,'Mandrelix (v. 1.0)',22X,'Date:',I2,'/',I2,'/',I4,' at ',I2,':',I2,"
      "':',I2,'Hours',/,16X,' RF/Microwave Computer-Aided Engineering Design Data',/,16X,'     "
      "       for COAXIAL LOW-PASS Filters.')");
  r.both(kHeader, {t.month, t.day, t.year, t.hour, t.minute, t.second});
}

void print_synthesis_heading(Report& r, const DesignRecord& ds) {
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

  const Control& c = ds.control;
  const DesignData& s = ds.design;
  const TitleLabels& l = ds.labels;
  if (c.option == Option::kElectrical) r.both(kElectrical);
  if (c.option == Option::kDistributed) r.both(kDistributed);
  r.both(kFrequencies);
  if (!c.count_from_skirt) {
    r.both(kTyped, {s.cutoff_mhz, l.design, s.sections, l.response});
  } else {
    // The A1 line shows the attenuation reached with N sections, not the one asked for.
    r.both(kSkirt,
           {s.cutoff_mhz, l.design, s.skirt_mhz, s.sections, s.skirt_reached_db, l.response});
  }
  if (c.response == Response::kChebyshev) r.both(kRipple, {s.ripple_db});
  if (c.response == Response::kElliptic) {
    static const Format kStopband("(44X,'Stopband =',F7.2,' dB from',F11.4,' MHz')");
    r.both(kRipple, {s.ripple_db});
    r.both(kStopband, {s.stopband_db, s.stopband_edge_mhz});
  }
}

void print_element_table(Report& r, const DesignRecord& ds, const StandardValuesReport* standard) {
  static const Format kHeading(
      "(/,7X,'Section',2X,'Prototype',5X,'Standard',3X,'Connection',5X,'Dual',6X,'Connection',/,"
      "7X,'Number',4X,'Element',6X,'Circuit',4X,'in Circuit',4X,'Circuit',4X,'in ','Circuit',/,"
      "7X,69(1H-))");
  static const Format kSource("(8X,I3,F13.6,F10.2,' Ohms',3X,'Source',F11.2,' Ohms',3X,'Source')");
  static const Format kShuntFirst("(8X,I3,F13.6,F12.4,1X,A2,3X,'Shunt',F14.4,1X,A2,3X,'Series')");
  static const Format kSeriesFirst("(8X,I3,F13.6,F12.4,1X,A2,3X,'Series',F13.4,1X,A2,3X,'Shunt')");
  static const Format kLoad("(8X,I3,F13.6,F10.2,' Ohms',3X,'Load',F13.2,' Ohms',3X,'Load')");

  const int n = ds.design.sections;
  const Ladder& lad = ds.ladder;
  const float zo = ds.design.system_impedance;
  r.both(kHeading);
  // Both circuits are driven from the system impedance.
  r.both(kSource, {0, 1.0f, zo, zo});

  // Rows in pairs: a position where the standard circuit has a shunt C (and the
  // dual a series L), then one with a series L (and the dual a shunt C).
  const int m = n / 2 * 2;
  for (int j = 1; j <= m - 1; j += 2) {
    const int jj = j + 1;
    const Shown c = capacitance(lad.shunt_pf(j));
    const Shown l = inductance(lad.series_nh(j));
    r.both(kShuntFirst, {j, lad.g(j), c.value, c.unit, l.value, l.unit});
    const Shown l2 = inductance(lad.series_nh(jj));
    const Shown c2 = capacitance(lad.shunt_pf(jj));
    r.both(kSeriesFirst, {jj, lad.g(jj), l2.value, l2.unit, c2.value, c2.unit});
  }
  if (n % 2 != 0) {
    const Shown c = capacitance(lad.shunt_pf(n));
    const Shown l = inductance(lad.series_nh(n));
    r.both(kShuntFirst, {n, lad.g(n), c.value, c.unit, l.value, l.unit});
  }
  r.both(kLoad, {n + 1, lad.g(n + 1), lad.load_standard, lad.load_dual});
  print_resonant_arms(r, ds);
  if (standard != nullptr) print_standard_values(r, *standard);
  r.close(ds.files.report);
}

}  // namespace mx
