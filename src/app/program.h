// The whole program as a function: console streams, a clock, a working folder
// and the command-line options in, exit status out. main() calls it with the
// process's own; tests call it with strings, a fixed clock and a temporary
// folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>

#include "base/clock.h"

namespace mx {

// What the command line asks for besides the dialog. With none of it the run
// is exactly the dialog and its reports.
struct RunOptions {
  // A person types the answers (standard input is a terminal): a typing
  // mistake is asked again, and a report file that cannot be opened asks for
  // another name, instead of ending the run.
  bool interactive = false;
  // Result files; the k-th analysis or synthesis writes FILE-k.ext (k > 1).
  std::optional<std::filesystem::path> touchstone;    // every analysis: S-parameters
  std::optional<std::filesystem::path> csv;           // every analysis: the sweep
  std::optional<std::filesystem::path> save_circuit;  // every synthesis: a circuit data file
  std::optional<std::filesystem::path> plot;          // every analysis: response plot (SVG)
  std::optional<std::filesystem::path> drawing;       // every distributed synthesis: SVG or DXF
  // Threads of a sweep; 0 for as many as the machine has.
  int threads = 0;
  // Machining tolerances, inch (+/-): of every section length and of every
  // diameter. Unset: the tools that use them take their stated defaults.
  std::optional<float> length_tol_in;
  std::optional<float> diameter_tol_in;
  // Tolerance study of every distributed synthesis and every analysis: its
  // report (.txt or .json) and how it is run. Unset values take the study's
  // defaults.
  std::optional<std::filesystem::path> tolerance;
  std::optional<int> trials;
  std::optional<std::uint64_t> random_state;
  std::optional<float> component_tol_pct;
  bool normal_errors = false;  // else uniform within the tolerances
  // The loss mask a trial must meet (for an entered circuit; replaces the
  // design's own for a synthesized one): at most pass_db up to pass_mhz, at
  // least stop_db at stop_mhz.
  std::optional<float> pass_mhz, pass_db, stop_mhz, stop_db;
};

int run_program(std::istream& in, std::ostream& out, std::ostream& err, const Clock& clock,
                const std::filesystem::path& workdir, const RunOptions& options = {});

}  // namespace mx
