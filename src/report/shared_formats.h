// Records that several reports print.
#pragma once

#include "base/format.h"

namespace mx {

// The 72-dash rule that closes a report and frames its tables.
const Format& report_rule();

}  // namespace mx
