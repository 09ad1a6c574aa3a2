// The names of the result files a run may write. A result option writes its
// first file to the name given and the k-th to the name with "-k" before its
// extension; the table of result options is the one place that says which
// options write files and under what names, so that a new one is one row.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "app/program.h"

namespace mx {

// The k-th name (k from 1) of a result file: name-k.ext for k > 1.
std::filesystem::path numbered_name(const std::filesystem::path& name, int k);

// The envelope plot beside the response plot: resp.svg -> resp-envelope.svg.
std::filesystem::path envelope_name(const std::filesystem::path& plot);

// The fit's overlay beside the response plot: resp.svg -> resp-fit.svg; and
// the fitted circuit beside the fit's report: fit.json -> fit.cxf.
std::filesystem::path fit_overlay_name(const std::filesystem::path& plot);
std::filesystem::path fitted_circuit_name(const std::filesystem::path& report);

// One kind of result file: the option that names it and where RunOptions
// keeps that name; the file's own name made from it (nullptr: the name
// itself) and the option without which it is not written (nullptr: none),
// for a file written beside another one's.
struct ResultOption {
  const char* option;
  std::optional<std::filesystem::path> RunOptions::*name;
  std::filesystem::path (*beside)(const std::filesystem::path& name) = nullptr;
  std::optional<std::filesystem::path> RunOptions::*only_with = nullptr;
};

// Every kind of result file, in the order the refusals name them.
std::span<const ResultOption> result_options();

// A kind of result file the options ask for: the option and the name it was
// given, and the name of its first file (the k-th is numbered_name(first,
// k)); numbered is false for a file written once (the report file).
struct ResultNames {
  std::string option;
  std::filesystem::path given;
  std::filesystem::path first;
  bool numbered = true;
};

// The result files the options ask for, in the order of result_options().
std::vector<ResultNames> asked_result_names(const RunOptions& options);

// The one file both would write to, when a and b write one file under any
// of their names ("./x" and "x", a symbolic link and its target, a-2.csv
// against a.csv numbered); nullopt when they never meet.
std::optional<std::filesystem::path> shared_file(const ResultNames& a, const ResultNames& b);

// Checks before the dialog that no two result files asked for (and the
// report file, when it is known) would write one file; otherwise one line
// naming both options on err, and false.
bool result_files_distinct(const RunOptions& options, std::ostream& err,
                           const std::optional<std::filesystem::path>& report = std::nullopt);

}  // namespace mx
