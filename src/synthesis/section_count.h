// Number of sections a low-pass ladder needs for a given attenuation at a
// skirt frequency above its cutoff.
#pragma once

#include "model/design_record.h"

namespace mx {

// The fewest and the most sections a ladder is synthesized with.
inline constexpr int kMinSections = 2;
inline constexpr int kMaxSections = 30;
constexpr bool synthesizable_section_count(long long n) {
  return n >= kMinSections && n <= kMaxSections;
}

// A Butterworth skirt attenuation must exceed this, dB (its 3 dB edge and a margin).
inline constexpr float kButterworthLeastSkirtDb = 4.0f;
// The attenuation a skirt attenuation A1 must exceed, dB: the passband ripple
// of a response that has one (Chebyshev, elliptic), kButterworthLeastSkirtDb
// for any other.
float least_skirt_attenuation_db(Response response, float ripple_db);

struct SectionCount {
  bool ok = false;       // false: the skirt attenuation is not above the ripple
  int n = 0;             // sections needed (at least 2; may exceed 30)
  float reached_db = 0;  // attenuation the n sections reach at the skirt frequency
};

// ripple_db Am and skirt_atten_db A1 in dB, frequencies in MHz. A Chebyshev
// count uses the ripple; anything else is counted as Butterworth.
SectionCount section_count(float ripple_db, float skirt_atten_db, float cutoff_mhz, float skirt_mhz,
                           Response response);

}  // namespace mx
