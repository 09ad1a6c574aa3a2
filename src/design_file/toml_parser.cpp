// The implementation of the TOML parser for design_file/toml.h. A design file
// is a few hundred bytes, so it is compiled unoptimized (see CMakeLists.txt).
#define TOML_IMPLEMENTATION
#include "design_file/toml.h"
