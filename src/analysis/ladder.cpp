#include "analysis/ladder.h"

#include "analysis/elements.h"

namespace mx {

void ladder(const DesignState& ds, float f, int& ierr, TwoPort& rs) {
  ierr = 0;
  rs = TwoPort::identity();
  TwoPort e;
  TwoPort scratch;
  int j = ds.int1.icfg - 1;  // 1: the next position is a series inductor
  for (int k = 1; k <= ds.int1.n; ++k) {
    float value = 0.0f;
    int code = 0;
    if (j != 1) {
      value = ds.real2.shuntc(k);
      code = kShuntC;
      j = 1;
    } else {
      value = ds.real2.serl(k);
      code = kSeriesL;
      j = 0;
    }
    cktle(value, 0.0f, 0.0f, e, f, code, ierr);
    if (ierr != 0) return;
    mmult(scratch, rs, e);
    eq(rs, scratch);
  }
}

}  // namespace mx
