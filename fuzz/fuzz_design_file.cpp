// The design file reader (read_design_text) on arbitrary text: a fresh
// working folder holds the shipped files, or (when the first byte is odd)
// nothing, so that values missing without defaults are refused too.
//
// Checks: the reader returns or refuses with SpecError, nothing else; a
// refusal is one printable line naming the file; an accepted file leaves a
// record the synthesis and the analysis can take (the limits the dialog
// keeps to).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "design_file/design_file.h"
#include "dialog/dialog.h"
#include "fuzz_support.h"
#include "model/design_record.h"
#include "synthesis/section_count.h"

namespace {

using mxfuzz::fail;

void check_accepted(const mx::DesignRecord& ds, const mx::DesignFile& spec) {
  const mx::Control& c = ds.control;
  if (!spec.circuit_file) {
    const mx::DesignData& d = ds.design;
    if (d.sections < 2 || d.sections > mx::kMaxSections) fail("N out of range");
    if (!(d.cutoff_mhz > 0) || !(d.system_impedance > 0)) fail("FC1 or Zo not positive");
    if (c.response == mx::Response::kChebyshev && !(d.ripple_db > 0)) fail("Am not positive");
    if (c.configuration != mx::Configuration::kStandard &&
        c.configuration != mx::Configuration::kDual)
      fail("no configuration");
  }
  if (c.option == mx::Option::kDistributed && !spec.circuit_file) {
    for (int k = mx::kSourceLine; k <= mx::kLoadLine; ++k) {
      const mx::LineKinds& l = ds.lines;
      if (!(l.inner(k) > 0) || !(l.inner(k) < l.outer(k))) fail("line diameters");
      if (!(l.er(k) >= 1) || !std::isfinite(l.zo(k))) fail("line Er or Zo");
    }
    if (ds.lines.outer(mx::kLowLine) != ds.lines.outer(mx::kHighLine)) fail("two outer conductors");
  }
  if (spec.analyse) {
    const mx::Sweep& w = ds.sweep;
    if (!(w.start_mhz > 0) || !(w.step_mhz > 0) || w.stop_mhz < w.start_mhz) fail("sweep");
    if (w.steps < 0 || w.steps > mx::kMaxSweepSteps) fail("sweep too long");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 16 * 1024) return -1;
  mxfuzz::Sandbox box;
  if ((data[0] & 1) == 0) box.install_shipped();
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  mx::DesignRecord ds;
  try {
    const mx::DesignFile spec = mx::read_design_text(text, "design.toml", true, box.path(), ds);
    check_accepted(ds, spec);
  } catch (const mx::SpecError& e) {
    const std::string message = e.what();
    if (message.rfind("design.toml", 0) != 0 && message.rfind("Mandrelix.DEF", 0) != 0)
      fail("a refusal that does not name the file: " + message);
    if (!mxfuzz::printable_text(message) || message.find('\n') != std::string::npos)
      fail("a refusal that is not one printable line: " + message);
  }
  return 0;
}
