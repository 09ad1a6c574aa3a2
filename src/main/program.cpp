#include "main/program.h"

#include "dialog/dialog.h"
#include "main/analysis_report.h"
#include "main/distributed_report.h"
#include "main/main_values.h"
#include "main/menus.h"
#include "main/program_exit.h"
#include "main/report.h"
#include "main/report_file.h"
#include "main/synthesis_report.h"
#include "model/design_state.h"

namespace mx {
namespace {

void print_report_header(Report& r, const DateTime& t) {
  static const Format kHeader(
      "(/,6X,72(1H-),/,6X,'Mandrelix (v. 1.0)',22X,'Date:',I2,'/',I2,'/',I4,' at ',I2,':',I2,"
      "':',I2,'Hours',/,16X,' RF/Microwave Computer-Aided Engineering Design Data',/,16X,'     "
      "       for COAXIAL LOW-PASS Filters.')");
  r.both(kHeader, {t.imon, t.iday, t.iyr, t.ihr, t.imin, t.isec});
}

// The response label of the cycle's title lines.
void set_response_label(const DesignState& ds, MainValues& mv) {
  const Int1& i = ds.int1;
  if (i.isel == 1 || i.isel == 4) return;  // analysis of the design just made keeps its label
  if (i.ifunc == 1)
    mv.resp = padded("User-defined", 20);
  else if (i.ifunc == 2 && i.isubop == 1)
    mv.resp = padded(" Chebyschev", 20);
  else if (i.ifunc == 2 && i.isubop == 2)
    mv.resp = padded("Butterworth", 20);
}

// One design cycle after the dialog; false when the program is to end.
bool report_and_menu(Console& con, DesignState& ds, MainValues& mv, ReportFile& file) {
  Report r(con.out(), file.out(), ds.int1.istore == 1);
  print_report_header(r, ds.datetime);

  if (ds.int1.ifunc == 1) {
    mv.ierr = run_frequency_analysis(r, ds, mv);
    file.check();
    if (mv.ierr != 0) return false;
    const bool short_menu = ds.int1.ifrom == 1 || ds.int1.ifrom == 2 || ds.int1.ifrom == 5;
    const MenuChoice c = short_menu ? short_analysis_menu(con, ds) : long_analysis_menu(con, ds);
    return c == MenuChoice::kNextCycle;
  }

  print_synthesis_heading(r, ds, mv);
  if (ds.int1.iop != 2) {
    print_element_table(r, ds);
    file.check();
    return electrical_synthesis_menu(con, ds) == MenuChoice::kNextCycle;
  }
  const bool completed = run_distributed_synthesis(r, ds, mv);
  file.check();
  if (!completed) return realizability_menu(con, ds) == MenuChoice::kNextCycle;
  for (;;) {
    const MenuChoice c = distributed_synthesis_menu(con, ds);
    if (c != MenuChoice::kListing) return c == MenuChoice::kNextCycle;
    print_diagnostic_listing(con.out(), ds, mv);
  }
}

}  // namespace

int run_program(std::istream& in, std::ostream& out, std::ostream& err, const Clock& clock,
                const std::filesystem::path& workdir) {
  DesignState ds;
  MainValues mv;
  Console console(in, out);
  ReportFile file(workdir);
  DialogContext ctx{console, clock, workdir};
  int status = 0;
  try {
    ds.int1.isel = 0;
    ds.int1.ifrom = 0;
    ds.int1.itime = 0;
    mv.ierr = 0;
    for (;;) {
      cxlpfin(ds, mv.a2, ctx);
      if (ds.int1.isel == -1) {
        status = 1;  // a defaults or circuit data file was rejected with its message
        break;
      }
      if (ds.int1.istore == 1) file.connect(ds.char1.fno);
      mv.design = "Low Pass ";
      set_response_label(ds, mv);
      if (!report_and_menu(console, ds, mv, file)) break;
    }
    out.flush();
    file.close();
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
