// The Touchstone reader of the fitter (read_touchstone) on arbitrary text.
// Checks: it returns or throws TouchstoneError and nothing else; a refusal
// says why in one line; and what it accepts is a measurement the
// fitter takes: at least one frequency, every frequency positive, finite and
// above the one before, every S-parameter finite, both references positive
// and finite, and the four parameters one per frequency.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fit/touchstone_reader.h"
#include "fuzz_support.h"

namespace {

using mxfuzz::fail;

bool finite(std::complex<double> v) { return std::isfinite(v.real()) && std::isfinite(v.imag()); }

void check(const mx::MeasuredTwoPort& m) {
  const std::size_t n = m.f_mhz.size();
  if (n == 0) fail("accepted without frequencies");
  if (m.s11.size() != n || m.s21.size() != n || m.s12.size() != n || m.s22.size() != n)
    fail("parameters not one per frequency");
  for (std::size_t k = 0; k < n; ++k) {
    if (!(m.f_mhz[k] > 0.0) || !std::isfinite(m.f_mhz[k])) fail("frequency not positive");
    if (k > 0 && !(m.f_mhz[k] > m.f_mhz[k - 1])) fail("frequencies not rising");
    if (!finite(m.s11[k]) || !finite(m.s21[k]) || !finite(m.s12[k]) || !finite(m.s22[k]))
      fail("S-parameter not finite");
  }
  if (!(m.z1 > 0.0) || !(m.z2 > 0.0) || !std::isfinite(m.z1) || !std::isfinite(m.z2))
    fail("reference not positive");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return -1;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    check(mx::read_touchstone(text));
  } catch (const mx::TouchstoneError& e) {
    const std::string what = e.what();
    if (what.empty()) fail("refused without a reason");
    // One line: control characters are refused before any word is quoted.
    for (char c : what)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) fail("reason not one line: " + what);
  }
  return 0;
}
