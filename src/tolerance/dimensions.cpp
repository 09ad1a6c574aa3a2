#include "tolerance/dimensions.h"

#include <utility>

#include "analysis/lumped_cascade.h"
#include "line/impedance.h"
#include "line/step_capacitance.h"

namespace mx {
namespace {

const char* kind_name(int kind) { return kind == kHighLine ? "high" : "low"; }

// Static step capacitance (F) of line kind a against line kind b.
float static_step(const LineKinds& k, int a, int b) {
  float factor = 0.0f;
  return step_capacitance(k.inner(a), k.inner(b), k.outer(a), k.outer(b), k.er(a), k.er(b), 0.0f,
                          factor);
}

// The factor by which the moved diameters change the junction of kinds a, b.
float step_ratio(const LineKinds& moved, const LineKinds& nominal, int a, int b) {
  return static_step(moved, a, b) / static_step(nominal, a, b);
}

float impedance_ratio(const LineKinds& moved, const LineKinds& nominal, int kind) {
  return line_impedance(moved.outer(kind), moved.inner(kind), moved.er(kind)) /
         line_impedance(nominal.outer(kind), nominal.inner(kind), nominal.er(kind));
}

// The synthesized filter's stored step capacitances after its section kinds
// changed diameters: the same junctions as the synthesis assigns them.
void rescale_synthesized_steps(const DesignRecord& nominal, DesignRecord& t, EndSteps& ends) {
  const LineKinds& m = t.lines;
  const LineKinds& k = nominal.lines;
  const int n = t.design.sections;
  const bool dual = t.control.configuration == Configuration::kDual;
  const float high_low = step_ratio(m, k, kHighLine, kLowLine);
  for (int j = dual ? 2 : 1; j <= n; j += 2) {
    t.coax.step_f(j, 1) = nominal.coax.step_f(j, 1) * high_low;
    t.coax.step_f(j, 2) = nominal.coax.step_f(j, 2) * high_low;
  }
  const float load_low = step_ratio(m, k, kLoadLine, kLowLine);
  if (!dual) {
    t.coax.step_f(1, 1) = nominal.coax.step_f(1, 1) * step_ratio(m, k, kSourceLine, kLowLine);
    if (n % 2 == 1) t.coax.step_f(n, 2) = nominal.coax.step_f(n, 2) * load_low;
  } else if (n % 2 == 0) {
    t.coax.step_f(n, 2) = nominal.coax.step_f(n, 2) * load_low;
  }
  ends.high_source *= step_ratio(m, k, kHighLine, kSourceLine);
  ends.high_load *= step_ratio(m, k, kHighLine, kLoadLine);
  t.coax.z_high = nominal.coax.z_high * impedance_ratio(m, k, kHighLine);
  t.coax.z_low = nominal.coax.z_low * impedance_ratio(m, k, kLowLine);
}

}  // namespace

bool lumped_study(const DesignRecord& ds) { return ds.control.option == Option::kElectrical; }

std::vector<Dimension> study_dimensions(const DesignRecord& ds) {
  std::vector<Dimension> dims;
  const int n = ds.design.sections;
  auto add = [&](DimensionKind kind, int index, std::string name) {
    dims.push_back(Dimension{kind, index, std::move(name)});
  };
  if (lumped_study(ds)) {
    const LumpedLadder ladder = lumped_ladder(ds);
    for (int k = 1; k <= ladder.count; ++k) {
      const bool series = ladder.series[static_cast<std::size_t>(k - 1)];
      add(series ? DimensionKind::kSeriesInductor : DimensionKind::kShuntCapacitor, k,
          (series ? "L" : "C") + std::to_string(k));
      // The partner that resonates with it: C across a series L, L in series with a shunt C.
      if (ladder.partner[static_cast<std::size_t>(k - 1)] != 0.0f)
        add(series ? DimensionKind::kTankCapacitor : DimensionKind::kTrapInductor, k,
            (series ? "C" : "L") + std::to_string(k) + "'");
    }
    return dims;
  }
  if (ds.control.origin == Origin::kDistributedSynthesis) {
    for (int k = 1; k <= n; ++k) add(DimensionKind::kSynthesizedLength, k, "L" + std::to_string(k));
    for (int kind : {kHighLine, kLowLine}) {
      add(DimensionKind::kKindInner, kind, std::string("D ") + kind_name(kind));
      add(DimensionKind::kKindOuter, kind, std::string("B ") + kind_name(kind));
    }
    return dims;
  }
  for (int k = 1; k <= n; ++k) add(DimensionKind::kEnteredLength, k, "L" + std::to_string(k));
  for (int k = 1; k <= n; ++k) add(DimensionKind::kEnteredInner, k, "D" + std::to_string(k));
  for (int k = 1; k <= n; ++k) add(DimensionKind::kEnteredOuter, k, "B" + std::to_string(k));
  return dims;
}

TrialBuilder::TrialBuilder(const DesignRecord& ds, const EndSteps& ends,
                           std::vector<Dimension> dims)
    : nominal_(ds), ends_(ends), dims_(std::move(dims)) {}

void TrialBuilder::build(const std::vector<double>& moves, DesignRecord& t, EndSteps& ends) const {
  t = nominal_;
  ends = ends_;
  bool kinds_moved = false;
  for (std::size_t i = 0; i < dims_.size(); ++i) {
    if (moves[i] == 0.0) continue;
    const Dimension& d = dims_[i];
    const auto by = static_cast<float>(moves[i]);
    const int k = d.index;
    switch (d.kind) {
      case DimensionKind::kSynthesizedLength:
        t.coax.length(k) += by;
        break;
      case DimensionKind::kKindInner:
        t.lines.inner(k) += by;
        kinds_moved = true;
        break;
      case DimensionKind::kKindOuter:
        t.lines.outer(k) += by;
        kinds_moved = true;
        break;
      case DimensionKind::kEnteredLength:
        t.entered.length(k) += by;
        break;
      case DimensionKind::kEnteredInner:
      case DimensionKind::kEnteredOuter: {
        EnteredLines& e = t.entered;
        (d.kind == DimensionKind::kEnteredInner ? e.inner(k) : e.outer(k)) += by;
        const EnteredLines& o = nominal_.entered;
        e.zo(k) = o.zo(k) * (line_impedance(e.outer(k), e.inner(k), e.er(k)) /
                             line_impedance(o.outer(k), o.inner(k), o.er(k)));
        break;
      }
      case DimensionKind::kShuntCapacitor:
        t.ladder.shunt_pf(k) *= 1.0f + by / 100.0f;
        break;
      case DimensionKind::kSeriesInductor:
        t.ladder.series_nh(k) *= 1.0f + by / 100.0f;
        break;
      case DimensionKind::kTankCapacitor:
        t.ladder.tank_pf(k) *= 1.0f + by / 100.0f;
        break;
      case DimensionKind::kTrapInductor:
        t.ladder.trap_nh(k) *= 1.0f + by / 100.0f;
        break;
    }
  }
  if (kinds_moved) rescale_synthesized_steps(nominal_, t, ends);
}

}  // namespace mx
