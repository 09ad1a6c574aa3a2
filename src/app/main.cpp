#include <filesystem>
#include <iostream>

#include "app/program.h"

int main() {
  std::ios::sync_with_stdio(false);
  const mx::SystemClock clock;
  return mx::run_program(std::cin, std::cout, std::cerr, clock, std::filesystem::current_path());
}
