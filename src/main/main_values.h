// Values the main cycle keeps for itself from one cycle to the next.
#pragma once

#include <string>

#include "coax/distributed.h"

namespace mx {

struct MainValues {
  std::string design = "         ";                 // 9 characters
  std::string resp = std::string(20, ' ');         // 20 characters
  std::string type = "           ";               // 11 characters
  float a2 = 0;    // attenuation reached at the skirt frequency
  int ierr = 0;    // error code of the last length computation or lumped cascade
  DistributedResult dist;  // junctions, end corrections, line figures of the last run
};

// Pads or cuts text to exactly width characters.
inline std::string padded(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

}  // namespace mx
