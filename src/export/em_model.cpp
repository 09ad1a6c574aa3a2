#include "export/em_model.h"

#include <cmath>
#include <cstddef>
#include <sstream>

#include "export/number_text.h"

namespace mx {
namespace {

// The model: the same for every filter, it reads the MODEL data block written before it. Its
// source is em_model_script.py beside this file.
#include "em_model_script.inc"

bool positive(float v) { return std::isfinite(v) && v > 0.0f; }

std::optional<std::string> line_refusal(const DrawingLine& l, const std::string& which,
                                        bool with_length) {
  if (!positive(l.outer) || !positive(l.inner))
    return which + ": a diameter is not a positive number";
  if (!(l.inner < l.outer)) return which + ": the centre conductor is not smaller than the bore";
  if (!std::isfinite(l.er) || l.er < 1.0f)
    return which + ": the dielectric constant is below 1 or not a number";
  if (with_length && !(std::isfinite(l.length) && l.length >= 0.0f))
    return which + ": the length is negative or not a number";
  return std::nullopt;
}

// Printable ASCII safe in a comment and in a Python string: quotes, backslashes and other bytes
// become '?'.
std::string plain_text(const std::string& s) {
  std::string out;
  for (const char c : s) {
    const bool plain = c >= ' ' && c <= '~' && c != '"' && c != '\\';
    out += plain ? c : '?';
  }
  return out;
}

std::string python_text(const std::string& s) { return '"' + plain_text(s) + '"'; }

void write_line(std::ostream& os, const DrawingLine& l, bool with_length) {
  os << "{\"outer_in\": " << float_text(l.outer) << ", \"inner_in\": " << float_text(l.inner)
     << ", \"er\": " << float_text(l.er)
     << ", \"zo\": "
     // The printed impedance is only carried along (the model works out its own).
     << (std::isfinite(l.zo) ? float_text(l.zo) : std::string("float(\"nan\")"));
  if (with_length) os << ", \"length_in\": " << float_text(l.length);
  os << '}';
}

}  // namespace

std::optional<std::string> em_model_refusal(const EmModelData& d) {
  if (auto r = line_refusal(d.source, "the source line", false)) return r;
  for (std::size_t j = 0; j < d.sections.size(); ++j)
    if (auto r = line_refusal(d.sections[j], "section " + std::to_string(j + 1), true)) return r;
  if (auto r = line_refusal(d.load, "the load line", false)) return r;
  if (!std::isfinite(d.cutoff_mhz) || !std::isfinite(d.ripple_db))
    return std::string("the cutoff or the ripple is not a number");
  if (!positive(d.rs) || !positive(d.rl))
    return std::string("a source or load resistance is not a positive number");
  bool any = false;
  for (const float f : d.f_mhz) {
    if (!std::isfinite(f)) return std::string("a frequency is not a number");
    any = any || f > 0.0f;
  }
  if (!any) return std::string("no frequency above 0 MHz");
  return std::nullopt;
}

void write_em_model(std::ostream& os, const EmModelData& d) {
  os << "#!/usr/bin/env python3\n"
     << "# openEMS full-wave model of " << plain_text(d.title) << '\n';
  os << "# Written by " << plain_text(d.program_version) << ". Run with Debian's python3-openems:\n"
     << "#   /usr/bin/python3 THIS_FILE.py OUT.s2p [--resolution coarse|fine|finest]\n"
     << "#                                      [--threads N] [--keep DIR]\n"
     << "# It writes the filter's S-parameters (Touchstone) at the frequencies below; the\n"
     << "# reference planes are the end faces of the first and last sections.\n\n";
  os << "MODEL = {\n"
     << "    \"program\": " << python_text(d.program_version) << ",\n"
     << "    \"title\": " << python_text(d.title) << ",\n"
     << "    # Lines: diameters of the bore (outer) and the centre conductor (inner) and section\n"
     << "    # lengths in inches, relative dielectric constant, impedance in ohms.\n"
     << "    \"source\": ";
  write_line(os, d.source, false);
  os << ",\n    \"sections\": [\n";
  for (const DrawingLine& l : d.sections) {
    os << "        ";
    write_line(os, l, true);
    os << ",\n";
  }
  os << "    ],\n    \"load\": ";
  write_line(os, d.load, false);
  os << ",\n    \"cutoff_mhz\": " << float_text(d.cutoff_mhz)
     << ",\n    \"ripple_db\": " << float_text(d.ripple_db) << ",  # of the design (0: not known)"
     << "\n    \"reference_ohm\": [" << float_text(d.rs) << ", " << float_text(d.rl) << "],\n"
     << "    \"frequencies_mhz\": [";
  for (std::size_t k = 0; k < d.f_mhz.size(); ++k) {
    os << (k % 8 == 0 ? "\n        " : " ") << float_text(d.f_mhz[k]) << ',';
  }
  os << "\n    ],\n}\n\n" << kModelScript;
}

}  // namespace mx
