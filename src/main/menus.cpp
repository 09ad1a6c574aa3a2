#include "main/menus.h"

#include "model/convert.h"

namespace mx {
namespace {

const Format& operation_prompt() {
  static const Format k("(6X,'OPERATION selected = ')");
  return k;
}

// Prompts and reads one menu answer, rounded to the nearest integer.
int read_operation(Console& con) {
  con.prompt(operation_prompt());
  return nint(con.read_number());
}

// Answer 1 of a synthesis menu: analyse the design just made, with the model
// of that synthesis (lumped after an electrical one, coaxial after a
// distributed one).
MenuChoice analyse_design(Console& con, DesignState& ds) {
  static const Format kGap("(/)");
  ds.int1.ifunc = 1;
  ds.int1.isel = ds.int1.ifrom == 1 ? 1 : 4;
  con.write(kGap);
  return MenuChoice::kNextCycle;
}

// Distributed synthesis of the current electrical design.
MenuChoice synthesize_distributed(Console& con, DesignState& ds) {
  static const Format kGap("(/)");
  con.write(kGap);
  ds.int1.ifrom = 3;
  ds.int1.isel = 4;
  ds.int1.ifunc = 2;
  ds.int1.iop = 2;
  return MenuChoice::kNextCycle;
}

}  // namespace

MenuChoice electrical_synthesis_menu(Console& con, DesignState& ds) {
  static const Format kMenu(
      "(/,6X,'Filter calculations completed. Select next OPERATION:',/,11X,'1. Perform "
      "FREQUENCY ANALYSIS.',/,11X,'2. Design a NEW Filter.',/,11X,'3. Synthesize the "
      "DISTRIBUTED Filter.',/,10X,'*4. EXIT to operating system.')");
  ds.int1.isel = 0;
  con.write(kMenu);
  ds.int1.isel = read_operation(con);
  switch (ds.int1.isel) {
    case 2: return MenuChoice::kNextCycle;
    case 3: return synthesize_distributed(con, ds);
    case 1: return analyse_design(con, ds);
    default: return MenuChoice::kEnd;
  }
}

MenuChoice distributed_synthesis_menu(Console& con, DesignState& ds) {
  static const Format kMenu(
      "(/,6X,'Filter calculations completed. Select next OPERATION:',/,11X,'1. Perform "
      "FREQUENCY ANALYSIS.',/,11X,'2. Design a NEW Filter.',/,10X,'*3. EXIT to operating "
      "system.')");
  con.write(kMenu);
  ds.int1.isel = 0;
  ds.int1.isel = read_operation(con);
  switch (ds.int1.isel) {
    case 2: return MenuChoice::kNextCycle;
    case -529: return MenuChoice::kListing;
    case 1: return analyse_design(con, ds);
    default: return MenuChoice::kEnd;
  }
}

MenuChoice long_analysis_menu(Console& con, DesignState& ds) {
  static const Format kMenu(
      "(/,6X,'Filter calculations completed. Select next OPERATION:',/,11X,'1. Change ANALYSIS "
      "FREQUENCIES and Re-run.',/,11X,'2. Design a NEW Filter.',/,11X,'3. Change ELECTRICAL "
      "DATA and Re-run.',/,11X,'4. Synthesize DISTRIBUTED Circuit.',/,10X,'*5. EXIT to "
      "operating system.')");
  con.write(kMenu);
  ds.int1.isel = read_operation(con);
  switch (ds.int1.isel) {
    case 4: return synthesize_distributed(con, ds);
    case 1:
    case 2:
    case 3: return MenuChoice::kNextCycle;
    default: return MenuChoice::kEnd;
  }
}

MenuChoice short_analysis_menu(Console& con, DesignState& ds) {
  static const Format kMenu(
      "(/,6X,'Filter calculations completed. Select next OPERATION:',/,11X,'1. Change ANALYSIS "
      "FREQUENCIES and Re-run.',/,11X,'2. Design a NEW Filter.',/,10X,'*3. EXIT to operating "
      "system.')");
  con.write(kMenu);
  ds.int1.isel = read_operation(con);
  ds.int1.itime = 2;
  return (ds.int1.isel == 1 || ds.int1.isel == 2) ? MenuChoice::kNextCycle : MenuChoice::kEnd;
}

MenuChoice realizability_menu(Console& con, DesignState& ds) {
  static const Format kMenu(
      "(/,6X,'Select next OPERATION:',/,11X,'1. Design a NEW Filter.',/,10X,'*2. EXIT to "
      "operating system.')");
  ds.int1.isel = 2;
  con.write(kMenu);
  con.prompt(operation_prompt());
  const float temp = con.read_number();
  if (temp > 0) ds.int1.isel = nint(temp);
  return ds.int1.isel == 1 ? MenuChoice::kNextCycle : MenuChoice::kEnd;
}

}  // namespace mx
