#include "analysis/lumped_cascade.h"

#include "analysis/elements.h"

namespace mx {

void lumped_cascade(const DesignRecord& ds, float f, TwoPort& rs) {
  rs = TwoPort::identity();
  TwoPort e;
  TwoPort scratch;
  bool series_next = ds.control.configuration == Configuration::kDual;
  for (int k = 1; k <= ds.design.sections; ++k) {
    if (!series_next) {
      element_two_port(Element::kShuntC, ds.ladder.shunt_pf(k), 0.0f, 0.0f, f, e);
    } else {
      element_two_port(Element::kSeriesL, ds.ladder.series_nh(k), 0.0f, 0.0f, f, e);
    }
    series_next = !series_next;
    chain_product(scratch, rs, e);
    rs = scratch;
  }
}

}  // namespace mx
