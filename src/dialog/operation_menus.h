// The next-operation menus shown after each report. Each prints its menu,
// reads the answer and sets what the next cycle needs in the design record.
#pragma once

#include "base/console.h"
#include "model/design_record.h"

namespace mx {

enum class MenuChoice {
  kNextCycle,  // start the next cycle with the next operation set
  kListing,    // (completed distributed synthesis only) show the diagnostic listing
  kEnd,        // end the program
};

MenuChoice electrical_synthesis_menu(Console& con, DesignRecord& ds);
MenuChoice distributed_synthesis_menu(Console& con, DesignRecord& ds);
MenuChoice long_analysis_menu(Console& con, DesignRecord& ds);
MenuChoice short_analysis_menu(Console& con, DesignRecord& ds);
MenuChoice realizability_menu(Console& con, DesignRecord& ds);

}  // namespace mx
