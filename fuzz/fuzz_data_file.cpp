// The three data file readers on arbitrary file contents: the defaults file
// (cxdread), the lumped circuit file (lefread) and the distributed circuit
// file (cxeread). Built once per reader: MANDRELIX_FUZZ_READER is 1, 2 or 3.
//
// The fuzz input is the whole file: long lines, binary bytes, CR LF ends and
// missing lines all come from it. The design record starts from fixed,
// recognisable values. Checks: the reader returns (the file exists, so it
// never ends the run), isel is 0 or -1, a message is printed exactly when it
// is -1 and is printable text, and what a successful read leaves in the
// record passes the file's own acceptance rules.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "files/coax_file.h"
#include "files/defaults_file.h"
#include "files/lumped_file.h"
#include "fuzz_support.h"
#include "main/text_out.h"
#include "model/design_state.h"
#include "model/name20.h"

#ifndef MANDRELIX_FUZZ_READER
#error "MANDRELIX_FUZZ_READER must be 1 (defaults), 2 (lumped) or 3 (distributed)"
#endif

namespace {

using mxfuzz::fail;

constexpr int kSentinelN = 12345;

void check_defaults(const mx::DesignState& ds) {
  const mx::Real1& r = ds.real1;
  const mx::Real2& a = ds.real2;
  if (!(r.am > 0)) fail("am not positive");
  if (!(r.a1 > r.am)) fail("a1 not above am");
  if (!(r.fc1 > 0) || !(r.fmax > 0) || !(r.f1 > 0) || !(r.fstep > 0)) fail("frequency not positive");
  if (!(r.fmin > 0) || r.fmin > r.fmax) fail("fmin out of range");
  if (ds.int1.n < 2 || ds.int1.n > 30) fail("n out of range");
  if (!(r.zo > 0) || !(r.zrs > 0)) fail("zo or zrs not positive");
  for (int i = 0; i <= 3; ++i) {
    if (a.synb(i) < 0 || a.synd(i) < 0 || a.synd(i) >= a.synb(i)) fail("line diameters");
    if (!(a.syner(i) >= 1)) fail("er below 1");
    if (a.synzo(i) < 0) fail("line impedance negative");
  }
  if (r.dltan < 0 || r.sr < 0 || r.res < 0) fail("loss data negative");
  if (mx::is_reserved_name(ds.char1.fnie) || mx::is_reserved_name(ds.char1.fnid) ||
      mx::is_reserved_name(ds.char1.fno))
    fail("reserved name taken");
}

void check_lumped(const mx::DesignState& ds) {
  const int n = ds.int1.n;
  if (n < 0 || n > 31) fail("n out of range: " + std::to_string(n));
  if (n == 0) return;  // a file without element values; the dialog rejects it
  if (ds.int1.icfg != 1 && ds.int1.icfg != 2) fail("icfg out of range");
  for (int k = 1; k <= n; ++k) {
    const bool shunt = (ds.int1.icfg == 1) == (k % 2 == 1);
    const float v = shunt ? ds.real2.shuntc(k) : ds.real2.serl(k);
    if (!(v > 0)) fail("element value not positive at " + std::to_string(k));
  }
}

void check_coax(const mx::DesignState& ds) {
  const int n = ds.int1.n;
  if (n < 2 || n > 31) fail("n out of range: " + std::to_string(n));
  const mx::Real2& a = ds.real2;
  for (int i = 0; i <= n + 1; ++i) {
    if (!(a.anad(i) < a.anab(i))) fail("inner diameter not below outer");
    if (!(a.anaer(i) >= 1)) fail("er below 1");
  }
  const auto same = [](float x, float y) { return x == y || (std::isnan(x) && std::isnan(y)); };
  if (!same(ds.real1.zrs, a.anazo(0)) || !same(ds.real1.zrl, a.anazo(n + 1)))
    fail("terminations are not the end line impedances");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return -1;
  mxfuzz::Sandbox box;
  const std::string contents(reinterpret_cast<const char*>(data), size);

  mx::DesignState ds;
  ds.int1.n = kSentinelN;
  ds.int1.isel = 7;
  ds.char1.fnie = mx::Name20("circuit.lef");
  ds.char1.fnid = mx::Name20("circuit.cxf");
  std::ostringstream console_text;
  mx::TextOut console(console_text);

  try {
#if MANDRELIX_FUZZ_READER == 1
    mxfuzz::spit(box.path() / "Mandrelix.DEF", contents);
    mx::cxdread(ds, console, box.path());
#elif MANDRELIX_FUZZ_READER == 2
    mxfuzz::spit(box.path() / "circuit.lef", contents);
    mx::lefread(ds, console, box.path());
#else
    mxfuzz::spit(box.path() / "circuit.cxf", contents);
    mx::cxeread(ds, console, box.path());
#endif
  } catch (const mx::ProgramExit& e) {
    fail("an existing file ended the run: " + e.message);
  }

  const std::string text = console_text.str();
  if (ds.int1.isel != 0 && ds.int1.isel != -1) fail("isel " + std::to_string(ds.int1.isel));
  if (!mxfuzz::printable_text(text)) fail("message with control characters");
  if (ds.int1.isel == -1) {
    if (text.empty()) fail("rejected without a message");
#if MANDRELIX_FUZZ_READER == 2
    if (ds.int1.n != kSentinelN) fail("a rejected lumped file changed n");
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
