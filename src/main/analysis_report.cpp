#include "main/analysis_report.h"

#include "coax/line_figures.h"
#include "main/line_table.h"
#include "model/index_array.h"

namespace mx {
namespace {

void write_entered_model(Report& r, const DesignState& ds) {
  static const Format kTitle(
      "(/,19X,'ANALYSIS of the User-defined COAXIAL LOW-PASS ',/,20X,'FILTER is performed on the "
      "following model:')");
  static const Format kRule("(6X,72(1H-))");

  const Real2& r2 = ds.real2;
  // Lines 0..n+1 must fit the arrays, which end at the load line of a 31-section circuit.
  const int n = ds.int1.n < 0 ? 0 : (ds.int1.n > 31 ? 31 : ds.int1.n);
  IndexArray<float, 0, 32> power;
  IndexArray<float, 0, 32> te11;

  r.both(kTitle);
  for (int i = 0; i <= n + 1; ++i) {
    cxpwr(r2.anab(i), r2.anad(i), r2.anaer(i), power(i));
    cxmode(r2.anab(i), r2.anad(i), r2.anaer(i), te11(i));
  }
  r.both(line_table_heading());
  r.both(line_table_end_row(),
         {"Source", r2.anad(0), r2.anab(0), r2.anaer(0), r2.anazo(0), te11(0), power(0)});
  for (int i = 1; i <= n; ++i)
    r.both(line_table_section_row(),
           {i, r2.anad(i), r2.anab(i), r2.anaer(i), r2.anazo(i), te11(i), power(i), r2.anal(i)});
  r.both(line_table_end_row(), {"Load", r2.anad(n + 1), r2.anab(n + 1), r2.anaer(n + 1),
                                r2.anazo(n + 1), te11(n + 1), power(n + 1)});
  r.both(kRule);
}

}  // namespace

void write_analysis_row(Report& r, float f, const PointResponse& p) {
  static const Format kRow("(F20.4,F8.2,F12.2,F9.2,F9.3,F8.2,F9.3)");
  static const Format kLongDelay("(F20.4,F8.2,F12.2,F9.2,F9.3,F8.2,F9.0)");
  r.both(p.td > 10000.0f ? kLongDelay : kRow, {f, p.zinr, p.zini, p.vswr, p.il, p.phf, p.td});
}

int run_frequency_analysis(Report& r, DesignState& ds, MainValues& mv) {
  static const Format kPorts(
      "(/,14X,'Rs =',F6.2,' Ohms',26X,'Rl =',F6.2,' Ohms',/,14X,'Xs =',F6.2,' Ohms',26X,'Xl =',"
      "F6.2,' Ohms')");
  static const Format kLosses(
      "(14X,'Sr =',F6.1,' u-inches',19X,'DLTAN =',F6.4,/,13X,'Res =',F6.1,' u-ohm-cm')");
  static const Format kTitle(
      "(/,13X,'Frequency ANALYSIS of the ',I2,'-Section ',A12,1X,A9,/,12X,A11,' Filter results "
      "in the following response ','profile:')");
  static const Format kHeading(
      "(/,54X,'Thru Path',/,11X,'Analysis',2X,'Input Impedance',', Ohms',2X,'Input',2X,"
      "16(1H=),2X,'Time',/,11X,'Frequency',1X,21(1H=),2X,'Port',5X,'Loss',4X,'Phase',3X,'Delay',/,"
      "13X,'(MHz)',6X,'Real',4X,'Imaginary',3X,'VSWR',5X,'(dB)',4X,'(Deg)',3X,'(nsec)',/,10X,"
      "65(1H-))");

  Int1& i1 = ds.int1;
  const Real1& r1 = ds.real1;

  // After a distributed synthesis the synthesis report has shown the model already.
  if (i1.iop == 2 && i1.ifrom != 1) write_entered_model(r, ds);

  r.both(kPorts, {r1.zrs, r1.zrl, r1.zis, r1.zil});
  // Roughness is held in inches and resistivity in ohm-inches; shown in
  // micro-inches and micro-ohm-centimetres.
  if (i1.iop == 2) r.both(kLosses, {r1.sr * 1000000.0f, r1.dltan, r1.res * 2.54f * 1000000.0f});

  mv.type = i1.iop == 1 ? "ELECTRICAL " : "DISTRIBUTED";
  r.both(kTitle, {i1.n, mv.resp, mv.design, mv.type});
  r.both(kHeading);

  // Each frequency comes from its index, so rounding does not build up along the sweep.
  PointResponse p;
  for (int ii = 0; ii <= i1.nloops; ++ii) {
    const float f = r1.fmin + r1.fstep * static_cast<float>(ii);
    const int code = analysis_point(ds, mv.dist.disc2, mv.dist.disc5, f, p);
    if (code != 0) {
      mv.ierr = code;
      return code;
    }
    write_analysis_row(r, f, p);
  }

  r.close(ds.char1.fno);
  return 0;
}

}  // namespace mx
