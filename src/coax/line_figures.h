// TE11 cutoff and peak power of a coaxial cross-section.
#pragma once

namespace mx {

// TE11 cutoff in GHz (capped at 9999.99).
void cxmode(float b, float d, float er, float& temode);

// Peak power in kW (capped at 99999.99).
void cxpwr(float b, float d, float er, float& pkpwr);

}  // namespace mx
