#include "app/result_names.h"

#include <system_error>

namespace mx {
namespace fs = std::filesystem;

namespace {

// What decides the names of a kind of result file: its folder as the system
// resolves it (links and "." followed), and the stem and extension.
struct NameParts {
  fs::path folder;
  std::string stem, extension;
};

NameParts parts(const fs::path& name) {
  std::error_code ec;
  fs::path folder = name.parent_path();
  if (folder.empty()) folder = ".";
  fs::path resolved = fs::weakly_canonical(fs::absolute(folder, ec), ec);
  if (ec) resolved = folder.lexically_normal();
  return {resolved, name.stem().string(), name.extension().string()};
}

// True when stem is base numbered for a later file (base-k, k >= 2, as
// numbered_name writes it).
bool numbered_stem(const std::string& stem, const std::string& base) {
  if (stem.size() < base.size() + 2 || stem.compare(0, base.size(), base) != 0 ||
      stem[base.size()] != '-')
    return false;
  const std::string k = stem.substr(base.size() + 1);
  if (k.find_first_not_of("0123456789") != std::string::npos || k[0] == '0') return false;
  return k.size() > 1 || k[0] >= '2';
}

// The file one name writes to: links followed, a dangling one too (writing
// through it creates its target); the name itself when it cannot be resolved.
fs::path resolved(const fs::path& name) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(name, ec), ec);
  if (ec) return name.lexically_normal();
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
    const fs::path target = fs::read_symlink(p, ec);
    if (ec) break;
    p = fs::weakly_canonical(p.parent_path() / target, ec);
    if (ec) break;
  }
  return p;
}

}  // namespace

fs::path numbered_name(const fs::path& name, int k) {
  if (k <= 1) return name;
  fs::path out = name.parent_path() / (name.stem().string() + "-" + std::to_string(k));
  out += name.extension();
  return out;
}

fs::path envelope_name(const fs::path& plot) {
  fs::path out = plot.parent_path() / (plot.stem().string() + "-envelope");
  out += plot.extension();
  return out;
}

fs::path fit_overlay_name(const fs::path& plot) {
  fs::path out = plot.parent_path() / (plot.stem().string() + "-fit");
  out += plot.extension();
  return out;
}

fs::path fitted_circuit_name(const fs::path& report) {
  fs::path out = report;
  out.replace_extension(".cxf");
  return out;
}

std::span<const ResultOption> result_options() {
  static const ResultOption kResultOptions[] = {
      {"--touchstone", &RunOptions::touchstone},
      {"--csv", &RunOptions::csv},
      {"--save-circuit", &RunOptions::save_circuit},
      {"--plot", &RunOptions::plot},
      // The tolerance envelope beside the response plot of every study.
      {"--plot", &RunOptions::plot, envelope_name, &RunOptions::tolerance},
      {"--drawing", &RunOptions::drawing},
      {"--em-model", &RunOptions::em_model},
      {"--spice", &RunOptions::spice},
      {"--tolerance", &RunOptions::tolerance},
      {"--allocate-tolerances", &RunOptions::allocate_tolerances},
      {"--em-correct", &RunOptions::em_correct},
      {"--fit-report", &RunOptions::fit_report},
      // The fitted circuit beside the report, and the overlay beside the response plot.
      {"--fit-report", &RunOptions::fit_report, fitted_circuit_name},
      {"--plot", &RunOptions::plot, fit_overlay_name, &RunOptions::fit},
  };
  return kResultOptions;
}

std::vector<ResultNames> asked_result_names(const RunOptions& options) {
  std::vector<ResultNames> names;
  for (const ResultOption& r : result_options()) {
    const std::optional<fs::path>& name = options.*r.name;
    if (!name || (r.only_with && !(options.*r.only_with))) continue;
    names.push_back({r.option, *name, r.beside ? r.beside(*name) : *name});
  }
  return names;
}

std::optional<fs::path> shared_file(const ResultNames& a, const ResultNames& b) {
  // The first files, links and all: one file by two names.
  std::error_code ec;
  if (resolved(a.first) == resolved(b.first) || fs::equivalent(a.first, b.first, ec))
    return b.first;
  const NameParts pa = parts(a.first), pb = parts(b.first);
  if (pa.folder != pb.folder || pa.extension != pb.extension) return std::nullopt;
  if (pa.stem == pb.stem) return b.first;
  // The k-th file of one is the first of the other.
  if (a.numbered && numbered_stem(pb.stem, pa.stem)) return b.first;
  if (b.numbered && numbered_stem(pa.stem, pb.stem)) return a.first;
  return std::nullopt;
}

bool result_files_distinct(const RunOptions& options, std::ostream& err,
                           const std::optional<fs::path>& report) {
  std::vector<ResultNames> names = asked_result_names(options);
  if (report) names.push_back({"the report file", *report, *report, false});
  for (std::size_t i = 0; i < names.size(); ++i)
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      if (names[i].option == names[j].option) continue;  // one option's files are numbered apart
      if (const auto file = shared_file(names[i], names[j])) {
        err << "mandrelix: " << names[i].option << " \"" << names[i].given.string() << "\" and "
            << names[j].option << " \"" << names[j].given.string() << "\" would write one file, \""
            << file->string() << "\"\n";
        return false;
      }
    }
  return true;
}

}  // namespace mx
