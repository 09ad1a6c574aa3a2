// Ends the run from anywhere in the dialog or a report: the program's entry
// catches it, writes the message (if any) to standard error as one line,
// closes the report file with everything written and returns the status.
#pragma once

#include <string>

namespace mx {

struct ProgramExit {
  int status = 0;
  std::string message;  // one line without its line end; empty for none
};

}  // namespace mx
