#include "report/line_table.h"

namespace mx {

const Format& line_table_heading() {
  static const Format k(
      "(/,13X,'   Cond. Diameter   Relative             TE11    Peak',/,6X,'Section      "
      "(Inches)     Dielectric    Zo     Cutoff   Power    Length',/,6X,'Number     Inner  Outer "
      "   Constant   (Ohms)   (GHz)    (kW)    (Inches)',/,6X,72(1H-))");
  return k;
}

const Format& line_table_end_row() {
  static const Format k("(6X,A6,3X,F7.4,F7.4,4X,F7.4,3X,F7.2,F9.3,F8.3)");
  return k;
}

const Format& line_table_section_row() {
  static const Format k("(8X,I2,5X,F7.4,F7.4,4X,F7.4,3X,F7.2,F9.3,F8.3,F10.4)");
  return k;
}

}  // namespace mx
