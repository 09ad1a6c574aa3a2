// The compiled part of the Python module: a design file read, synthesized and
// analysed by the program's own code. The Python package (mandrelix/__init__.py)
// wraps it with the documented names; this file stays close to the layers.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <stdlib.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "analysis/elements.h"
#include "analysis/sweep.h"
#include "app/coax_lines.h"
#include "app/options.h"
#include "app/result_files.h"
#include "app/standard_values_run.h"
#include "base/clock.h"
#include "base/text_out.h"
#include "design_file/design_file.h"
#include "export/s_parameters.h"
#include "line/ratings.h"
#include "report/dimension_report.h"
#include "synthesis/ladder.h"
#include "synthesis/stepped_line.h"

namespace py = pybind11;
namespace fs = std::filesystem;

namespace {

// The one line of a message printed for the console, without its rules.
std::string one_line(const std::string& text) {
  std::string words;
  std::istringstream in(text);
  for (std::string w; in >> w;)
    if (w.find_first_not_of('-') != std::string::npos)  // not a rule of the report
      words += (words.empty() ? "" : " ") + w;
  return words;
}

// The result options of a command line, refused with the program's own words.
mx::RunOptions result_options(const std::vector<std::string>& args) {
  std::vector<const char*> argv{"mandrelix"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  mx::CommandLine cl = mx::parse_command_line(static_cast<int>(argv.size()), argv.data(), out, err);
  if (cl.exit_now) {
    std::string line = err.str();
    if (!line.empty() && line.back() == '\n') line.pop_back();
    throw py::value_error(line);
  }
  return cl.options;
}

py::dict line_dict(const mx::CoaxLineData& l) {
  py::dict d;
  d["length_in"] = l.length;
  d["outer_in"] = l.outer;
  d["inner_in"] = l.inner;
  d["er"] = l.er;
  d["zo_ohm"] = l.zo;
  d["te11_mhz"] = mx::te11_cutoff_ghz(l.outer, l.inner, l.er) * 1000.0f;
  d["peak_power_w"] = mx::peak_power_kw(l.outer, l.inner, l.er) * 1000.0f;
  return d;
}

class Design {
 public:
  Design(const std::string& text, const std::string& source, bool lines, const std::string& workdir)
      : workdir_(workdir) {
    try {
      spec_ = mx::read_design_text(text, source, lines, workdir_, ds_);
    } catch (const mx::SpecError& e) {
      throw py::value_error(e.what());
    }
    ds_.run_date = mx::SystemClock().now();
    ds_.labels.design = "Low Pass ";
    if (spec_.circuit_file) return;
    mx::DesignData& s = ds_.design;
    const std::string refusal = mx::synthesize_design_ladder(ds_.ladder, s, ds_.control.response);
    if (!refusal.empty()) throw py::value_error(source + ": " + refusal);
    if (ds_.control.option != mx::Option::kDistributed) {
      ds_.control.origin = mx::Origin::kElectricalSynthesis;
      standard_ = mx::snap_to_standard_values(ds_);
      return;
    }
    mx::synthesize_stepped_line(ds_, stepped_);
    if (stepped_.code != mx::Realizability::kDone) {
      std::ostringstream message;
      mx::TextOut console(message);
      mx::print_realizability_message(console, ds_, stepped_);
      throw py::value_error(source +
                            ": the coaxial filter cannot be built: " + one_line(message.str()));
    }
  }

  bool coaxial() const { return ds_.control.option == mx::Option::kDistributed; }
  bool synthesized() const { return !spec_.circuit_file; }
  const std::string& title() const { return spec_.title; }
  int section_count() const { return ds_.design.sections; }

  py::list lines() const {
    py::list out;
    if (!coaxial()) return out;
    const mx::CoaxFilterLines l =
        synthesized() ? mx::synthesized_lines(ds_) : mx::entered_lines(ds_);
    out.append(line_dict(l.source));
    for (const mx::CoaxLineData& s : l.sections) out.append(line_dict(s));
    out.append(line_dict(l.load));
    return out;
  }

  // The ladder in the configuration of the design (the entered one for a circuit file).
  py::dict lumped() const {
    py::dict d;
    const mx::Configuration cfg = ds_.control.configuration == mx::Configuration::kDual
                                      ? mx::Configuration::kDual
                                      : mx::Configuration::kStandard;
    d["configuration"] = cfg == mx::Configuration::kDual ? "dual" : "standard";
    py::list elements, g;
    for (int j = 1; j <= ds_.design.sections; ++j) {
      py::dict e;
      e["position"] = j;
      const bool shunt = mx::capacitive_section(cfg, j);
      if (shunt)
        e["shunt_pf"] = ds_.ladder.shunt_pf(j);
      else
        e["series_nh"] = ds_.ladder.series_nh(j);
      // A resonant arm: its partner and its resonance (a transmission zero).
      const float partner = shunt ? ds_.ladder.trap_nh(j) : ds_.ladder.tank_pf(j);
      if (partner != 0.0f) {
        e[shunt ? "trap_nh" : "tank_pf"] = partner;
        e["resonance_mhz"] = shunt ? mx::resonance_mhz(partner, ds_.ladder.shunt_pf(j))
                                   : mx::resonance_mhz(ds_.ladder.series_nh(j), partner);
      }
      elements.append(e);
    }
    d["elements"] = elements;
    if (standard_) {
      // [response] snap: the exact and chosen values and what they do.
      py::list values;
      for (const mx::SnappedValue& v : standard_->values) {
        py::dict e;
        e["part"] = v.part;
        e["unit"] = v.unit;
        e["exact"] = v.exact;
        e["chosen"] = v.chosen;
        values.append(e);
      }
      auto figures = [](const mx::LadderFigures& f) {
        py::dict e;
        e["passband_edge_mhz"] = f.passband_edge_mhz;
        e["ripple_db"] = f.ripple_db;
        e["stopband_db"] = f.stopband_db;
        return e;
      };
      py::dict s;
      s["series"] = standard_->series;
      s["values"] = values;
      s["exact"] = figures(standard_->exact);
      s["chosen"] = figures(standard_->chosen);
      s["stopband_from_mhz"] = standard_->stop_mhz;
      d["standard_values"] = s;
    }
    if (synthesized()) {
      for (int j = 1; j <= ds_.design.sections + 1; ++j) g.append(ds_.ladder.g(j));
      d["g"] = g;
      d["load_ohm"] =
          cfg == mx::Configuration::kDual ? ds_.ladder.load_dual : ds_.ladder.load_standard;
    }
    return d;
  }

  // The record as the analysis sees it: after a synthesis, that of its analysis.
  mx::DesignRecord analysis_record() const {
    mx::DesignRecord a = ds_;
    if (synthesized()) mx::prepare_analysis(spec_, a);
    return a;
  }
  mx::EndSteps ends() const { return {stepped_.cap_high_source, stepped_.cap_high_load}; }

  py::dict analyse(const py::array_t<float, py::array::c_style | py::array::forcecast>& f) const {
    if (f.ndim() != 1) throw py::value_error("frequency_mhz: expected a one-dimensional array");
    mx::DesignRecord a = analysis_record();
    const auto n = static_cast<py::ssize_t>(f.size());
    py::array_t<float> freq(n), vswr(n), loss(n), phase(n), delay(n);
    py::array_t<std::complex<double>> zin(n);
    py::array_t<std::complex<double>> s({n, py::ssize_t{2}, py::ssize_t{2}});
    auto fi = f.unchecked<1>();
    auto fo = freq.mutable_unchecked<1>();
    auto vo = vswr.mutable_unchecked<1>();
    auto lo = loss.mutable_unchecked<1>();
    auto po = phase.mutable_unchecked<1>();
    auto dout = delay.mutable_unchecked<1>();
    auto zo = zin.mutable_unchecked<1>();
    auto so = s.mutable_unchecked<3>();
    for (py::ssize_t k = 0; k < n; ++k) {
      if (!(fi(k) >= 0.0f) || !std::isfinite(fi(k)))
        throw py::value_error("frequency_mhz: expected finite frequencies, 0 or more");
      const mx::SweepRow r = mx::analyse_point(a, ends(), fi(k));
      fo(k) = r.f_mhz;
      vo(k) = r.figures.vswr;
      lo(k) = r.figures.loss_db;
      po(k) = r.figures.phase_deg;
      dout(k) = r.delay_ns;
      zo(k) = {r.figures.zin_re, r.figures.zin_im};
      const mx::SParameters p = mx::abcd_to_s(r.two_port.v, a.ports.rs, a.ports.rl);
      so(k, 0, 0) = p.s11;
      so(k, 0, 1) = p.s12;
      so(k, 1, 0) = p.s21;
      so(k, 1, 1) = p.s22;
    }
    py::dict d;
    d["frequency_mhz"] = freq;
    d["s"] = s;
    d["zin_ohm"] = zin;
    d["vswr"] = vswr;
    d["loss_db"] = loss;
    d["phase_deg"] = phase;
    d["delay_ns"] = delay;
    d["z0_ohm"] = py::make_tuple(a.ports.rs, a.ports.rl);
    return d;
  }

  // The frequencies of the design file's [analysis], as the program sweeps them.
  std::vector<float> sweep_frequencies() const {
    if (!spec_.analyse)
      throw py::value_error("the design has no [analysis] table: give frequency_mhz");
    std::vector<float> f;
    for (int k = 0; k <= ds_.sweep.steps; ++k) f.push_back(mx::sweep_frequency(ds_.sweep, k));
    return f;
  }

  // A result file of the command line's kind, written by the program's own
  // result files: `what` is "save_circuit", "drawing" or "em_model".
  void write(const std::string& what, const std::string& path,
             const std::vector<std::string>& args) {
    mx::RunOptions o = result_options(args);
    if (what == "save_circuit") o.save_circuit = path;
    if (what == "drawing") o.drawing = path;
    if (what == "em_model") o.em_model = path;
    std::ostringstream err;
    if (!mx::result_folders_exist(o, err)) throw py::value_error(one_line(err.str()));
    mx::ResultFiles files(o, err, workdir_);
    if (what == "save_circuit" && !coaxial())
      files.electrical_synthesis(ds_);
    else if (coaxial() && synthesized())
      files.distributed_synthesis(ds_, stepped_);
    else
      throw py::value_error(what == "save_circuit"
                                ? "a circuit file is written of a synthesized design"
                                : "a drawing and a full-wave model are made of a synthesized "
                                  "coaxial filter");
    if (files.failed()) throw py::value_error(one_line(err.str()));
  }

  // The tolerance study as --tolerance FILE.json writes it, with the other
  // options of the command line; its JSON text and the notes of the error stream.
  py::tuple tolerance_study(const std::vector<std::string>& args, bool of_analysis) {
    const bool analysis = of_analysis || !(coaxial() && synthesized());
    if (analysis && !spec_.analyse)
      throw py::value_error(
          "the tolerance study of an analysis sweeps the design's [analysis]; the design has none");
    mx::RunOptions o = result_options(args);
    std::string pattern = (fs::temp_directory_path() / "mandrelix-study-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw py::value_error("cannot make a temporary folder for the study");
    const fs::path folder = pattern;
    o.tolerance = folder / "study.json";
    std::ostringstream err;
    mx::ResultFiles files(o, err, workdir_);
    const int threads =
        o.threads > 0 ? o.threads : mx::sweep_threads(nullptr, std::thread::hardware_concurrency());
    if (analysis)
      files.tolerance_study(analysis_record(), ends(), threads);
    else
      files.tolerance_study(ds_, ends(), threads);
    std::ifstream in(*o.tolerance);
    std::ostringstream json;
    json << in.rdbuf();
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (files.failed()) throw py::value_error(one_line(err.str()));
    return py::make_tuple(json.str(), err.str());
  }

 private:
  fs::path workdir_;
  mx::DesignRecord ds_;
  mx::DesignFile spec_;
  mx::SteppedLineResult stepped_;
  std::optional<mx::StandardValuesReport> standard_;
};

}  // namespace

PYBIND11_MODULE(_core, m) {
  m.doc() = "The compiled core of mandrelix; use the mandrelix package.";
  py::class_<Design>(m, "Design")
      .def(py::init<const std::string&, const std::string&, bool, const std::string&>())
      .def_property_readonly("coaxial", &Design::coaxial)
      .def_property_readonly("synthesized", &Design::synthesized)
      .def_property_readonly("title", &Design::title)
      .def_property_readonly("section_count", &Design::section_count)
      .def("lines", &Design::lines)
      .def("lumped", &Design::lumped)
      .def("analyse", &Design::analyse)
      .def("sweep_frequencies", &Design::sweep_frequencies)
      .def("write", &Design::write)
      .def("tolerance_study", &Design::tolerance_study);
  py::list names;
  for (const mx::ResponseType& t : mx::response_types()) names.append(std::string(t.name));
  m.attr("response_types") = names;
}
