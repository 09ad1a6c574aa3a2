#include "files/coax_file.h"

#include <string>

#include "coax/geometry.h"
#include "files/line_file.h"
#include "main/field_read.h"
#include "model/convert.h"

namespace mx {
namespace {

enum class Fault { kNone, kEnd, kBad };

// Reads the entries in file order, storing each as read and testing it at
// once; the first failure stops the reading and leaves the entry's label and
// section number (0 outside the sections) for the message.
class Reader {
 public:
  Reader(DesignState& ds, const std::filesystem::path& workdir)
      : ds_(ds),
        file_(data_file_path(workdir, ds.char1.fnid.trimmed()), "distributed circuit data file",
              ds.char1.fnid.trimmed()) {}

  // True when the whole circuit was read.
  bool run();
  void report(TextOut& console) const;

 private:
  bool read(std::string_view label, int section, float& v) {
    label_ = label;
    section_ = section;
    if (!file_.next(line_)) return fail(Fault::kEnd);
    const NumericField f = read_f13(line_);
    if (!f.ok) return fail(Fault::kBad);
    v = f.value;
    return true;
  }
  bool rejected(bool reject) { return reject && !fail(Fault::kBad); }
  bool fail(Fault f) {
    fault_ = f;
    return false;
  }
  // Outer diameter, inner diameter and dielectric constant of line j, then
  // its impedance. Diameters must be positive (a zero inner diameter would
  // give an infinite impedance) and the inner one below the outer one.
  bool read_line(int j, int section, std::string_view b, std::string_view d, std::string_view er);

  DesignState& ds_;
  LineFile file_;
  std::string line_;
  std::string_view label_;
  int section_ = 0;
  Fault fault_ = Fault::kNone;
};

bool Reader::read_line(int j, int section, std::string_view b, std::string_view d,
                       std::string_view er) {
  Real2& a = ds_.real2;
  if (!read(b, section, a.anab(j)) || rejected(!(a.anab(j) > 0.0f))) return false;
  if (!read(d, section, a.anad(j)) || rejected(!(a.anad(j) > 0.0f) || a.anad(j) >= a.anab(j)))
    return false;
  if (!read(er, section, a.anaer(j)) || rejected(a.anaer(j) < 1.0f)) return false;
  cxzo(a.anab(j), a.anad(j), a.anaer(j), a.anazo(j));
  return true;
}

bool Reader::run() {
  Int1& c = ds_.int1;
  Real2& a = ds_.real2;

  label_ = "first line.";
  if (!file_.next(line_)) return fail(Fault::kEnd);  // the title is not used

  float count = 0;
  if (!read("N.", 0, count)) return false;
  c.n = nint(count);
  if (rejected(c.n < 2 || c.n > 31)) return false;

  if (!read_line(0, 0, "BSource.", "DSource.", "ErSource.")) return false;
  for (int i = 1; i <= c.n; ++i) {
    // A section may be of zero length, never of negative length.
    if (!read("LENGTH", i, a.anal(i)) || rejected(a.anal(i) < 0.0f)) return false;
    if (!read_line(i, i, "B", "D", "Er")) return false;
  }
  if (!read_line(c.n + 1, 0, "BLoad.", "DLoad.", "ErLoad.")) return false;

  // The circuit is terminated in the impedances of its end lines.
  ds_.real1.zrs = a.anazo(0);
  ds_.real1.zrl = a.anazo(c.n + 1);
  return true;
}

void Reader::report(TextOut& console) const {
  static const Format kBad(
      "(/,6X,'Error exists in COAXIAL LOW-PASS FILTER file ',A12,/,6X,'Fix entry for variable ',A12)");
  static const Format kEnd(
      "(/,6X,'End-of-File in COAXIAL LOW-PASS FILTER file ',A12,/,6X,'Fix entry for variable ',A12)");
  static const Format kBadSection(
      "(/,6X,'Error exists for COAXIAL LOW-PASS FILTER file ',A12,/,6X,'Fix entry for variable ',A6,I2,'.')");
  static const Format kEndSection(
      "(/,6X,'End-of-File in COAXIAL LOW-PASS FILTER file ',A12,/,6X,'Fix entry for variable ',A6,I2,'.')");
  const bool end = fault_ == Fault::kEnd;
  const Name20& name = ds_.char1.fnid;
  std::string label(label_);
  if (section_ == 0) {
    label.resize(12, ' ');
    console.write(end ? kEnd : kBad, {name, label});
  } else {
    label.resize(6, ' ');
    console.write(end ? kEndSection : kBadSection, {name, label, section_});
  }
}

}  // namespace

void cxeread(DesignState& ds, TextOut& console, const std::filesystem::path& workdir) {
  ds.int1.isel = 0;
  Reader reader(ds, workdir);
  if (reader.run()) return;
  ds.int1.isel = -1;
  reader.report(console);
}

}  // namespace mx
