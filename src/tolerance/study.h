// Tolerance and yield study of one filter: many trials of the machined
// filter, each dimension moved at random within its tolerance, every trial
// evaluated by the analysis's own cascade and loss code over one list of
// frequencies and judged against a loss mask.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/coax_cascade.h"
#include "model/design_record.h"
#include "tolerance/dimensions.h"
#include "tolerance/statistics.h"

namespace mx {

// How the error of one dimension is drawn: uniform within +/- the
// tolerance, or normal with the tolerance as three standard deviations.
enum class Spread { kUniform, kNormal };

inline constexpr std::uint64_t kDefaultRandomState = 20260709;

// A loss mask: attenuation at most pass_db at every frequency up to
// pass_mhz and, when stop_mhz is given, at least stop_db at stop_mhz.
struct LossMask {
  float pass_mhz = 0;
  float pass_db = 0;
  std::optional<float> stop_mhz;
  float stop_db = 0;
};

// Why a study or an allocation of an entered circuit without a mask has no yield.
inline constexpr const char* kNoMaskNote =
    "no mask: give --pass-mhz and --pass-db for an entered circuit";

struct StudySettings {
  int trials = 1000;
  std::uint64_t random_state = kDefaultRandomState;
  float length_tol_in = 0.001f;     // +/- inch
  float diameter_tol_in = 0.0005f;  // +/- inch
  float component_tol_pct = 5.0f;   // +/- percent
  Spread spread = Spread::kUniform;
  std::optional<LossMask> mask;  // replaces the design's own mask when given
  int threads = 1;
  // Dimensions held to their own tolerances instead of the uniform ones.
  std::vector<DimensionTolerance> own_tolerances;
};

// Step of the central difference of a sensitivity: one mil, or one percent.
inline constexpr double kSensitivityStepIn = 0.001;
inline constexpr double kSensitivityStepPct = 1.0;

struct Sensitivity {
  std::string name;
  double per_unit = 0;  // MHz per mil (per percent for a component); NaN: no -3 dB point
};

struct StudyResult {
  std::string circuit;            // "synthesized coaxial filter", ...
  std::vector<float> f_mhz;       // the points of the envelope
  std::vector<float> nominal_db;  // the report's Loss (negative: attenuation)
  std::vector<float> lowest_db;   // the least of every trial at each point
  std::vector<float> highest_db;  // the greatest
  std::optional<LossMask> mask;   // the mask judged (none: no yield)
  std::string mask_note;          // why there is no yield, when there is none
  StudySettings settings;
  int trials = 0;
  int passed = 0;
  Proportion yield;
  Spread5 worst_pass_loss_db;  // largest attenuation up to the mask's pass frequency
  Spread5 cutoff_3db_mhz;      // first frequency where the attenuation reaches 3 dB
  int without_3db = 0;         // trials that do not reach 3 dB within the frequencies
  double nominal_3db_mhz = 0;
  bool nominal_passed = false;
  std::string nominal_miss;  // why the nominal filter misses the mask (empty when it meets it)
  // Own tolerances that name no dimension of this filter (left out).
  std::vector<std::string> unmatched_tolerances;
  std::vector<Sensitivity> sensitivity;
};

// The frequencies of the study of ds: the analysis's sweep, or for a
// distributed synthesis (no sweep) kSynthesisPoints points from 0 to
// kSynthesisSpan x FC1.
inline constexpr int kSynthesisPoints = 301;
inline constexpr float kSynthesisSpan = 3.0f;
std::vector<float> study_frequencies(const DesignRecord& ds);

// The terminations a study uses: the analysis's, or Zo at both ends for a
// synthesis.
Terminations study_terminations(const DesignRecord& ds);

// The design's own mask: Am (3.01 dB for a Butterworth response) up to FC1,
// and A1 at F1 when the section count came from a skirt. None for an
// entered circuit.
std::optional<LossMask> design_mask(const DesignRecord& ds);

// The attenuation of one trial at every frequency (positive dB).
std::vector<float> trial_loss(const DesignRecord& ds, const EndSteps& ends,
                              const std::vector<float>& f_mhz);

// The first frequency at which the attenuation reaches 3 dB, by linear
// interpolation between points; NaN when it is never reached (or already at
// the first point).
double cutoff_3db(const std::vector<float>& f_mhz, const std::vector<float>& attenuation_db);

// Why a filter misses mask m, in one phrase ("worst passband loss 0.1463 dB,
// conductor losses included, against Am 0.1000 dB"): the worst passband loss
// and the attenuation at the stop frequency (dB), whether the mask is the
// design's own (Am, A1) and whether conductor losses are part of the model.
// Empty when the figures meet the mask.
std::string mask_miss(const LossMask& m, bool design_own, double worst_pass_db, double stop_db,
                      bool conductor_losses);

// Whether the study's model of ds includes conductor losses.
bool conductor_losses(const DesignRecord& ds);

// The own tolerances of s that name no dimension of dims (or name it in the
// other unit).
std::vector<std::string> unmatched_tolerances(const std::vector<Dimension>& dims,
                                              const StudySettings& s);

StudyResult run_tolerance_study(const DesignRecord& ds, const EndSteps& ends,
                                const StudySettings& settings);

}  // namespace mx
