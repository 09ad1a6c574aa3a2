// Reading a measured two-port from a Touchstone file, as network analysers
// and field solvers write them.
//
// Version 1: comments from '!' to the end of a line; the option line
// "# <unit> <parameter> <format> R <ohm>" (each part optional, in any order,
// any case; defaults GHz S MA R 50; only the first option line counts);
// then one frequency per row: f, S11, S21, S12, S22, each a pair of numbers.
// A row whose frequency is not above the one before starts the noise
// parameters, which are not read.
// Version 2.0 ("[Version] 2.0" first): the option line, then the keywords
// [Number of Ports] (2), [Two-Port Data Order] (12_21 or 21_12),
// [Number of Frequencies] (checked against the rows), [Reference] (one
// resistance per port, overriding R), [Matrix Format] (Full, Lower or Upper:
// the two triangles hold S11, S21, S22 or S11, S12, S22, the other transfer
// parameter taken as equal), [Network Data], then the rows, then [Noise Data]
// (not read) or [End].
// Pairs are real and imaginary parts (RI), magnitude and angle in degrees
// (MA), or 20 log10 of the magnitude and angle (DB). The unit is Hz, kHz, MHz
// or GHz. Only S-parameters are read. A row may be wrapped over several lines.
//
// The frequencies must be positive or zero, finite and rising; a 0 Hz row
// (allowed by the format) is dropped, as the circuit model has no DC point.
// Every value must be finite and every reference resistance positive.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "fit/fit.h"

namespace mx {

// Why a file cannot be read, with the line where that was found (0: none).
struct TouchstoneError : std::runtime_error {
  TouchstoneError(int line, const std::string& what);
  int line = 0;
};

// The two-port of the text of a Touchstone file.
MeasuredTwoPort read_touchstone(std::string_view text);

// The two-port of the file at path (TouchstoneError also when it cannot be
// opened or is not a text file of reasonable size).
MeasuredTwoPort read_touchstone_file(const std::filesystem::path& path);

}  // namespace mx
