// Internal to the dialog: one call of run_dialog walks from step to step;
// each step asks its questions and names the step that follows.
#pragma once

#include "dialog/dialog.h"

namespace mx {

enum class Step {
  kProgramStart,
  kNewDesign,
  kFunctionMenu,
  kAnalysisMenus,
  kSynthesisMenus,
  kConfiguration,
  kSynthesisDimensions,
  kDesignData,
  kStorage,
  kCoaxFile,
  kCoaxTyped,
  kEndOfDimensions,
  kLumpedTyped,
  kElementValues,
  kElementReentry,
  kLumpedFile,
  kSourceAndLoad,
  kLossAndFrequencies,
  kReturn,
};

// Questions shared by the synthesis line kinds and the typed coaxial lines.
const Format& outer_prompt();
const Format& er_prompt();
const Format& zo_prompt();
const Format& outer_result();
const Format& zo_result();
const Format& line_banner();
// Headings and messages that more than one step shows.
const Format& dimensional_data_heading();
const Format& section_count_refused();

// Asks the inner diameter until the pair is usable: not both 0, and the inner
// smaller than a non-zero outer.
void ask_inner_diameter(Console& con, float outer, float& inner);

// One line whose outer or inner diameter is 0: asks its impedance Zo (from
// *zo_start before each question when given) until a usable diameter follows
// from it, then shows that diameter.
void ask_missing_diameter(Console& con, float& outer, float& inner, float er, float& zo,
                          const float* zo_start);

class DialogRun {
 public:
  DialogRun(DesignRecord& ds, DialogContext& ctx)
      : ds_(ds), c_(ds.control), ctx_(ctx), con_(ctx.console) {}

  void run();

 private:
  Step entry_dispatch();
  // Program start, banner and the top-level menus.
  Step program_start();
  Step new_design();
  void banner();
  Step function_menu();
  Step analysis_menus();
  Step synthesis_menus();
  void ask_configuration();
  Step configuration();
  // Synthesis data entry.
  Step synthesis_dimensions();
  Step design_data();
  Step storage();
  // Analysis data entry.
  Step coax_file();
  Step coax_typed();
  Step end_of_dimensions();
  Step lumped_typed();
  Step element_values();
  Step element_reentry();
  Step lumped_file();
  // Asks the name of a circuit data file (a blank answer keeps name) and reads
  // the file with read, which writes the message of a rejected file. False
  // when a file named in a script was rejected (c_.next is then kEndRun).
  bool read_circuit_file(const Format& ask, Name20& name, const std::function<bool()>& read);
  Step source_and_load();
  Step loss_and_frequencies();

  // Answer helpers: each reads one answer and applies its replacement test.
  float ask(const Format& prompt);
  void ask_positive(const Format& prompt, float& member);
  void ask_at_least_one(const Format& prompt, float& member);
  void ask_direct(const Format& prompt, float& member);
  int ask_menu(const Format& prompt);
  // A two-item menu: the starred choice stands unless the answer is 1 or 2.
  template <typename Code>
  void ask_choice(const Format& prompt, Code starred, Code& member) {
    member = starred;
    const int itemp = ask_menu(prompt);
    if (itemp == 1 || itemp == 2) member = static_cast<Code>(itemp);
  }
  void ask_section_count(const Format& prompt);
  void read_positive(float& member);

  DesignRecord& ds_;
  Control& c_;
  DialogContext& ctx_;
  Console& con_;
};

}  // namespace mx
