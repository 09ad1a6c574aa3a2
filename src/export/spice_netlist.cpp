#include "export/spice_netlist.h"

#include <cmath>
#include <cstdio>

namespace mx {
namespace {

// A value in SI units with every digit of the float it came from.
std::string si(float v, double scale) {
  char text[40];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v) * scale);
  return text;
}

constexpr double kPico = 1e-12, kNano = 1e-9, kMegaHz = 1e6;

bool positive(float v) { return v > 0.0f && std::isfinite(v); }

}  // namespace

std::optional<std::string> spice_refusal(const SpiceLadder& l) {
  if (l.arms.empty()) return "the ladder has no elements";
  for (std::size_t k = 0; k < l.arms.size(); ++k) {
    const SpiceArm& a = l.arms[k];
    if (!positive(a.value) || !(a.partner >= 0.0f && std::isfinite(a.partner)))
      return "element " + std::to_string(k + 1) + " has no positive finite value";
  }
  if (!positive(l.rs) || !positive(l.rl))
    return "the terminations must be positive resistances (a reactance is no fixed element)";
  if (!(l.start_mhz > 0.0f && l.stop_mhz >= l.start_mhz && std::isfinite(l.stop_mhz) &&
        l.points >= 1))
    return "the sweep must run upwards from above 0 MHz";
  return std::nullopt;
}

void write_spice_netlist(std::ostream& os, const SpiceLadder& l) {
  os << "* " << l.title << "\n* Written by " << l.program_version
     << ". Run it with: ngspice -b FILE.cir\n\n";
  os << "* The filter: node in at the source, out at the load, 0 ground. A series\n"
        "* inductor with a capacitor across it, or a shunt capacitor with an\n"
        "* inductor in series, is a resonant arm.\n"
        ".subckt FILTER in out\n";
  std::string node = "in";
  int inner = 0;  // the nodes between the ends, n1, n2 ...
  const std::size_t last_series = [&] {
    std::size_t at = l.arms.size();
    for (std::size_t k = 0; k < l.arms.size(); ++k)
      if (l.arms[k].series) at = k;
    return at;
  }();
  for (std::size_t k = 0; k < l.arms.size(); ++k) {
    const SpiceArm& a = l.arms[k];
    const std::string at = std::to_string(k + 1);
    if (a.series) {
      const std::string next = k == last_series ? "out" : "n" + std::to_string(++inner);
      os << "L" << at << ' ' << node << ' ' << next << ' ' << si(a.value, kNano) << '\n';
      if (a.partner > 0.0f)
        os << "C" << at << "p " << node << ' ' << next << ' ' << si(a.partner, kPico) << '\n';
      node = next;
    } else if (a.partner > 0.0f) {
      const std::string mid = "m" + at;
      os << "C" << at << ' ' << node << ' ' << mid << ' ' << si(a.value, kPico) << '\n';
      os << "L" << at << "p " << mid << " 0 " << si(a.partner, kNano) << '\n';
    } else {
      os << "C" << at << ' ' << node << " 0 " << si(a.value, kPico) << '\n';
    }
  }
  // A ladder that ends in shunt arms after its last series one has them at out.
  if (last_series == l.arms.size()) os << "Vthrough in out DC 0\n";
  os << ".ends FILTER\n\n";

  const std::string rs = si(l.rs, 1.0), rl = si(l.rl, 1.0);
  os << "* Test bench: a 1 V source behind Rs, the filter, the load Rl, and the\n"
        "* analysis's sweep. S21 = 2 sqrt(Rs/Rl) V(out) / V(src); its magnitude in\n"
        "* dB is printed for every frequency.\n"
        "V1 src 0 DC 0 AC 1\n"
     << "Rs src in " << rs << '\n'
     << "X1 in out FILTER\n"
     << "Rl out 0 " << rl << '\n'
     << ".control\nset width=200\nset nobreak\n"
     << "set numdgt=12\n"
     << "ac lin " << l.points << ' ' << si(l.start_mhz, kMegaHz) << ' ' << si(l.stop_mhz, kMegaHz)
     << '\n'
     << "let s21_db = db(2 * sqrt(" << rs << " / " << rl << ") * v(out))\n"
     << "print s21_db\n.endc\n.end\n";
}

}  // namespace mx
