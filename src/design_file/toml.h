// The TOML parser of the design file (toml++), compiled once in
// toml_parser.cpp and seen here as declarations, so that its exceptions
// unwind within the program's own runtime and its bulk compiles beside the
// reader instead of inside it.
#pragma once

#define TOML_HEADER_ONLY 0
#define TOML_EXCEPTIONS 1
#include <toml++/toml.h>
