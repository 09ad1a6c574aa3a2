// Running ngspice from the tests: a netlist in, the rows of its wrdata out.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "session.h"

namespace mxtest {

// A number as a netlist gets it: every digit of the double.
inline std::string spice_number(double v) {
  char b[40];
  std::snprintf(b, sizeof b, "%.17g", v);
  return b;
}

inline bool ngspice_present() { return std::system("ngspice --version > /dev/null 2>&1") == 0; }

// Runs ngspice in batch mode on the netlist (in dir, as filter.cir; its log
// goes to ngspice.log) and returns the rows its wrdata wrote to ac.txt:
// frequency, then real and imaginary part of each vector.
inline std::vector<std::vector<double>> run_ngspice(const std::filesystem::path& dir,
                                                    const std::string& netlist) {
  write_file(dir / "filter.cir", netlist);
  const std::string cmd = "cd '" + dir.string() + "' && ngspice -b filter.cir > ngspice.log 2>&1";
  std::system(cmd.c_str());  // its exit status is not reliable; the data file is
  std::vector<std::vector<double>> rows;
  std::ifstream f(dir / "ac.txt");
  std::string line;
  std::getline(f, line);  // vector names
  while (std::getline(f, line)) {
    std::istringstream s(line);
    std::vector<double> row;
    for (double v; s >> v;) row.push_back(v);
    if (!row.empty()) rows.push_back(row);
  }
  return rows;
}

}  // namespace mxtest
