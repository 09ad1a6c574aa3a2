// Attenuation constant of a uniform coaxial line: conductor loss of both
// conductors (with surface roughness) and dielectric loss.
#pragma once

namespace mx {

// atot in nepers per inch. b, d outer and inner diameters (inch), er relative
// permittivity, sr RMS surface roughness (inch), res resistivity (ohm-inch),
// dltan loss tangent, f in MHz. An air line (er exactly 1) has no dielectric
// loss whatever dltan holds; res = 0 gives lossless conductors.
void cxloss(float& atot, float b, float d, float er, float sr, float res, float dltan, float f);

}  // namespace mx
