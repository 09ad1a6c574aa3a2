#include "files/lumped_file.h"

#include <string>

#include "files/line_file.h"
#include "main/field_read.h"
#include "model/convert.h"

namespace mx {
namespace {

constexpr int kMaxElements = 31;  // positions of the element arrays

// An element entry (or the title line) that cannot be used: the label shows
// its first 7 characters, then the ladder position.
void element_failure(DesignState& ds, TextOut& console, std::string_view label, int k) {
  static const Format kElement(
      "(//,6X,'Error detected in User-defined data filename: ',A12,/,6X,'Correct data entry for variable ',A7,I3,'.')");
  std::string padded(label);
  if (padded.size() < 7) padded.resize(7, ' ');
  console.write(kElement, {ds.char1.fnie, padded, k});
  ds.int1.isel = -1;
}

void configuration_failure(DesignState& ds, TextOut& console) {
  static const Format kConfiguration(
      "(//,6X,'Error detected in User-defined data filename: ',A12,/,6X,'Correct data entry for variable ',A5)");
  console.write(kConfiguration, {ds.char1.fnie, "ICFG."});
  ds.int1.isel = -1;
}

}  // namespace

void lefread(DesignState& ds, TextOut& console, const std::filesystem::path& workdir) {
  ds.int1.isel = 0;
  const std::string_view name = ds.char1.fnie.trimmed();
  std::string line;
  int k = 0;
  LineFile file(data_file_path(workdir, name), "lumped circuit data file", name);

  // Line 1: a title, not used; it must be there.
  if (!file.next(line)) {
    element_failure(ds, console, "1st line.", k);
    return;
  }

  // A file that ends before its configuration holds no circuit: n = 0,
  // which the caller rejects.
  if (!file.next(line)) {
    ds.int1.n = 0;
    return;
  }
  const NumericField cfg = read_f13(line);
  if (!cfg.ok) {
    configuration_failure(ds, console);
    return;
  }
  ds.int1.icfg = nint(cfg.value);
  if (ds.int1.icfg != 1 && ds.int1.icfg != 2) {
    configuration_failure(ds, console);
    return;
  }

  // Element values in ladder order, alternating shunt capacitor (pF) and
  // series inductor (nH); the standard circuit starts with the capacitor.
  bool shunt = ds.int1.icfg == 1;
  for (;;) {
    ++k;
    const char* label = shunt ? "SHUNTC" : "SERL";
    if (!file.next(line)) break;  // the end of the list
    if (k > kMaxElements) {
      element_failure(ds, console, label, k);
      return;
    }
    const NumericField value = read_f13(line);
    if (!value.ok) {
      element_failure(ds, console, label, k);
      return;
    }
    float& slot = shunt ? ds.real2.shuntc(k) : ds.real2.serl(k);
    slot = value.value;
    if (!(slot > 0.0f)) {
      element_failure(ds, console, label, k);
      return;
    }
    shunt = !shunt;
  }
  ds.int1.n = k - 1;
}

}  // namespace mx
