#include "report/shared_formats.h"

namespace mx {

const Format& report_rule() {
  static const Format k("(6X,72(1H-))");
  return k;
}

}  // namespace mx
