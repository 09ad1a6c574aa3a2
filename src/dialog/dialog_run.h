// Internal to the dialog: one call of cxlpfin walks from step to step; each
// step asks its questions and names the step that follows.
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

// Questions shared by the synthesis rows and the typed coaxial sections.
const Format& outer_prompt();
const Format& inner_prompt();
const Format& er_prompt();
const Format& zo_prompt();
const Format& outer_result();
const Format& inner_result();
const Format& zo_result();
const Format& unrealizable_zo();
const Format& line_banner();
// Asks the inner diameter until the pair is usable: not both 0, and the inner
// smaller than a non-zero outer.
void ask_inner_diameter(Console& con, float outer, float& inner);

class DialogRun {
 public:
  DialogRun(DesignState& ds, float& a2, DialogContext& ctx)
      : ds_(ds), i1_(ds.int1), r1_(ds.real1), r2_(ds.real2), a2_(a2), ctx_(ctx),
        con_(ctx.console) {}

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
  Step source_and_load();
  Step loss_and_frequencies();

  // Answer helpers: each reads one answer and applies its replacement test.
  float ask(const Format& prompt);
  void ask_positive(const Format& prompt, float& member);
  void ask_at_least_one(const Format& prompt, float& member);
  void ask_direct(const Format& prompt, float& member);
  int ask_menu(const Format& prompt);
  void ask_choice(const Format& prompt, int starred, int& member);
  void ask_option(const Format& prompt);
  void ask_section_count(const Format& prompt);
  void read_positive(float& member);

  DesignState& ds_;
  Int1& i1_;
  Real1& r1_;
  Real2& r2_;
  float& a2_;
  DialogContext& ctx_;
  Console& con_;
  float fh1_ = 0;
  float fl1_ = 0;
};

}  // namespace mx
