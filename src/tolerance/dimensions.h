// The machined dimensions (or component values) a tolerance study varies, and
// the trial circuits built from them.
//
// A trial is a copy of the design record with some dimensions moved; the
// network is then built from the copy by the analysis's own code
// (coax_network, lumped_ladder), so a trial is the analysed filter itself.
// What the record derives from a dimension is derived again from the moved
// one with the line layer's functions:
// - an entered coaxial section: its impedance scales with
//   line_impedance(B, D, Er); its junctions are built from the diameters by
//   the network itself;
// - a synthesized filter: one inner and one outer diameter per section kind
//   (high- and low-impedance line, as the record holds them); the impedance
//   of the kind scales with line_impedance, and each stored step capacitance
//   with the static step capacitance of its junction (so the synthesis's
//   proximity reduction is kept); the gap of the frequency factor follows the
//   moved diameters in the network;
// - a lumped ladder: each element value, and each resonating partner, in percent.
// Nothing moved: the copy is the record, bit for bit.
#pragma once

#include <string>
#include <vector>

#include "analysis/coax_cascade.h"
#include "model/design_record.h"

namespace mx {

enum class DimensionKind {
  kSynthesizedLength,  // ds.coax.length(index)
  kKindInner,          // ds.lines.inner(index), index kHighLine or kLowLine
  kKindOuter,          // ds.lines.outer(index)
  kEnteredLength,      // ds.entered.length(index)
  kEnteredInner,       // ds.entered.inner(index)
  kEnteredOuter,       // ds.entered.outer(index)
  kShuntCapacitor,     // ds.ladder.shunt_pf(index), moved in percent
  kSeriesInductor,     // ds.ladder.series_nh(index), moved in percent
  kTankCapacitor,      // ds.ladder.tank_pf(index), across series inductor index, in percent
  kTrapInductor,       // ds.ladder.trap_nh(index), in series with shunt capacitor index, in percent
};

struct Dimension {
  DimensionKind kind = DimensionKind::kSynthesizedLength;
  int index = 0;
  std::string name;  // "L3", "D high", "B 2", "C1" ...
  bool percent() const {
    return kind == DimensionKind::kShuntCapacitor || kind == DimensionKind::kSeriesInductor ||
           kind == DimensionKind::kTankCapacitor || kind == DimensionKind::kTrapInductor;
  }
  bool length() const {
    return kind == DimensionKind::kSynthesizedLength || kind == DimensionKind::kEnteredLength;
  }
};

// The tolerance of one named dimension: +/- inch, or +/- percent for a
// component (a tolerances file, or an allocation).
struct DimensionTolerance {
  std::string dimension;  // as study_dimensions names it
  double value = 0;
  bool percent = false;
};

// How a study evaluates the filter: the lumped ladder or the coaxial network
// (as the analysis chooses its response cascade).
bool lumped_study(const DesignRecord& ds);

// Every dimension of the filter in ds a study varies, source end first.
std::vector<Dimension> study_dimensions(const DesignRecord& ds);

// The nominal record and end steps with the dimensions moved: moves[i]
// (inch, or percent for a component) belongs to dims[i].
class TrialBuilder {
 public:
  TrialBuilder(const DesignRecord& ds, const EndSteps& ends, std::vector<Dimension> dims);

  const std::vector<Dimension>& dimensions() const { return dims_; }

  // The record of one trial (trial is overwritten; ends receives its end steps).
  void build(const std::vector<double>& moves, DesignRecord& trial, EndSteps& ends) const;

 private:
  const DesignRecord& nominal_;
  EndSteps ends_;
  std::vector<Dimension> dims_;
};

}  // namespace mx
