// Section lengths corrected by the full wave: the program runs the openEMS model of a synthesized
// coaxial filter and moves its section lengths until the full-wave response has the -3 dB
// frequency and passband edge of the circuit model's nominal one.
//
// The method is aggressive space mapping (J. W. Bandler, R. M. Biernacki, S. H. Chen,
// R. H. Hemmers and K. Madsen, "Electromagnetic optimization exploiting aggressive space
// mapping", IEEE Trans. Microwave Theory Tech., vol. 43, no. 12, pp. 2874-2882, Dec. 1995). The
// circuit model is the coarse model, whose optimum is the synthesized lengths x*; the field
// solution is the fine model. Parameter extraction finds the circuit-model lengths z = P(x) whose
// response reproduces the field solution of the lengths x; the mapping's residual is
// h(x) = P(x) - z*. With lengths alone the extraction cannot reproduce every detail of a field
// solution (a coarse mesh's least of all): z* is therefore not simply x* but the lengths nearest
// x* whose circuit model has its -3 dB frequency and passband edge displaced from the nominal's by
// what the extraction missed, the other way (the output correction of later space-mapping work;
// with a perfect extraction z* = x*). Each step solves B dx = -h with B, the mapping's Jacobian,
// starting as the identity and refined by Broyden's rank-one update B += (dh - B dx) dx^T / (dx^T
// dx) after each field run. The loop ends when the full-wave -3 dB frequency and passband edge are
// both within kEmTolerancePct of the nominal's, or after the settings' most field runs (then not
// converged).
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/coax_cascade.h"
#include "app/field_solver.h"
#include "model/design_record.h"

namespace mx {

inline constexpr double kEmTolerancePct = 0.05;
inline constexpr int kEmMostFieldRuns = 6;

// The resolutions --em-resolution takes: the script's, and "converged", the fine and the finest
// solutions extrapolated to a zero cell size (Richardson, second order: the finest mesh halves
// every cell of the fine one).
inline constexpr const char* kEmConverged = "converged";
bool valid_em_resolution(const std::string& r);

// The field solution of the filter of a design record (its section lengths), at the frequencies.
using FieldRun =
    std::function<FullWaveResponse(const DesignRecord& ds, const std::vector<float>& f_mhz)>;

// Parameter extraction: the circuit-model lengths (inch, sections 1..N) that reproduce the field
// solution `fw` of the filter ds, starting from `start`. Throws FieldSolverError when the fit
// fails.
using LengthExtraction = std::function<std::vector<double>(
    const DesignRecord& ds, const EndSteps& ends, const FullWaveResponse& fw,
    const std::vector<double>& start)>;

struct EmIteration {
  double cutoff_3db_mhz = 0, edge_mhz = 0;  // of the field solution
  std::vector<float> lengths_in;            // the lengths simulated, sections 1..N
  double solver_s = 0;                      // the field solver's time for this run
};

struct EmCorrection {
  double target_3db_mhz = 0, target_edge_mhz = 0;  // the circuit model's nominal, lossless
  std::vector<EmIteration> iterations;             // one per field run, the first the synthesis's
  bool converged = false;
  std::vector<float> lengths_in;  // the lengths of the run that met the target (else the last)
  double shift_pct = 0, edge_shift_pct = 0;  // of that run against the target
  std::string resolution;
  std::string failure;  // why it did not converge, when it did not
};

// The first frequency at which the loss (positive dB) rises through 3 dB, and the passband edge:
// the frequency from which it stays above am_db up to that point (a ripple peak that touches am_db
// earlier is not the edge). Linear interpolation between points; NaN when not found.
struct ResponseEdges {
  double cutoff_3db_mhz, edge_mhz;
};
ResponseEdges response_edges(const std::vector<double>& f_mhz, const std::vector<double>& loss_db,
                             double am_db);

// The record of the synthesized filter with the section lengths given (and no losses, as the
// field solution has none).
DesignRecord with_lengths(const DesignRecord& ds, const std::vector<double>& lengths_in);

// S11 and S21 of the circuit model of ds at each frequency, referred to its system impedance.
FullWaveResponse circuit_response(const DesignRecord& ds, const EndSteps& ends,
                                  const std::vector<float>& f_mhz);

// The frequencies of the correction's field runs: 0 to 3 x FC1 by FC1/100, and by FC1/1000 from
// just below the nominal edge to just above its -3 dB frequency.
std::vector<float> correction_frequencies(const DesignRecord& ds, const EndSteps& ends);

// The whole loop. `progress` hears one line per field run.
EmCorrection correct_lengths(const DesignRecord& ds, const EndSteps& ends,
                             const std::string& resolution, const FieldRun& field,
                             const LengthExtraction& extract, std::ostream& progress);

void write_correction_json(std::ostream& os, const EmCorrection& c);

}  // namespace mx
