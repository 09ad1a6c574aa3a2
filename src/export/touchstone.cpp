#include "export/touchstone.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "export/number_text.h"
#include "export/s_parameters.h"

namespace mx {
namespace {

struct Row {
  float f_mhz;
  SParameters s;
};

// Rows kept for the file and the counts of those left out.
struct Selection {
  std::vector<Row> rows;
  std::size_t bad_frequency = 0;  // negative, NaN or infinite
  std::size_t not_rising = 0;     // not above the last row kept
  std::size_t not_finite = 0;     // S-parameters with NaN or infinite parts
};

Selection select_rows(const std::vector<SweepPoint>& points, double rs, double rl) {
  Selection sel;
  for (const SweepPoint& p : points) {
    if (!std::isfinite(p.f_mhz) || p.f_mhz < 0.0f) {
      ++sel.bad_frequency;
      continue;
    }
    if (!sel.rows.empty() && !(p.f_mhz > sel.rows.back().f_mhz)) {
      ++sel.not_rising;
      continue;
    }
    const SParameters s = abcd_to_s(p.abcd, rs, rl);
    if (!all_finite(s)) {
      ++sel.not_finite;
      continue;
    }
    sel.rows.push_back({p.f_mhz, s});
  }
  return sel;
}

// Text that stays on one comment line and is plain ASCII: control
// characters become blanks, other bytes outside ASCII become '?'.
std::string comment_safe(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) {
      out += ' ';
    } else if (u >= 0x80) {
      out += '?';
    } else {
      out += c;
    }
  }
  return out;
}

std::string impedance_text(float r, float x) {
  if (x == 0.0f) return float_text(r) + " ohm";
  const bool negative = std::signbit(x);
  return float_text(r) + (negative ? " - j" : " + j") + float_text(std::fabs(x)) + " ohm";
}

std::string rows_text(std::size_t n) { return std::to_string(n) + (n == 1 ? " row" : " rows"); }

void write_comments(std::ostream& os, const SweepInfo& info, const Selection& sel, bool refs_ok) {
  if (!info.program_version.empty()) os << "! " << comment_safe(info.program_version) << '\n';

  std::string circuit = info.coaxial ? "Coaxial stepped-impedance low-pass filter"
                                     : "Lumped LC ladder low-pass filter";
  circuit += ", N = " + std::to_string(info.sections);
  if (!info.response.empty()) circuit += ", " + comment_safe(info.response);
  if (!info.configuration.empty())
    circuit += ", " + comment_safe(info.configuration) + " configuration";
  os << "! " << circuit << '\n';
  if (info.cutoff_mhz != 0.0f) {
    os << "! Cutoff " << float_text(info.cutoff_mhz) << " MHz";
    if (info.ripple_db != 0.0f) os << ", passband ripple " << float_text(info.ripple_db) << " dB";
    os << '\n';
  }
  os << "! Source " << impedance_text(info.rs, info.xs) << ", load "
     << impedance_text(info.rl, info.xl) << '\n';
  if (info.reference_ohm > 0.0) {
    os << "! The S-parameters are referred to " << double_text9(info.reference_ohm)
       << " ohm at both ports, not to the source and load.\n";
  } else if (info.xs != 0.0f || info.xl != 0.0f) {
    os << "! The reactive parts of the source and load are not part of this file: the "
          "S-parameters\n"
          "! are referred to their real parts only, Rs at port 1 and Rl at port 2.\n";
  }
  if (!refs_ok) {
    os << "! No S-parameters: the source and load resistances must be positive and finite\n"
          "! (Rs = "
       << float_text(info.rs) << " ohm, Rl = " << float_text(info.rl) << " ohm).\n";
    return;
  }
  if (sel.bad_frequency > 0)
    os << "! " << rows_text(sel.bad_frequency)
       << " dropped: frequency negative or not a finite number\n";
  if (sel.not_rising > 0)
    os << "! " << rows_text(sel.not_rising)
       << " dropped: frequency not above the row before (frequencies must rise strictly)\n";
  if (sel.not_finite > 0)
    os << "! " << rows_text(sel.not_finite) << " dropped: S-parameters not finite\n";
  if (sel.rows.empty()) os << "! No rows to write.\n";
}

void write_row(std::ostream& os, const Row& r) {
  // A zero frequency is written "0", never "-0".
  os << (r.f_mhz == 0.0f ? std::string("0") : float_text(r.f_mhz));
  for (const std::complex<double>& v : {r.s.s11, r.s.s21, r.s.s12, r.s.s22})
    os << ' ' << double_text9(v.real()) << ' ' << double_text9(v.imag());
  os << '\n';
}

}  // namespace

void write_touchstone(std::ostream& os, const SweepData& d) {
  const SweepInfo& info = d.info;
  const bool referred = info.reference_ohm > 0.0;
  const double rs = referred ? info.reference_ohm : static_cast<double>(info.rs);
  const double rl = referred ? info.reference_ohm : static_cast<double>(info.rl);
  const bool refs_ok = valid_reference(rs) && valid_reference(rl);
  const Selection sel = refs_ok ? select_rows(d.points, rs, rl) : Selection{};

  write_comments(os, info, sel, refs_ok);
  if (!refs_ok) {
    // An option line a reader accepts, with no data after it.
    os << "# MHz S RI R 50\n";
    return;
  }
  if (referred) {
    os << "# MHz S RI R " << double_text9(info.reference_ohm) << '\n';
    os << "! f S11 S21 S12 S22 (real, imaginary)\n";
    for (const Row& r : sel.rows) write_row(os, r);
    return;
  }

  const std::string r1 = float_text(info.rs);
  if (info.rs == info.rl) {
    os << "# MHz S RI R " << r1 << '\n';
    os << "! f S11 S21 S12 S22 (real, imaginary)\n";
    for (const Row& r : sel.rows) write_row(os, r);
    return;
  }

  // Version 2.0: [Version] comes first, then the option line, then the
  // keywords in the order the format fixes; [Reference] follows
  // [Number of Ports] and overrides the option line's R for each port.
  os << "[Version] 2.0\n";
  os << "# MHz S RI R " << r1 << '\n';
  os << "[Number of Ports] 2\n";
  os << "[Two-Port Data Order] 21_12\n";
  os << "[Number of Frequencies] " << sel.rows.size() << '\n';
  os << "[Reference] " << r1 << ' ' << float_text(info.rl) << '\n';
  os << "[Network Data]\n";
  os << "! f S11 S21 S12 S22 (real, imaginary)\n";
  for (const Row& r : sel.rows) write_row(os, r);
  os << "[End]\n";
}

}  // namespace mx
