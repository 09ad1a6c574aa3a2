#include "files/defaults_file.h"

#include <cmath>
#include <string>

#include "files/line_file.h"
#include "main/field_read.h"
#include "model/convert.h"

namespace mx {
namespace {

constexpr const char* kFileName = "Mandrelix.DEF";

enum class Fault { kNone, kEnd, kBad };

// Reads the 36 lines in order. Every value is stored as soon as it is read,
// then tested, then converted; the first failure stops the reading and
// leaves the line's name (padded to 12) and line-kind digit for the message.
class Reader {
 public:
  Reader(DesignState& ds, const std::filesystem::path& workdir)
      : ds_(ds), file_(data_file_path(workdir, kFileName), "defaults file", kFileName) {}

  // True when all lines were taken.
  bool run();
  void report(TextOut& console) const;

 private:
  void name_line(std::string_view name, int index) {
    name_.assign(name);
    name_.resize(12, ' ');
    index_ = index;
  }
  // Reads the next line by "(F13.0)" into v; false (with the fault) when the
  // file ended or the line is not a number, v then unchanged.
  bool read(std::string_view name, float& v, int index = -1) {
    name_line(name, index);
    if (!file_.next(line_)) return fail(Fault::kEnd);
    const NumericField f = read_f13(line_);
    if (!f.ok) return fail(Fault::kBad);
    v = f.value;
    return true;
  }
  // Reads the next line by "(A20)" into v.
  bool read(std::string_view name, Name20& v) {
    name_line(name, -1);
    if (!file_.next(line_)) return fail(Fault::kEnd);
    v = read_a20(line_);
    return true;
  }
  bool rejected(bool reject) { return reject && !fail(Fault::kBad); }
  bool fail(Fault f) {
    fault_ = f;
    return false;
  }

  DesignState& ds_;
  LineFile file_;
  std::string line_;
  std::string name_;
  int index_ = -1;  // line kind 0..3 of lines 15..30, -1 for the others
  Fault fault_ = Fault::kNone;
};

bool Reader::run() {
  Int1& c = ds_.int1;
  Real1& r = ds_.real1;
  Real2& a = ds_.real2;
  Char1& t = ds_.char1;

  name_line("first line.", -1);
  if (!file_.next(line_)) return fail(Fault::kEnd);  // the title is not used

  if (!read("Am.", r.am) || rejected(r.am == 0.0f)) return false;
  r.am = std::fabs(r.am);
  // The attenuation at the skirt must exceed the passband ripple.
  if (!read("A1.", r.a1) || rejected(r.a1 == 0.0f)) return false;
  r.a1 = std::fabs(r.a1);
  if (rejected(r.am >= r.a1)) return false;
  if (!read("FC1.", r.fc1) || rejected(r.fc1 <= 0.0f)) return false;
  if (!read("Fmax.", r.fmax) || rejected(r.fmax <= 0.0f)) return false;
  if (!read("Fmin.", r.fmin) || rejected(r.fmin <= 0.0f || r.fmin > r.fmax)) return false;
  if (!read("F1.", r.f1) || rejected(r.f1 <= 0.0f)) return false;
  if (!read("Fstep.", r.fstep) || rejected(r.fstep <= 0.0f)) return false;
  float count = 0;
  if (!read("N.", count)) return false;
  c.n = nint(count);
  if (rejected(c.n < 2 || c.n > 30)) return false;
  if (!read("ZIL.", r.zil)) return false;
  if (!read("ZIS.", r.zis)) return false;
  if (!read("Zo.", r.zo) || rejected(r.zo <= 0.0f)) return false;
  if (!read("ZRL.", r.zrl)) return false;
  if (!read("ZRS.", r.zrs) || rejected(r.zrs <= 0.0f)) return false;

  // Source line, high-impedance sections, low-impedance sections, load line.
  for (int i = kSourceLine; i <= kLoadLine; ++i) {
    if (!read(" B", a.synb(i), i) || rejected(a.synb(i) < 0.0f)) return false;
    if (!read(" D", a.synd(i), i) || rejected(a.synd(i) < 0.0f || a.synd(i) >= a.synb(i)))
      return false;
    if (!read("Er", a.syner(i), i) || rejected(a.syner(i) < 1.0f)) return false;
    if (!read("Zo", a.synzo(i), i) || rejected(a.synzo(i) < 0.0f)) return false;
  }

  if (!read("DLTAN", r.dltan) || rejected(r.dltan < 0.0f)) return false;
  // Roughness is written in micro-inches and resistivity in micro-ohm-cm;
  // the design record holds inches and ohm-inches.
  if (!read("SR", r.sr) || rejected(r.sr < 0.0f)) return false;
  r.sr = r.sr * 1e-6f;
  if (!read("RES", r.res) || rejected(r.res < 0.0f)) return false;
  r.res = r.res * 3.93700788e-07f;

  // No data or report file may take the program's own names.
  if (!read("FNIE.", t.fnie) || rejected(is_reserved_name(t.fnie))) return false;
  if (!read("FNID.", t.fnid) || rejected(is_reserved_name(t.fnid))) return false;
  if (!read("FNO.", t.fno) || rejected(is_reserved_name(t.fno))) return false;
  return true;
}

void Reader::report(TextOut& console) const {
  static const Format kEnd(
      "(/,6X,'End-of-file in COAXIAL LOW-PASS FILTER default ','value data',/,6X,'file (Mandrelix.DEF). Entry missing for ','variable ',A12)");
  static const Format kEndIndexed(
      "(/,6X,'End-of-file in COAXIAL LOW-PASS FILTER default ','value data',/,6X,'file (Mandrelix.DEF). Entry missing for ','variable ',A12,I1)");
  static const Format kBad(
      "(/,6X,'Error exists in COAXIAL LOW-PASS FILTER default ','value data',/,6X,'file (Mandrelix.DEF). Fix entry for ','variable ',A12)");
  static const Format kBadIndexed(
      "(/,6X,'Error exists in COAXIAL LOW-PASS FILTER default ','value data',/,6X,'file (Mandrelix.DEF). Fix entry for ','variable ',A12,I1)");
  const bool end = fault_ == Fault::kEnd;
  if (index_ < 0)
    console.write(end ? kEnd : kBad, {name_});
  else
    console.write(end ? kEndIndexed : kBadIndexed, {name_, index_});
}

}  // namespace

void cxdread(DesignState& ds, TextOut& console, const std::filesystem::path& workdir) {
  ds.int1.isel = 0;
  Reader reader(ds, workdir);
  if (reader.run()) return;
  ds.int1.isel = -1;
  reader.report(console);
}

}  // namespace mx
