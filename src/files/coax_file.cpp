#include "files/coax_file.h"

#include <string>

#include "base/convert.h"
#include "files/data_file.h"
#include "line/impedance.h"

namespace mx {
namespace {

// The entries in file order; the first failure leaves the entry's label and
// section number (0 outside the sections) for the message.
class Reader {
 public:
  Reader(DesignRecord& ds, const std::filesystem::path& workdir)
      : ds_(ds),
        in_(data_file_path(workdir, ds.files.coaxial.trimmed()), "distributed circuit data file",
            ds.files.coaxial.trimmed()) {}

  // True when the whole circuit was read.
  bool run();
  void report(TextOut& console) const;

 private:
  bool read(std::string_view label, int section, float& v) {
    label_ = label;
    section_ = section;
    return in_.number(v);
  }
  // Outer diameter, inner diameter and dielectric constant of line j, then
  // its impedance. Diameters must be positive (a zero inner diameter would
  // give an infinite impedance) and the inner one below the outer one.
  bool read_line(int j, int section, std::string_view b, std::string_view d, std::string_view er);

  DesignRecord& ds_;
  EntryReader in_;
  std::string_view label_;
  int section_ = 0;
};

bool Reader::read_line(int j, int section, std::string_view b, std::string_view d,
                       std::string_view er) {
  EnteredLines& e = ds_.entered;
  if (!read(b, section, e.outer(j)) || in_.reject(!(e.outer(j) > 0.0f))) return false;
  if (!read(d, section, e.inner(j)) || in_.reject(!(e.inner(j) > 0.0f) || e.inner(j) >= e.outer(j)))
    return false;
  if (!read(er, section, e.er(j)) || in_.reject(e.er(j) < 1.0f)) return false;
  e.zo(j) = line_impedance(e.outer(j), e.inner(j), e.er(j));
  return true;
}

bool Reader::run() {
  EnteredLines& e = ds_.entered;
  int& n = ds_.design.sections;

  label_ = "first line.";
  if (!in_.skip()) return false;  // the title is not used

  float count = 0;
  if (!read("N.", 0, count)) return false;
  n = nint(count);
  if (in_.reject(n < 2 || n > 31)) return false;

  if (!read_line(0, 0, "BSource.", "DSource.", "ErSource.")) return false;
  for (int i = 1; i <= n; ++i) {
    // A section may be of zero length, never of negative length.
    if (!read("LENGTH", i, e.length(i)) || in_.reject(e.length(i) < 0.0f)) return false;
    if (!read_line(i, i, "B", "D", "Er")) return false;
  }
  if (!read_line(n + 1, 0, "BLoad.", "DLoad.", "ErLoad.")) return false;

  // The circuit is terminated in the impedances of its end lines.
  ds_.ports.rs = e.zo(0);
  ds_.ports.rl = e.zo(n + 1);
  return true;
}

void Reader::report(TextOut& console) const {
  static const Format kBad(
      "(/,6X,'Error exists in COAXIAL LOW-PASS FILTER file ',A12,/,6X,'Fix entry for variable "
      "',A12)");
  static const Format kEnd(
      "(/,6X,'End-of-File in COAXIAL LOW-PASS FILTER file ',A12,/,6X,'Fix entry for variable "
      "',A12)");
  static const Format kBadSection(
      "(/,6X,'Error exists for COAXIAL LOW-PASS FILTER file ',A12,/,6X,'Fix entry for variable "
      "',A6,I2,'.')");
  static const Format kEndSection(
      "(/,6X,'End-of-File in COAXIAL LOW-PASS FILTER file ',A12,/,6X,'Fix entry for variable "
      "',A6,I2,'.')");
  const bool end = in_.fault() == ReadFault::kEnd;
  const Name20& name = ds_.files.coaxial;
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

bool read_coax_file(DesignRecord& ds, TextOut& console, const std::filesystem::path& workdir) {
  return read_or_report(Reader(ds, workdir), console);
}

}  // namespace mx
