#include "files/lumped_file.h"

#include <cmath>
#include <string>

#include "base/convert.h"
#include "files/data_file.h"

namespace mx {
namespace {

constexpr int kMaxElements = 31;  // positions of the element arrays

// An element entry (or the title line) that cannot be used: the label shows
// its first 7 characters, then the ladder position.
bool element_failure(const DesignRecord& ds, TextOut& console, std::string_view label, int k) {
  static const Format kElement(
      "(//,6X,'Error detected in User-defined data filename: ',A12,/,6X,'Correct data entry for "
      "variable ',A7,I3,'.')");
  std::string padded(label);
  if (padded.size() < 7) padded.resize(7, ' ');
  console.write(kElement, {ds.files.lumped, padded, k});
  return false;
}

bool configuration_failure(const DesignRecord& ds, TextOut& console) {
  static const Format kConfiguration(
      "(//,6X,'Error detected in User-defined data filename: ',A12,/,6X,'Correct data entry for "
      "variable ',A5)");
  console.write(kConfiguration, {ds.files.lumped, "ICFG."});
  return false;
}

}  // namespace

bool read_lumped_file(DesignRecord& ds, TextOut& console, const std::filesystem::path& workdir) {
  const std::string_view name = ds.files.lumped.trimmed();
  EntryReader in(data_file_path(workdir, name), "lumped circuit data file", name);
  int k = 0;

  // Line 1: a title, not used; it must be there.
  if (!in.skip()) return element_failure(ds, console, "1st line.", k);

  // A file that ends before its configuration holds no circuit: N = 0,
  // which the caller rejects.
  float cfg = 0;
  if (!in.number(cfg)) {
    if (in.fault() == ReadFault::kEnd) {
      ds.design.sections = 0;
      return true;
    }
    return configuration_failure(ds, console);
  }
  const int code = nint(cfg);  // ICFG
  // 11 and 12: the standard and the dual circuit with resonant arms.
  const bool resonant = code == kStandardResonant || code == kDualResonant;
  ds.control.configuration =
      static_cast<Configuration>(resonant ? code - kStandardResonant + 1 : code);
  if ((code < 1 || code > 2) && !resonant) return configuration_failure(ds, console);
  ds.ladder.tank_pf.fill(0.0f);
  ds.ladder.trap_nh.fill(0.0f);

  // Element values in ladder order, alternating shunt capacitor (pF) and
  // series inductor (nH); the standard circuit starts with the capacitor. In
  // the resonant form each value is followed by its partner: the capacitor
  // across the series inductor (pF), the inductor in series with the shunt
  // capacitor (nH), 0 for none.
  bool shunt = ds.control.configuration == Configuration::kStandard;
  for (;;) {
    ++k;
    const char* label = shunt ? "SHUNTC" : "SERL";
    float value = 0;
    if (!in.number(value)) {
      if (in.fault() == ReadFault::kEnd) break;  // the end of the list
      return element_failure(ds, console, label, k);
    }
    if (k > kMaxElements) return element_failure(ds, console, label, k);
    float& slot = shunt ? ds.ladder.shunt_pf(k) : ds.ladder.series_nh(k);
    slot = value;
    if (!(slot > 0.0f)) return element_failure(ds, console, label, k);
    if (resonant) {
      const char* partner_label = shunt ? "TRAPL" : "TANKC";
      float& partner = shunt ? ds.ladder.trap_nh(k) : ds.ladder.tank_pf(k);
      if (!in.number(partner) || !(partner >= 0.0f) || std::isinf(partner))
        return element_failure(ds, console, partner_label, k);
    }
    shunt = !shunt;
  }
  ds.design.sections = k - 1;
  return true;
}

}  // namespace mx
