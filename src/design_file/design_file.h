// The design file: a design written as TOML instead of answered in the
// dialog. Reading it fills the design record as the dialog's answers would,
// with what the file leaves out taken from Mandrelix.DEF in the working
// folder, as a blank answer takes it. Every key is checked against the table
// it sits in, so a misspelt key stops the reading instead of being ignored.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/design_record.h"

namespace mx {

// A design file that cannot be used. what() is one line naming the file, the
// line, the key and what was expected: "filter.toml:4: response.ripple_db:
// expected a number above 0, not -1".
class SpecError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The response names of [response] type, each with the ladder it
// synthesizes and whether it takes a passband ripple.
struct ResponseType {
  std::string_view name;
  Response response;
  bool has_ripple;
};
std::span<const ResponseType> response_types();

// What a design file asks for besides the values of the record.
struct DesignFile {
  std::string title;
  // [circuit]: a circuit data file is analysed; nothing is synthesized.
  bool circuit_file = false;
  // [analysis]: the design is analysed (after its synthesis) over ds.sweep.
  bool analyse = false;
  // Terminations of the analysis of a synthesized ladder, ohm; unset, the
  // source takes Zo and the load the resistance that ends the ladder.
  std::optional<float> source_ohm, load_ohm;
};

// Reads the design file `file` into ds, with defaults from workdir's
// Mandrelix.DEF when that file is there. Throws SpecError for a file that
// cannot be read or used; ds is then of no use.
DesignFile read_design_file(const std::filesystem::path& file, const std::filesystem::path& workdir,
                            DesignRecord& ds);

// The same from the text of a design file; `source` names it in the
// messages, which give the line of a key only when `lines` is set (a text
// made from something else has no lines worth naming).
DesignFile read_design_text(std::string_view text, std::string_view source, bool lines,
                            const std::filesystem::path& workdir, DesignRecord& ds);

// Turns the record of a completed synthesis into that of its analysis, as
// answer 1 of the synthesis menu and blank answers to the questions that
// follow it would.
void prepare_analysis(const DesignFile& spec, DesignRecord& ds);

}  // namespace mx
