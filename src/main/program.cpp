#include "main/program.h"

#include "dialog/console.h"
#include "main/program_exit.h"
#include "model/design_state.h"

namespace mx {

int run_program(std::istream& in, std::ostream& out, std::ostream& err, const Clock& clock,
                const std::filesystem::path& workdir) {
  DesignState ds;
  Console console(in, out);
  (void)clock;
  (void)workdir;
  (void)ds;
  try {
    return 0;
  } catch (const ProgramExit& e) {
    out.flush();
    if (!e.message.empty()) err << e.message << '\n';
    return e.status;
  }
}

}  // namespace mx
