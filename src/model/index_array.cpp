#include "model/index_array.h"

#include <cstdio>
#include <cstdlib>

namespace mx {

// An index outside its array is a fault of the program, never of the input:
// stop at once rather than read or write beside the array.
void index_fault(int index, int lo, int hi) {
  std::fprintf(stderr, "internal error: index %d outside %d..%d\n", index, lo, hi);
  std::abort();
}

}  // namespace mx
