#include "dialog/operation_menus.h"

#include "base/convert.h"

namespace mx {
namespace {

const Format& operation_prompt() {
  static const Format k("(6X,'OPERATION selected = ')");
  return k;
}

const Format& gap() {
  static const Format k("(/)");
  return k;
}

// Prompts and reads one menu answer, rounded to the nearest integer.
NextOperation read_operation(Console& con) {
  con.prompt(operation_prompt());
  return static_cast<NextOperation>(nint(con.read_number()));
}

// Answer 1 of a synthesis menu: analyse the design just made, with the model
// of that synthesis (lumped after an electrical one, coaxial after a
// distributed one).
MenuChoice analyse_design(Console& con, DesignRecord& ds) {
  Control& c = ds.control;
  c.function = Function::kAnalysis;
  c.next = c.origin == Origin::kDistributedSynthesis ? NextOperation::kAskFrequencies
                                                     : NextOperation::kFromConfiguration;
  con.write(gap());
  return MenuChoice::kNextCycle;
}

// Distributed synthesis of the current electrical design.
MenuChoice synthesize_distributed(Console& con, DesignRecord& ds) {
  Control& c = ds.control;
  con.write(gap());
  c.origin = Origin::kDistributedRequested;
  c.next = NextOperation::kFromConfiguration;
  c.function = Function::kSynthesis;
  c.option = Option::kDistributed;
  return MenuChoice::kNextCycle;
}

}  // namespace

MenuChoice electrical_synthesis_menu(Console& con, DesignRecord& ds) {
  static const Format kMenu(
      "(/,6X,'Filter calculations completed. Select next OPERATION:',/,11X,'1. Perform "
      "FREQUENCY ANALYSIS.',/,11X,'2. Design a NEW Filter.',/,11X,'3. Synthesize the "
      "DISTRIBUTED Filter.',/,10X,'*4. EXIT to operating system.')");
  con.write(kMenu);
  ds.control.next = read_operation(con);
  switch (static_cast<int>(ds.control.next)) {
    case 2:
      return MenuChoice::kNextCycle;
    case 3:
      return synthesize_distributed(con, ds);
    case 1:
      return analyse_design(con, ds);
    default:
      return MenuChoice::kEnd;
  }
}

MenuChoice distributed_synthesis_menu(Console& con, DesignRecord& ds) {
  static const Format kMenu(
      "(/,6X,'Filter calculations completed. Select next OPERATION:',/,11X,'1. Perform "
      "FREQUENCY ANALYSIS.',/,11X,'2. Design a NEW Filter.',/,10X,'*3. EXIT to operating "
      "system.')");
  con.write(kMenu);
  ds.control.next = read_operation(con);
  switch (static_cast<int>(ds.control.next)) {
    case 2:
      return MenuChoice::kNextCycle;
    case static_cast<int>(NextOperation::kListing):
      return MenuChoice::kListing;
    case 1:
      return analyse_design(con, ds);
    default:
      return MenuChoice::kEnd;
  }
}

MenuChoice long_analysis_menu(Console& con, DesignRecord& ds) {
  static const Format kMenu(
      "(/,6X,'Filter calculations completed. Select next OPERATION:',/,11X,'1. Change ANALYSIS "
      "FREQUENCIES and Re-run.',/,11X,'2. Design a NEW Filter.',/,11X,'3. Change ELECTRICAL "
      "DATA and Re-run.',/,11X,'4. Synthesize DISTRIBUTED Circuit.',/,10X,'*5. EXIT to "
      "operating system.')");
  con.write(kMenu);
  ds.control.next = read_operation(con);
  switch (static_cast<int>(ds.control.next)) {
    case 4:
      return synthesize_distributed(con, ds);
    case 1:
    case 2:
    case 3:
      return MenuChoice::kNextCycle;
    default:
      return MenuChoice::kEnd;
  }
}

MenuChoice short_analysis_menu(Console& con, DesignRecord& ds) {
  static const Format kMenu(
      "(/,6X,'Filter calculations completed. Select next OPERATION:',/,11X,'1. Change ANALYSIS "
      "FREQUENCIES and Re-run.',/,11X,'2. Design a NEW Filter.',/,10X,'*3. EXIT to operating "
      "system.')");
  con.write(kMenu);
  ds.control.next = read_operation(con);
  ds.control.loss_data_given = true;
  const NextOperation next = ds.control.next;
  return (next == NextOperation::kAskFrequencies || next == NextOperation::kNewDesign)
             ? MenuChoice::kNextCycle
             : MenuChoice::kEnd;
}

MenuChoice realizability_menu(Console& con, DesignRecord& ds) {
  static const Format kMenu(
      "(/,6X,'Select next OPERATION:',/,11X,'1. Design a NEW Filter.',/,10X,'*2. EXIT to "
      "operating system.')");
  // Blank or not positive: the starred exit.
  ds.control.next = static_cast<NextOperation>(2);
  con.write(kMenu);
  con.prompt(operation_prompt());
  const float temp = con.read_number();
  if (temp > 0) ds.control.next = static_cast<NextOperation>(nint(temp));
  // The answer 1 of this menu is a new design.
  if (ds.control.next != static_cast<NextOperation>(1)) return MenuChoice::kEnd;
  return MenuChoice::kNextCycle;
}

}  // namespace mx
