#include "analysis/response.h"

#include "analysis/coax_ladder.h"
#include "analysis/ladder.h"
#include "analysis/port_quantities.h"

namespace mx {

int analysis_point(DesignState& ds, float disc2, float disc5, float f, PointResponse& out) {
  TwoPort rs;
  if (ds.int1.iop == 1) {
    int ierr = 0;
    ladder(ds, f, ierr, rs);
    if (ierr != 0) return ierr;
  } else if (ds.int1.iop == 2) {
    cxladd(ds, disc2, disc5, f, rs);
  }
  const auto& r1 = ds.real1;
  lddrtg(0, out.il, out.phf, rs, out.rtl, out.vswr, r1.zil, out.zini, out.zinr, r1.zis, r1.zrl,
         r1.zrs);
  legroup(ds, disc2, disc5, f, out.phf, out.td);
  return 0;
}

}  // namespace mx
