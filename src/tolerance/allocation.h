// Machining tolerances allocated for a target yield: one tolerance per
// dimension a study varies, as loose as the mask allows, so that the target
// share of the parts meets the mask at the least machining cost.
//
// Cost model: a dimension held to +/- t costs weight x (0.001 inch / t), a
// component weight x (1 % / t); the weight is that of its kind (lengths,
// diameters; components 1). No tolerance is finer than the floor of its kind
// or coarser than the ceiling a shop holds without asking.
//
// Method: the mask's margins (the passband loss below its limit, the stop
// attenuation above its own) and each dimension's loss of margin per unit,
// on the worse side of a central difference, give a root-sum-square start:
// the least cost for a given spread of the margins puts t_i in proportion to
// (cost_i / a_i^2)^(1/3), a_i the dimension's loss of margin relative to the
// nominal margin; the scale is the one at which the target's normal quantile
// of that spread uses the whole margin. The Monte Carlo trials of the study
// then find the largest scale (tolerances clamped to floor and ceiling) whose
// trials reach the target, by bisection on the same trials; trials of other
// random streams confirm it, and the scale shrinks until they do.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "analysis/coax_cascade.h"
#include "model/design_record.h"
#include "tolerance/statistics.h"
#include "tolerance/study.h"

namespace mx {

inline constexpr double kDefaultTargetYieldPct = 95.0;
inline constexpr double kDefaultFinestLengthTolIn = 0.0002;
inline constexpr double kDefaultFinestDiameterTolIn = 0.0001;
inline constexpr double kCoarsestTolIn = 0.010;
inline constexpr double kFinestComponentTolPct = 0.1;
inline constexpr double kCoarsestComponentTolPct = 20.0;
// The tolerance at which a dimension costs its weight.
inline constexpr double kCostReferenceIn = 0.001;
inline constexpr double kCostReferencePct = 1.0;

struct AllocationSettings {
  double target_pct = kDefaultTargetYieldPct;
  double finest_length_in = kDefaultFinestLengthTolIn;
  double finest_diameter_in = kDefaultFinestDiameterTolIn;
  double coarsest_in = kCoarsestTolIn;
  double length_weight = 1.0;
  double diameter_weight = 1.0;
};

struct AllocatedTolerance {
  std::string dimension;  // as the study report names it
  bool percent = false;   // a component: the tolerance in percent, else inch
  double tolerance = 0;
  // dB of mask margin lost per inch (per percent) on the worse side of a move,
  // the larger of the passband's and the stop frequency's.
  double margin_loss = 0;
};

// The loosest tolerances of one per kind (every length one, every diameter
// one, every component one) that reach the target on the search's trials.
struct UniformTolerances {
  // NaN: the filter has no dimension of that kind.
  double length_in = std::numeric_limits<double>::quiet_NaN();
  double diameter_in = std::numeric_limits<double>::quiet_NaN();
  double component_pct = std::numeric_limits<double>::quiet_NaN();
  double cost = 0;
  double yield_pct = 0;
};

struct Allocation {
  std::string error;  // why there is no allocation; empty when there is one
  double target_pct = 0;
  std::vector<AllocatedTolerance> tolerances;
  double cost = 0;
  int search_trials = 0;
  double search_yield_pct = 0;
  int confirm_trials = 0;
  int confirm_passed = 0;
  Proportion confirmed;
  UniformTolerances uniform;
  std::uint64_t random_state = 0;
};

// The cost of tolerances tols (inch, or percent where a dimension is a
// component) of dims under the weights of a.
double tolerance_cost(const std::vector<Dimension>& dims, const std::vector<double>& tols,
                      const AllocationSettings& a);

// The allocation for the filter in ds, judged against the study's mask (or
// the design's own) with the study's trials, random state, spread and
// threads. An error when there is no mask, when the nominal filter misses it
// or when the finest tolerances cannot reach the target.
Allocation allocate_tolerances(const DesignRecord& ds, const EndSteps& ends,
                               const StudySettings& study, const AllocationSettings& a);

}  // namespace mx
