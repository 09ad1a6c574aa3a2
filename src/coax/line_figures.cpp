#include "coax/line_figures.h"

#include <cmath>

namespace mx {

void cxmode(float b, float d, float er, float& temode) {
  constexpr float pi = 3.14159274f;
  const float speed = 11.8028545f / std::sqrt(er);  // inch per ns in the dielectric
  const float wavlen = (b + d) * pi / 2.0f;          // mean circumference, inch
  temode = speed / wavlen;
  if (temode > 9999.99f) temode = 9999.99f;
}

void cxpwr(float b, float d, float er, float& pkpwr) {
  constexpr float emax = 36830.0f;  // breakdown field strength of the rating
  pkpwr = 0.0f;
  pkpwr = std::log(b / d) * (emax * emax) * (d / 2.0f) * (d / 2.0f) * std::sqrt(er) / 118.961998f;
  pkpwr = pkpwr / 10000.0f;
  if (pkpwr > 99999.99f) pkpwr = 99999.99f;
}

}  // namespace mx
