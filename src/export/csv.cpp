#include "export/csv.h"

#include <cmath>
#include <complex>

#include "export/number_text.h"
#include "export/s_parameters.h"

namespace mx {
namespace {

// 20 log10 |s| in single precision: |20 log10 |s|| stays below 7000 for any
// finite double, well inside the float range; NaN and -inf pass through the
// narrowing unchanged.
float db_of(std::complex<double> s) { return static_cast<float>(20.0 * std::log10(std::abs(s))); }

}  // namespace

void write_csv(std::ostream& os, const SweepData& d) {
  const bool referred = d.info.reference_ohm > 0.0;
  const double rs = referred ? d.info.reference_ohm : static_cast<double>(d.info.rs);
  const double rl = referred ? d.info.reference_ohm : static_cast<double>(d.info.rl);
  os << "frequency_mhz,zin_re_ohm,zin_im_ohm,vswr,loss_db,phase_deg,delay_ns,return_loss_db,s21_"
        "db"
     << (referred ? ",s11_db\n" : "\n");
  for (const SweepPoint& p : d.points) {
    const SParameters s = abcd_to_s(p.abcd, rs, rl);
    for (float v : {p.f_mhz, p.zin_re, p.zin_im, p.vswr, p.loss_db, p.phase_deg, p.delay_ns,
                    p.return_loss_db}) {
      os << float_text(v) << ',';
    }
    os << float_text(db_of(s.s21));
    if (referred) os << ',' << float_text(db_of(s.s11));
    os << '\n';
  }
}

}  // namespace mx
