// The machinery the study and the allocation share: the random errors of a
// trial, the frequencies a trial is evaluated at, and the verdict of the mask
// on its attenuation. Internal to the tolerance layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "tolerance/dimensions.h"
#include "tolerance/study.h"

namespace mx::detail {

// Trials a thread takes at a time: some milliseconds of work, small beside a
// study of thousands of trials.
inline constexpr std::size_t kTrialsPerPiece = 50;

// The tolerance (inch, or percent for a component) of every dimension of
// dims: its own tolerance in s when s names it, else the uniform one of its
// kind.
std::vector<double> tolerances_of(const std::vector<Dimension>& dims, const StudySettings& s);

// The errors of trial number `trial` (its own random stream of the random
// state), in the order of the tolerances, drawn as `spread` says.
void draw_moves(const std::vector<double>& tols, Spread spread, std::uint64_t random_state,
                std::uint64_t trial, std::vector<double>& moves);

// The frequencies a trial is evaluated at: the study's points first, then the
// mask's own frequencies.
struct Evaluation {
  std::vector<float> f;
  std::size_t points = 0;
  std::optional<LossMask> mask;
  std::size_t pass_at = 0;  // index of the mask's pass frequency in f
  std::size_t stop_at = 0;
};
Evaluation evaluation_of(const std::vector<float>& points, const std::optional<LossMask>& mask);

struct TrialFigures {
  bool passed = false;
  double worst_pass_db = 0;  // NaN without a mask
  double stop_db = 0;        // attenuation at the stop frequency; NaN without one
  double f3db = 0;           // NaN: no -3 dB point
};
TrialFigures judge(const Evaluation& e, const std::vector<float>& attenuation_db);

}  // namespace mx::detail
