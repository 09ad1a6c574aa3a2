#include "app/coax_lines.h"

#include <algorithm>

namespace mx {

bool capacitive_section(Configuration c, int j) {
  return c == Configuration::kDual ? j % 2 == 0 : j % 2 != 0;
}

CoaxFilterLines synthesized_lines(const DesignRecord& ds) {
  const LineKinds& k = ds.lines;
  const auto line = [&](int kind, float length) {
    return CoaxLineData{k.outer(kind), k.inner(kind), k.er(kind), k.zo(kind), length};
  };
  CoaxFilterLines f;
  f.source = line(kSourceLine, 0.0f);
  const int n = std::clamp(ds.design.sections, 0, 31);
  for (int j = 1; j <= n; ++j) {
    const int kind = capacitive_section(ds.control.configuration, j) ? kLowLine : kHighLine;
    f.sections.push_back(line(kind, ds.coax.length(j)));
  }
  f.load = line(kLoadLine, 0.0f);
  return f;
}

CoaxFilterLines entered_lines(const DesignRecord& ds) {
  const EnteredLines& e = ds.entered;
  // Lines 0..n+1 must fit the arrays, which end at the load line of a 31-section circuit.
  const int n = std::clamp(ds.design.sections, 0, 31);
  const auto line = [&](int i, float length) {
    return CoaxLineData{e.outer(i), e.inner(i), e.er(i), e.zo(i), length};
  };
  CoaxFilterLines f;
  f.source = line(0, 0.0f);
  for (int i = 1; i <= n; ++i) f.sections.push_back(line(i, e.length(i)));
  f.load = line(n + 1, 0.0f);
  return f;
}

}  // namespace mx
