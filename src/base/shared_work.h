// Work shared out among threads piece by piece.
#pragma once

#include <cstddef>
#include <functional>

namespace mx {

// Calls job(k) once for every piece k of [0, count), on the calling thread
// and on up to threads - 1 helpers started for it. Each thread takes the next
// piece as it comes free, so a helper that starts late only takes fewer, and
// one that has not started when the last piece is taken takes none and is not
// waited for. Returns when every piece is done. job must be safe to call on
// several threads at once. threads of 1 or less, or a helper that cannot be
// started: the calling thread does the rest.
void share_pieces(int threads, std::size_t count, const std::function<void(std::size_t)>& job);

}  // namespace mx
