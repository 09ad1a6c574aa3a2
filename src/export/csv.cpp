#include "export/csv.h"

#include <cmath>
#include <complex>

#include "export/number_text.h"
#include "export/s_parameters.h"

namespace mx {

void write_csv(std::ostream& os, const SweepData& d) {
  const double rs = static_cast<double>(d.info.rs);
  const double rl = static_cast<double>(d.info.rl);
  os << "frequency_mhz,zin_re_ohm,zin_im_ohm,vswr,loss_db,phase_deg,delay_ns,return_loss_db,s21_"
        "db\n";
  for (const SweepPoint& p : d.points) {
    const std::complex<double> s21 = abcd_to_s(p.abcd, rs, rl).s21;
    // |20 log10 |S21|| stays below 7000 for any finite double, well inside
    // the float range; NaN and -inf pass through the narrowing unchanged.
    const float s21_db = static_cast<float>(20.0 * std::log10(std::abs(s21)));
    for (float v : {p.f_mhz, p.zin_re, p.zin_im, p.vswr, p.loss_db, p.phase_deg, p.delay_ns,
                    p.return_loss_db}) {
      os << float_text(v) << ',';
    }
    os << float_text(s21_db) << '\n';
  }
}

}  // namespace mx
