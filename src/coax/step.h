// Shunt capacitance of a step between two coaxial lines.
#pragma once

namespace mx {

// Line 1: inner d1, outer d3, dielectric er1; line 2: inner d2, outer d4,
// dielectric er2 (inches). f in MHz, 0 or less for the static value.
// Writes the capacitance in farads into cd and the frequency factor into fk;
// fk is left untouched when neither diameter changes.
void cxstep(float d1, float d2, float d3, float d4, float er1, float er2, float f, float& fk,
            float& cd);

}  // namespace mx
