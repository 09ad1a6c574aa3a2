#include "dialog/dialog.h"

#include "dialog/dialog_run.h"
#include "files/defaults_file.h"
#include "model/convert.h"

namespace mx {

void cxlpfin(DesignState& ds, float& a2, DialogContext& ctx) {
  DialogRun(ds, a2, ctx).run();
}

void DialogRun::run() {
  Step step = entry_dispatch();
  while (step != Step::kReturn) {
    switch (step) {
      case Step::kProgramStart: step = program_start(); break;
      case Step::kNewDesign: step = new_design(); break;
      case Step::kFunctionMenu: step = function_menu(); break;
      case Step::kAnalysisMenus: step = analysis_menus(); break;
      case Step::kSynthesisMenus: step = synthesis_menus(); break;
      case Step::kConfiguration: step = configuration(); break;
      case Step::kSynthesisDimensions: step = synthesis_dimensions(); break;
      case Step::kDesignData: step = design_data(); break;
      case Step::kStorage: step = storage(); break;
      case Step::kCoaxFile: step = coax_file(); break;
      case Step::kCoaxTyped: step = coax_typed(); break;
      case Step::kEndOfDimensions: step = end_of_dimensions(); break;
      case Step::kLumpedTyped: step = lumped_typed(); break;
      case Step::kElementValues: step = element_values(); break;
      case Step::kElementReentry: step = element_reentry(); break;
      case Step::kLumpedFile: step = lumped_file(); break;
      case Step::kSourceAndLoad: step = source_and_load(); break;
      case Step::kLossAndFrequencies: step = loss_and_frequencies(); break;
      case Step::kReturn: break;
    }
  }
}

Step DialogRun::entry_dispatch() {
  fh1_ = 0;
  fl1_ = 0;
  if (i1_.ifrom != 3) {
    if (i1_.isel == 0) return Step::kProgramStart;
    if (i1_.ifunc == 2) return Step::kNewDesign;
  }
  switch (i1_.isel) {
    case 1: return Step::kLossAndFrequencies;
    case 2: return Step::kNewDesign;
    case 3: return Step::kElementReentry;
    case 4: return Step::kConfiguration;
    default: return Step::kProgramStart;
  }
}

// ---------------------------------------------------------------- answers

float DialogRun::ask(const Format& prompt) {
  con_.prompt(prompt);
  return con_.read_number();
}

void DialogRun::read_positive(float& member) {
  const float temp = con_.read_number();
  if (temp > 0) member = temp;
}

void DialogRun::ask_positive(const Format& prompt, float& member) {
  con_.prompt(prompt);
  read_positive(member);
}

void DialogRun::ask_at_least_one(const Format& prompt, float& member) {
  const float temp = ask(prompt);
  if (temp >= 1.0f) member = temp;
}

void DialogRun::ask_direct(const Format& prompt, float& member) { member = ask(prompt); }

int DialogRun::ask_menu(const Format& prompt) { return nint(ask(prompt)); }

// The OPTION menus (analysis and synthesis alike): electrical or distributed,
// distributed starred.
void DialogRun::ask_option(const Format& prompt) {
  ask_choice(prompt, 2, i1_.iop);
  if (i1_.iop != 1) {
    i1_.imed = 4;
    i1_.itype = 1;
  }
}

// A two-item menu: the starred choice stands unless the answer is 1 or 2.
void DialogRun::ask_choice(const Format& prompt, int starred, int& member) {
  member = starred;
  const int itemp = ask_menu(prompt);
  if (itemp == 1 || itemp == 2) member = itemp;
}

// Typed section counts: 2 to 30, asked until one is given.
void DialogRun::ask_section_count(const Format& prompt) {
  static const Format kBadN(
      "(/,6X,'ERROR DETECTED: N must be less than 31',/,22X,'and greater than 1.',/)");
  for (;;) {
    const int itemp = ask_menu(prompt);
    if (itemp > 0) i1_.n = itemp;
    if (i1_.n > 1 && i1_.n <= 30) return;
    con_.write(kBadN);
  }
}

// ---------------------------------------------------------------- start

Step DialogRun::program_start() {
  cxdread(ds_, con_.out(), ctx_.workdir);
  if (i1_.isel == -1) return Step::kReturn;
  const LocalTime t = ctx_.clock.now();
  ds_.datetime = {t.month, t.day, t.year, t.hour, t.minute, t.second};
  banner();
  return Step::kFunctionMenu;
}

Step DialogRun::new_design() {
  banner();
  return Step::kFunctionMenu;
}

void DialogRun::banner() {
  static const Format kBanner(
      "(///,16X,'   RF/Microwave Computer-Aided Engineering Software',/,16X,'   Program: "
      "Mandrelix (v. 1.0)      Date:',I2,'/',I2,'/',I4,/)");
  static const Format kDescription(
      "(/,4X,'This Program performs Electrical SYNTHESIS, Dimensional SYNTHESIS',/,4X,'and "
      "Frequency ANALYSIS of Lumped Element Low-pass Filters and',/,4X,'Distributed Element "
      "Coaxial Low-pass Filters.')");
  const DateTime& d = ds_.datetime;
  con_.write(kBanner, {d.imon, d.iday, d.iyr});
  con_.write(kDescription);
}

Step DialogRun::function_menu() {
  static const Format kMenu(
      "(/,6X,'Please select a Program FUNCTION:',/,10X,'1 = Frequency  ANALYSIS  of a known "
      "Filter Design.',/,9X,'*2 = Electrical SYNTHESIS of a  new  Filter Design.')");
  static const Format kPrompt("(6X,'Program FUNCTION selected = ')");
  con_.write(kMenu);
  ask_choice(kPrompt, 2, i1_.ifunc);
  return i1_.ifunc == 2 ? Step::kSynthesisMenus : Step::kAnalysisMenus;
}

Step DialogRun::analysis_menus() {
  static const Format kOption(
      "(/,6X,'Please select a Frequency Analysis OPTION:',/,10X,'1 = Analysis of a known "
      "ELECTRICAL  Circuit.',/,9X,'*2 = Analysis of a known DISTRIBUTED Circuit.')");
  static const Format kOptionPrompt("(6X,'Frequency Analysis OPTION selected = ')");
  static const Format kElectrical("(/,6X,'Select a SUBOPTION for Analysis of Electrical Circuit:')");
  static const Format kDistributed(
      "(/,6X,'Select a SUBOPTION for Analysis of Distributed Circuit:')");
  static const Format kChoices(
      "(10X,'1 = User enters values for Filter`s Circuit Elements.',/,9X,'*2 = User enters "
      "Data Filename  for Circuit Elements.')");
  static const Format kSubPrompt("(6X,'Analysis SUBOPTION selected = ')");

  con_.write(kOption);
  ask_option(kOptionPrompt);
  if (i1_.iop == 1) {
    i1_.ifrom = 5;
    con_.write(kElectrical);
  } else {
    i1_.ifrom = 2;
    con_.write(kDistributed);
  }
  con_.write(kChoices);
  ask_choice(kSubPrompt, 2, i1_.isubop);

  if (i1_.iop == 2 && i1_.isubop == 2) return Step::kCoaxFile;
  i1_.ides = 1;
  if (i1_.iop == 1) return i1_.isubop == 1 ? Step::kLumpedTyped : Step::kLumpedFile;
  return Step::kCoaxTyped;
}

Step DialogRun::synthesis_menus() {
  static const Format kOption(
      "(/,6X,'Please select a Synthesis OPTION:',/,10X,'1 = Synthesis of Filter`s ELECTRICAL  "
      "Circuit.',/,9X,'*2 = Synthesis of Filter`s DISTRIBUTED Circuit.')");
  static const Format kOptionPrompt("(6X,'Synthesis OPTION selected = ')");
  static const Format kResponse(
      "(/,6X,'Please select a SUBOPTION for Filter Design:',/,9X,'*1 = Chebyschev "
      "(Equi-ripple) Response.',/,10X,'2 = Butterworth (Maximally flat) Response.')");
  static const Format kResponsePrompt("(6X,'Response SUBOPTION selected = ')");

  con_.write(kOption);
  ask_option(kOptionPrompt);
  con_.write(kResponse);
  ask_choice(kResponsePrompt, 1, i1_.isubop);
  i1_.ides = 1;
  return i1_.iop == 2 ? Step::kSynthesisDimensions : Step::kDesignData;
}

void DialogRun::ask_configuration() {
  static const Format kChoices(
      "(11X,'-Select the Filter`s CONFIGURATION:',/,16X,'*1 = Standard Circuit.',/,17X,'2 = "
      "Dual Circuit.')");
  static const Format kPrompt("(12X,'CONFIGURATION of Filter selected  = ')");
  i1_.icfg = 1;
  con_.write(kChoices);
  if (ask_menu(kPrompt) == 2) i1_.icfg = 2;
}

Step DialogRun::configuration() {
  ask_configuration();
  if (i1_.ifrom == 3) return Step::kSynthesisDimensions;
  if (i1_.isel == 4) return Step::kSourceAndLoad;
  return Step::kElementValues;
}

}  // namespace mx
