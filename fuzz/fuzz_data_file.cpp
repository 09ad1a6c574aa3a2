// The three data file readers on arbitrary file contents: the defaults file
// (read_defaults_file), the lumped circuit file (read_lumped_file) and the
// distributed circuit file (read_coax_file). Built once per reader:
// MANDRELIX_FUZZ_READER is 1, 2 or 3.
//
// The fuzz input is the whole file: long lines, binary bytes, CR LF ends and
// missing lines all come from it. The design record starts from fixed,
// recognisable values. Checks: the reader returns (the file exists, so it
// never ends the run), a message is printed exactly when it rejects the file
// and is printable text, and what a successful read leaves in the record
// passes the file's own acceptance rules.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "base/name20.h"
#include "base/text_out.h"
#include "files/coax_file.h"
#include "files/defaults_file.h"
#include "files/lumped_file.h"
#include "fuzz_support.h"
#include "model/design_record.h"

#ifndef MANDRELIX_FUZZ_READER
#error "MANDRELIX_FUZZ_READER must be 1 (defaults), 2 (lumped) or 3 (distributed)"
#endif

namespace {

using mxfuzz::fail;

constexpr int kSentinelN = 12345;

[[maybe_unused]] void check_defaults(const mx::DesignRecord& ds) {
  const mx::DesignData& d = ds.design;
  const mx::Sweep& w = ds.sweep;
  const mx::LineKinds& a = ds.lines;
  const mx::Losses& l = ds.losses;
  if (!(d.ripple_db > 0)) fail("Am not positive");
  if (!(d.skirt_atten_db > d.ripple_db)) fail("A1 not above Am");
  if (!(d.cutoff_mhz > 0) || !(w.stop_mhz > 0) || !(d.skirt_mhz > 0) || !(w.step_mhz > 0))
    fail("frequency not positive");
  if (!(w.start_mhz > 0) || w.start_mhz > w.stop_mhz) fail("Fmin out of range");
  if (d.sections < 2 || d.sections > 30) fail("N out of range");
  if (!(d.system_impedance > 0) || !(ds.ports.rs > 0)) fail("Zo or ZRS not positive");
  for (int i = 0; i <= 3; ++i) {
    if (a.outer(i) < 0 || a.inner(i) < 0 || a.inner(i) >= a.outer(i)) fail("line diameters");
    if (!(a.er(i) >= 1)) fail("Er below 1");
    if (a.zo(i) < 0) fail("line impedance negative");
  }
  if (l.loss_tangent < 0 || l.roughness < 0 || l.resistivity < 0) fail("loss data negative");
  if (mx::is_reserved_name(ds.files.lumped) || mx::is_reserved_name(ds.files.coaxial) ||
      mx::is_reserved_name(ds.files.report))
    fail("reserved name taken");
}

[[maybe_unused]] void check_lumped(const mx::DesignRecord& ds) {
  const int n = ds.design.sections;
  if (n < 0 || n > 31) fail("N out of range: " + std::to_string(n));
  if (n == 0) return;  // a file without element values; the dialog rejects it
  const mx::Configuration c = ds.control.configuration;
  if (c != mx::Configuration::kStandard && c != mx::Configuration::kDual) fail("ICFG out of range");
  for (int k = 1; k <= n; ++k) {
    const bool shunt = (c == mx::Configuration::kStandard) == (k % 2 == 1);
    const float v = shunt ? ds.ladder.shunt_pf(k) : ds.ladder.series_nh(k);
    if (!(v > 0)) fail("element value not positive at " + std::to_string(k));
  }
}

[[maybe_unused]] void check_coax(const mx::DesignRecord& ds) {
  const int n = ds.design.sections;
  if (n < 2 || n > 31) fail("N out of range: " + std::to_string(n));
  const mx::EnteredLines& a = ds.entered;
  for (int i = 0; i <= n + 1; ++i) {
    if (!(a.inner(i) < a.outer(i))) fail("inner diameter not below outer");
    if (!(a.er(i) >= 1)) fail("Er below 1");
  }
  const auto same = [](float x, float y) { return x == y || (std::isnan(x) && std::isnan(y)); };
  if (!same(ds.ports.rs, a.zo(0)) || !same(ds.ports.rl, a.zo(n + 1)))
    fail("terminations are not the end line impedances");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return -1;
  mxfuzz::Sandbox box;
  const std::string contents(reinterpret_cast<const char*>(data), size);

  mx::DesignRecord ds;
  ds.design.sections = kSentinelN;
  ds.files.lumped = mx::Name20("circuit.lef");
  ds.files.coaxial = mx::Name20("circuit.cxf");
  std::ostringstream console_text;
  mx::TextOut console(console_text);

  bool accepted = false;
  try {
#if MANDRELIX_FUZZ_READER == 1
    mxfuzz::spit(box.path() / mx::kDefaultsFileName, contents);
    accepted = mx::read_defaults_file(ds, console, box.path());
#elif MANDRELIX_FUZZ_READER == 2
    mxfuzz::spit(box.path() / "circuit.lef", contents);
    accepted = mx::read_lumped_file(ds, console, box.path());
#else
    mxfuzz::spit(box.path() / "circuit.cxf", contents);
    accepted = mx::read_coax_file(ds, console, box.path());
#endif
  } catch (const mx::ProgramExit& e) {
    fail("an existing file ended the run: " + e.message);
  }

  const std::string text = console_text.str();
  if (!mxfuzz::printable_text(text)) fail("message with control characters");
  if (!accepted) {
    if (text.empty()) fail("rejected without a message");
#if MANDRELIX_FUZZ_READER == 2
    if (ds.design.sections != kSentinelN) fail("a rejected lumped file changed N");
#endif
    return 0;
  }
  if (!text.empty()) fail("accepted with a message: " + text);
#if MANDRELIX_FUZZ_READER == 1
  check_defaults(ds);
#elif MANDRELIX_FUZZ_READER == 2
  check_lumped(ds);
#else
  check_coax(ds);
#endif
  return 0;
}
