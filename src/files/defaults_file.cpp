#include "files/defaults_file.h"

#include <cmath>
#include <string>

#include "base/convert.h"
#include "files/data_file.h"

namespace mx {
namespace {

// The 36 lines in order; the first failure stops the reading and leaves the
// line's name (padded to 12) and line-kind digit for the message.
class Reader {
 public:
  Reader(DesignRecord& ds, const std::filesystem::path& workdir)
      : ds_(ds),
        in_(data_file_path(workdir, kDefaultsFileName), "defaults file", kDefaultsFileName) {}

  // True when all lines were taken.
  bool run();
  void report(TextOut& console) const;

 private:
  // The entry about to be read, for the message.
  void at(std::string_view name, int index = -1) {
    name_.assign(name);
    name_.resize(12, ' ');
    index_ = index;
  }
  bool read(std::string_view name, float& v, int index = -1) {
    at(name, index);
    return in_.number(v);
  }
  bool read(std::string_view name, Name20& v) {
    at(name);
    return in_.name(v);
  }

  DesignRecord& ds_;
  EntryReader in_;
  std::string name_;
  int index_ = -1;  // line kind 0..3 of lines 15..30, -1 for the others
};

bool Reader::run() {
  DesignData& s = ds_.design;
  Terminations& t = ds_.ports;
  Sweep& w = ds_.sweep;
  LineKinds& k = ds_.lines;
  Losses& l = ds_.losses;
  FileNames& names = ds_.files;

  at("first line.");
  if (!in_.skip()) return false;  // the title is not used

  if (!read("Am.", s.ripple_db) || in_.reject(s.ripple_db == 0.0f)) return false;
  s.ripple_db = std::fabs(s.ripple_db);
  // The attenuation at the skirt must exceed the passband ripple.
  if (!read("A1.", s.skirt_atten_db) || in_.reject(s.skirt_atten_db == 0.0f)) return false;
  s.skirt_atten_db = std::fabs(s.skirt_atten_db);
  if (in_.reject(s.ripple_db >= s.skirt_atten_db)) return false;
  if (!read("FC1.", s.cutoff_mhz) || in_.reject(s.cutoff_mhz <= 0.0f)) return false;
  if (!read("Fmax.", w.stop_mhz) || in_.reject(w.stop_mhz <= 0.0f)) return false;
  if (!read("Fmin.", w.start_mhz) || in_.reject(w.start_mhz <= 0.0f || w.start_mhz > w.stop_mhz))
    return false;
  if (!read("F1.", s.skirt_mhz) || in_.reject(s.skirt_mhz <= 0.0f)) return false;
  if (!read("Fstep.", w.step_mhz) || in_.reject(w.step_mhz <= 0.0f)) return false;
  float count = 0;
  if (!read("N.", count)) return false;
  s.sections = nint(count);
  if (in_.reject(s.sections < 2 || s.sections > 30)) return false;
  if (!read("ZIL.", t.xl)) return false;
  if (!read("ZIS.", t.xs)) return false;
  if (!read("Zo.", s.system_impedance) || in_.reject(s.system_impedance <= 0.0f)) return false;
  if (!read("ZRL.", t.rl)) return false;
  if (!read("ZRS.", t.rs) || in_.reject(t.rs <= 0.0f)) return false;

  // Source line, high-impedance sections, low-impedance sections, load line.
  for (int i = kSourceLine; i <= kLoadLine; ++i) {
    if (!read(" B", k.outer(i), i) || in_.reject(k.outer(i) < 0.0f)) return false;
    if (!read(" D", k.inner(i), i) || in_.reject(k.inner(i) < 0.0f || k.inner(i) >= k.outer(i)))
      return false;
    if (!read("Er", k.er(i), i) || in_.reject(k.er(i) < 1.0f)) return false;
    if (!read("Zo", k.zo(i), i) || in_.reject(k.zo(i) < 0.0f)) return false;
  }

  if (!read("DLTAN", l.loss_tangent) || in_.reject(l.loss_tangent < 0.0f)) return false;
  // Roughness is written in micro-inches and resistivity in micro-ohm-cm;
  // the design record holds inches and ohm-inches.
  if (!read("SR", l.roughness) || in_.reject(l.roughness < 0.0f)) return false;
  l.roughness = l.roughness * 1e-6f;
  if (!read("RES", l.resistivity) || in_.reject(l.resistivity < 0.0f)) return false;
  l.resistivity = l.resistivity * 3.93700788e-07f;  // 1e-6 / 2.54

  // No data or report file may take the program's own names.
  if (!read("FNIE.", names.lumped) || in_.reject(is_reserved_name(names.lumped))) return false;
  if (!read("FNID.", names.coaxial) || in_.reject(is_reserved_name(names.coaxial))) return false;
  if (!read("FNO.", names.report) || in_.reject(is_reserved_name(names.report))) return false;
  return true;
}

void Reader::report(TextOut& console) const {
  static const Format kEnd(
      "(/,6X,'End-of-file in COAXIAL LOW-PASS FILTER default ','value data',/,6X,'file "
      "(Mandrelix.DEF). Entry missing for ','variable ',A12)");
  static const Format kEndIndexed(
      "(/,6X,'End-of-file in COAXIAL LOW-PASS FILTER default ','value data',/,6X,'file "
      "(Mandrelix.DEF). Entry missing for ','variable ',A12,I1)");
  static const Format kBad(
      "(/,6X,'Error exists in COAXIAL LOW-PASS FILTER default ','value data',/,6X,'file "
      "(Mandrelix.DEF). Fix entry for ','variable ',A12)");
  static const Format kBadIndexed(
      "(/,6X,'Error exists in COAXIAL LOW-PASS FILTER default ','value data',/,6X,'file "
      "(Mandrelix.DEF). Fix entry for ','variable ',A12,I1)");
  const bool end = in_.fault() == ReadFault::kEnd;
  if (index_ < 0)
    console.write(end ? kEnd : kBad, {name_});
  else
    console.write(end ? kEndIndexed : kBadIndexed, {name_, index_});
}

}  // namespace

bool read_defaults_file(DesignRecord& ds, TextOut& console, const std::filesystem::path& workdir) {
  return read_or_report(Reader(ds, workdir), console);
}

}  // namespace mx
