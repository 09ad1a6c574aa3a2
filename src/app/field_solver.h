// Runs the full-wave model of a coaxial filter (the openEMS script of export/em_model.h) as a child
// process and reads its S-parameters back.
//
// The script runs under Debian's Python, which has python3-openems, in a scratch folder of its
// own; everything it prints goes to a log there. Any failure (no Python, no openEMS, the model
// refused or dropped by the solver, a result that is not finite) is a FieldSolverError whose
// message is one line saying what went wrong, never a result.
#pragma once

#include <complex>
#include <filesystem>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace mx {

// The Python the script runs under unless the environment names another (MANDRELIX_EM_PYTHON).
inline constexpr const char* kFieldSolverPython = "/usr/bin/python3";

// The mesh resolutions the script offers, coarsest first.
inline constexpr const char* kFieldSolverResolutions[] = {"coarse", "fine", "finest"};

struct FieldSolverError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// S11 and S21 of a filter at each frequency, the reference planes at its end faces.
struct FullWaveResponse {
  std::vector<double> f_mhz;
  std::vector<std::complex<double>> s11, s21;
  double solver_s = 0;  // the field solver's own time, s
};

// Runs `script` at the resolution in a new folder under `scratch` (removed afterwards).
FullWaveResponse run_field_solver(const std::string& python, const std::string& script,
                                  const std::string& resolution,
                                  const std::filesystem::path& scratch);

// The two-port Touchstone file the script writes (MHz, RI; version 1 or 2.0), its S11 and S21 and
// the solver time from its comments. Throws FieldSolverError when it is not such a file or holds a
// number that is not finite.
FullWaveResponse read_full_wave(std::istream& in);

}  // namespace mx
