// The command line: options parsed into RunOptions and a working folder.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/program.h"

namespace mx {

// The program's version as --version and the result files' comments show it.
// (The reports keep the version line they have always printed.)
inline constexpr const char* kProgramVersion = "Mandrelix 1.1";

struct CommandLine {
  RunOptions options;
  std::filesystem::path directory = ".";  // -C: the working folder
  bool exit_now = false;                  // --help, --version or an error: no dialog
  int exit_status = 0;
};

// Parses argv. --help and --version print to out; a bad command line prints
// one line to err; either sets exit_now. Result file names are taken as
// given (relative to the folder the program was started in, not -C).
CommandLine parse_command_line(int argc, const char* const* argv, std::ostream& out,
                               std::ostream& err);

// The extension of a file name in lower case (".dxf", ".json", ...): the
// kind of a result file.
std::string lower_extension(const std::filesystem::path& name);

// Checks before the dialog starts that every result file can be created
// where it is asked for (its folder exists and is a folder); one line on err
// and false otherwise.
bool result_folders_exist(const RunOptions& options, std::ostream& err);

}  // namespace mx
