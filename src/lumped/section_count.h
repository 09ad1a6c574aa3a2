// Number of sections needed for a given attenuation at a skirt frequency.
#pragma once

namespace mx {

// ides: 1 low-pass (2 high-pass, 3 band-pass, 4 band-stop); ires: 1 Chebyshev,
// 2 Butterworth. On success (ierr 0) writes the count into n and the
// attenuation reached at f1 into a2; on ierr 1 writes neither.
void nsectn(float am, float a1, float& a2, float fc, float f1, float fh1, float fl1, int ides,
            int& ierr, int ires, int& n);

}  // namespace mx
