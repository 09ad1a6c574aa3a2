// What to machine: the lathe operations that move a built filter's response
// back toward its nominal one, knowing that a lathe only removes metal.
//
// The centre conductor is one turned part, a row of discs (the larger inner
// diameters) and rods. Cutting never adds metal, so a step between two
// sections can only move into the section of the larger diameter: facing a
// disc shortens it and lengthens the rod beside it by as much; a section at
// either end that is wider than the end line's centre conductor can be faced
// at its end (the end line takes up the difference); and a diameter can only
// be turned down. A disc found too long is faced; a disc found too short
// cannot be lengthened, and a rod too long cannot be shortened except by
// facing a disc beside it, which lengthens the rod.
//
// The plan is the set of such operations, each a non-negative amount, that
// brings |S21| and |S11| of the fitted circuit (the fit's dimensions and step
// factors, no plane offsets) closest to those of the nominal circuit (the
// same step factors) at the fit's frequencies, in least squares: the solver
// of least_squares.h on the response linearized about the built part, with
// the operations that would add metal dropped one by one (an active set).
// Operations below smallest_cut_in are left out. The predicted -3 dB
// frequency of each operation is that of the part after it and every
// operation listed before it, from the circuit model itself.
#pragma once

#include <string>
#include <vector>

#include "analysis/coax_cascade.h"
#include "fit/fit.h"
#include "model/design_record.h"

namespace mx {

enum class CutKind { kFaceSourceSide, kFaceLoadSide, kTurnDiameter };

struct Correction {
  int section = 0;  // 1..N: the section whose metal is cut
  CutKind cut = CutKind::kFaceSourceSide;
  std::string operation;  // "face the load-side face (lengthens L4)", ...
  double amount_in = 0;
  double predicted_cutoff_3db_mhz = 0;  // NaN: no -3 dB point within the frequencies
};

struct CorrectionSettings {
  double length_tol_in = 0.001;  // a change beyond this is outside the tolerance
  double diameter_tol_in = 0.0005;
  double smallest_cut_in = 0.0001;  // operations below this are not worth a setting of the lathe
};

struct CorrectionPlan {
  std::vector<Correction> corrections;  // from the source end
  std::vector<std::string> notes;       // a dimension outside its tolerance that no cut restores
  double nominal_cutoff_3db_mhz = 0;
  double built_cutoff_3db_mhz = 0;
  double corrected_cutoff_3db_mhz = 0;
  // rms of the differences of |S21| and |S11| from the nominal's, before and after the plan
  double built_distance = 0;
  double corrected_distance = 0;
};

// The plan for the filter of ds (as fit_circuit took it) built as fit found it.
CorrectionPlan plan_corrections(const DesignRecord& ds, const EndSteps& ends, const FitResult& fit,
                                const FitSettings& settings, const CorrectionSettings& c);

}  // namespace mx
