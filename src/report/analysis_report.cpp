#include "report/analysis_report.h"

#include <mutex>

#include "base/units.h"
#include "line/ratings.h"
#include "report/line_table.h"
#include "report/shared_formats.h"

namespace mx {
namespace {

void write_entered_model(Report& r, const DesignRecord& ds) {
  static const Format kTitle(
      "(/,19X,'ANALYSIS of the User-defined COAXIAL LOW-PASS ',/,20X,'FILTER is performed on the "
      "following model:')");
  const EnteredLines& e = ds.entered;
  // Lines 0..n+1 must fit the arrays, which end at the load line of a 31-section circuit.
  const int n = ds.design.sections < 0 ? 0 : (ds.design.sections > 31 ? 31 : ds.design.sections);
  auto te11 = [&](int i) { return te11_cutoff_ghz(e.outer(i), e.inner(i), e.er(i)); };
  auto power = [&](int i) { return peak_power_kw(e.outer(i), e.inner(i), e.er(i)); };
  r.both(kTitle);
  r.both(line_table_heading());
  r.both(line_table_end_row(),
         {"Source", e.inner(0), e.outer(0), e.er(0), e.zo(0), te11(0), power(0)});
  for (int i = 1; i <= n; ++i)
    r.both(line_table_section_row(),
           {i, e.inner(i), e.outer(i), e.er(i), e.zo(i), te11(i), power(i), e.length(i)});
  r.both(line_table_end_row(), {"Load", e.inner(n + 1), e.outer(n + 1), e.er(n + 1), e.zo(n + 1),
                                te11(n + 1), power(n + 1)});
  r.both(report_rule());
}

// A row of the response table.
const Format& analysis_row_format() {
  static const Format kRow("(F20.4,F8.2,F12.2,F9.2,F9.3,F8.2,F9.3)");
  return kRow;
}

}  // namespace

void render_analysis_row(std::string& out, const SweepRow& row) {
  static const Format& kRow = analysis_row_format();
  // Of the same width.
  static const Format kLongDelay("(F20.4,F8.2,F12.2,F9.2,F9.3,F8.2,F9.0)");
  const PortFigures& p = row.figures;
  const float values[] = {row.f_mhz, p.zin_re,    p.zin_im,    p.vswr,
                          p.loss_db, p.phase_deg, row.delay_ns};
  (row.delay_ns > 10000.0f ? kLongDelay : kRow).render_reals(out, values, true);
}

void write_analysis_row(Report& r, const SweepRow& row) {
  std::string text;
  render_analysis_row(text, row);
  r.both_text(text);
}

void print_analysis_heading(Report& r, const DesignRecord& ds) {
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
  const Control& c = ds.control;
  const Terminations& t = ds.ports;
  const Losses& l = ds.losses;
  const bool coaxial = c.option == Option::kDistributed;
  // After a distributed synthesis the synthesis report has shown the model already.
  if (coaxial && c.origin != Origin::kDistributedSynthesis) write_entered_model(r, ds);
  r.both(kPorts, {t.rs, t.rl, t.xs, t.xl});
  // Roughness is held in inches and resistivity in ohm-inches; shown in
  // micro-inches and micro-ohm-centimetres.
  if (coaxial)
    r.both(kLosses, {l.roughness * kMega, l.loss_tangent, l.resistivity * kCmPerInch * kMega});
  r.both(kTitle, {ds.design.sections, ds.labels.response, ds.labels.design, ds.labels.kind});
  r.both(kHeading);
}

void print_analysis_report(Report& r, const DesignRecord& ds, std::span<const SweepRow> rows) {
  print_analysis_heading(r, ds);
  // The rows in blocks of some 20 kB, one write each.
  std::string block;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    render_analysis_row(block, rows[k]);
    if ((k + 1) % kSweepBlock == 0 || k + 1 == rows.size()) {
      r.both_text(block);
      block.clear();
    }
  }
  r.close(ds.files.report);
}

SweepRows sweep_and_print_analysis(Report& r, DesignRecord& ds, const EndSteps& ends,
                                   SweepOptions options) {
  print_analysis_heading(r, ds);
  // Each block of rows is rendered by the thread that computed it, and
  // written (some 20 kB at a time) as soon as the blocks before it are. The
  // text of a written block is kept for a later one: a few buffers then serve
  // the whole sweep, and fresh memory (a page fault for each 4 kB) is seldom
  // needed.
  const std::size_t points = ds.sweep.steps < 0 ? 0 : static_cast<std::size_t>(ds.sweep.steps) + 1;
  std::vector<std::string> texts((points + kSweepBlock - 1) / kSweepBlock);
  std::vector<std::string> spare;
  std::mutex spare_lock;
  const std::size_t row_size = analysis_row_format().length() + 1;
  options.block_finished = [&](std::size_t b, std::span<const SweepRow> rows) {
    std::string text;
    {
      const std::lock_guard<std::mutex> lock(spare_lock);
      if (!spare.empty()) {
        text = std::move(spare.back());
        spare.pop_back();
      }
    }
    text.clear();
    text.reserve(rows.size() * row_size);
    for (const SweepRow& row : rows) render_analysis_row(text, row);
    texts[b] = std::move(text);
  };
  options.block_in_order = [&](std::size_t b) {
    r.both_text(texts[b]);
    const std::lock_guard<std::mutex> lock(spare_lock);
    spare.push_back(std::move(texts[b]));
  };
  SweepRows rows = run_sweep(ds, ends, options);
  r.close(ds.files.report);
  return rows;
}

}  // namespace mx
