// The report of a tolerance study, as plain text or as JSON.
#pragma once

#include <ostream>

#include "tolerance/study.h"

namespace mx {

void write_study_text(std::ostream& os, const StudyResult& r);
void write_study_json(std::ostream& os, const StudyResult& r);

}  // namespace mx
