// CSV export of an analysed sweep: one row per point, the figures the
// report prints plus the return loss and |S21| from the chain matrix.
#pragma once

#include <ostream>

#include "export/sweep_data.h"

namespace mx {

// Writes the header row
//   frequency_mhz,zin_re_ohm,zin_im_ohm,vswr,loss_db,phase_deg,delay_ns,return_loss_db,s21_db
// and then every point in sweep order, each number in its shortest text that
// reads back to the same float; values that are not finite are written nan,
// inf or -inf. s21_db is 20 log10 |S21| of the point's chain matrix referred to
// Rs at port 1 and Rl at port 2 (as in the Touchstone export), worked in double
// and given in single precision; it is nan when Rs or Rl is not a positive
// finite number or the matrix holds NaN, -inf when S21 is 0. With
// info.reference_ohm set, s21_db is referred to that impedance at both ports
// and one column more ends each row: s11_db, 20 log10 |S11| referred to it.
void write_csv(std::ostream& os, const SweepData& d);

}  // namespace mx
