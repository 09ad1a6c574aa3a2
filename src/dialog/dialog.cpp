#include "dialog/dialog.h"

#include "base/convert.h"
#include "dialog/dialog_run.h"
#include "files/defaults_file.h"

namespace mx {

void run_dialog(DesignRecord& ds, DialogContext& ctx) { DialogRun(ds, ctx).run(); }

void DialogRun::run() {
  Step step = entry_dispatch();
  while (step != Step::kReturn) {
    switch (step) {
      case Step::kProgramStart:
        step = program_start();
        break;
      case Step::kNewDesign:
        step = new_design();
        break;
      case Step::kFunctionMenu:
        step = function_menu();
        break;
      case Step::kAnalysisMenus:
        step = analysis_menus();
        break;
      case Step::kSynthesisMenus:
        step = synthesis_menus();
        break;
      case Step::kConfiguration:
        step = configuration();
        break;
      case Step::kSynthesisDimensions:
        step = synthesis_dimensions();
        break;
      case Step::kDesignData:
        step = design_data();
        break;
      case Step::kStorage:
        step = storage();
        break;
      case Step::kCoaxFile:
        step = coax_file();
        break;
      case Step::kCoaxTyped:
        step = coax_typed();
        break;
      case Step::kEndOfDimensions:
        step = end_of_dimensions();
        break;
      case Step::kLumpedTyped:
        step = lumped_typed();
        break;
      case Step::kElementValues:
        step = element_values();
        break;
      case Step::kElementReentry:
        step = element_reentry();
        break;
      case Step::kLumpedFile:
        step = lumped_file();
        break;
      case Step::kSourceAndLoad:
        step = source_and_load();
        break;
      case Step::kLossAndFrequencies:
        step = loss_and_frequencies();
        break;
      case Step::kReturn:
        break;
    }
  }
}

Step DialogRun::entry_dispatch() {
  if (c_.origin != Origin::kDistributedRequested) {
    if (c_.next == NextOperation::kProgramStart) return Step::kProgramStart;
    if (c_.function == Function::kSynthesis) return Step::kNewDesign;
  }
  switch (c_.next) {
    case NextOperation::kAskFrequencies:
      return Step::kLossAndFrequencies;
    case NextOperation::kNewDesign:
      return Step::kNewDesign;
    case NextOperation::kReenterElements:
      return Step::kElementReentry;
    case NextOperation::kFromConfiguration:
      return Step::kConfiguration;
    default:
      return Step::kProgramStart;
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

// Typed section counts: 2 to 30, asked until one is given.
void DialogRun::ask_section_count(const Format& prompt) {
  for (;;) {
    const int itemp = ask_menu(prompt);
    if (itemp > 0) ds_.design.sections = itemp;
    if (ds_.design.sections > 1 && ds_.design.sections <= 30) return;
    con_.write(section_count_refused());
  }
}

// ---------------------------------------------------------------- start

Step DialogRun::program_start() {
  const bool read = read_defaults_file(ds_, con_.out(), ctx_.workdir);
  c_.next = read ? NextOperation::kProgramStart : NextOperation::kEndRun;
  if (!read) return Step::kReturn;
  ds_.run_date = ctx_.clock.now();
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
  const LocalTime& d = ds_.run_date;
  con_.write(kBanner, {d.month, d.day, d.year});
  con_.write(kDescription);
}

Step DialogRun::function_menu() {
  static const Format kMenu(
      "(/,6X,'Please select a Program FUNCTION:',/,10X,'1 = Frequency  ANALYSIS  of a known "
      "Filter Design.',/,9X,'*2 = Electrical SYNTHESIS of a  new  Filter Design.')");
  static const Format kPrompt("(6X,'Program FUNCTION selected = ')");
  con_.write(kMenu);
  ask_choice(kPrompt, Function::kSynthesis, c_.function);
  return c_.function == Function::kSynthesis ? Step::kSynthesisMenus : Step::kAnalysisMenus;
}

Step DialogRun::analysis_menus() {
  static const Format kOption(
      "(/,6X,'Please select a Frequency Analysis OPTION:',/,10X,'1 = Analysis of a known "
      "ELECTRICAL  Circuit.',/,9X,'*2 = Analysis of a known DISTRIBUTED Circuit.')");
  static const Format kOptionPrompt("(6X,'Frequency Analysis OPTION selected = ')");
  static const Format kElectrical(
      "(/,6X,'Select a SUBOPTION for Analysis of Electrical Circuit:')");
  static const Format kDistributed(
      "(/,6X,'Select a SUBOPTION for Analysis of Distributed Circuit:')");
  static const Format kChoices(
      "(10X,'1 = User enters values for Filter`s Circuit Elements.',/,9X,'*2 = User enters "
      "Data Filename  for Circuit Elements.')");
  static const Format kSubPrompt("(6X,'Analysis SUBOPTION selected = ')");

  con_.write(kOption);
  ask_choice(kOptionPrompt, Option::kDistributed, c_.option);
  const bool electrical = c_.option == Option::kElectrical;
  if (electrical) {
    c_.origin = Origin::kLumpedEntered;
    con_.write(kElectrical);
  } else {
    c_.origin = Origin::kDistributedEntered;
    con_.write(kDistributed);
  }
  con_.write(kChoices);
  ask_choice(kSubPrompt, CircuitEntry::kDataFile, c_.entry);

  const bool typed = c_.entry == CircuitEntry::kTyped;
  if (electrical) return typed ? Step::kLumpedTyped : Step::kLumpedFile;
  return typed ? Step::kCoaxTyped : Step::kCoaxFile;
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
  ask_choice(kOptionPrompt, Option::kDistributed, c_.option);
  con_.write(kResponse);
  ask_choice(kResponsePrompt, Response::kChebyshev, c_.response);
  return c_.option == Option::kDistributed ? Step::kSynthesisDimensions : Step::kDesignData;
}

void DialogRun::ask_configuration() {
  static const Format kChoices(
      "(11X,'-Select the Filter`s CONFIGURATION:',/,16X,'*1 = Standard Circuit.',/,17X,'2 = "
      "Dual Circuit.')");
  static const Format kPrompt("(12X,'CONFIGURATION of Filter selected  = ')");
  c_.configuration = Configuration::kStandard;
  con_.write(kChoices);
  if (ask_menu(kPrompt) == 2) c_.configuration = Configuration::kDual;
}

Step DialogRun::configuration() {
  ask_configuration();
  if (c_.origin == Origin::kDistributedRequested) return Step::kSynthesisDimensions;
  if (c_.next == NextOperation::kFromConfiguration) return Step::kSourceAndLoad;
  return Step::kElementValues;
}

}  // namespace mx
