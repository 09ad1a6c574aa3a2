#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "app/options.h"
#include "app/program.h"
#include "app/result_names.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  mx::CommandLine cl = mx::parse_command_line(argc, argv, std::cout, std::cerr);
  if (cl.exit_now) return cl.exit_status;
  if (!mx::result_folders_exist(cl.options, std::cerr) ||
      !mx::result_files_distinct(cl.options, std::cerr))
    return 2;
  std::error_code ec;
  const std::filesystem::path workdir = std::filesystem::absolute(cl.directory, ec);
  if (ec || !std::filesystem::is_directory(workdir, ec)) {
    std::cerr << "mandrelix: the working folder \"" << cl.directory.string()
              << "\" does not exist\n";
    return 2;
  }
  cl.options.interactive = ::isatty(STDIN_FILENO) == 1;
  const mx::SystemClock clock;
  return mx::run_program(std::cin, std::cout, std::cerr, clock, workdir, cl.options);
}
