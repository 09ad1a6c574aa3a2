#include "base/shared_work.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace mx {
namespace {

// Where a helper starts. Linux often puts a new thread on the processor of
// the thread that made it, and moves one of the two to an idle processor only
// some milliseconds later, when a sweep is over; on a virtual machine the two
// then take turns on one processor. So a helper is started on the processors
// the program may use other than the caller's, and is free to go anywhere
// once it runs.
class Placement {
 public:
  Placement() {
#if defined(__linux__)
    if (sched_getaffinity(0, sizeof allowed_, &allowed_) != 0) return;
    elsewhere_ = allowed_;
    const int here = sched_getcpu();
    if (here >= 0 && here < CPU_SETSIZE) CPU_CLR(here, &elsewhere_);
    valid_ = CPU_COUNT(&elsewhere_) > 0;
#endif
  }
  // Called by the maker of helper h.
  void start_elsewhere([[maybe_unused]] std::thread& h) const {
#if defined(__linux__)
    if (valid_) pthread_setaffinity_np(h.native_handle(), sizeof elsewhere_, &elsewhere_);
#endif
  }
  // Called by the helper once it runs.
  void set_free() const {
#if defined(__linux__)
    if (valid_) pthread_setaffinity_np(pthread_self(), sizeof allowed_, &allowed_);
#endif
  }

 private:
#if defined(__linux__)
  cpu_set_t allowed_{};
  cpu_set_t elsewhere_{};
  bool valid_ = false;
#endif
};

}  // namespace

void share_pieces(int threads, std::size_t count, const std::function<void(std::size_t)>& job) {
  if (count == 0) return;
  std::atomic<std::size_t> next{0};
  auto take = [&] {
    for (std::size_t k = next.fetch_add(1); k < count; k = next.fetch_add(1)) job(k);
  };
  const std::size_t helpers = std::min(count, static_cast<std::size_t>(std::max(threads, 1))) - 1;
  std::vector<std::thread> started;
  if (helpers > 0) {
    started.reserve(helpers);
    const Placement placement;
    for (std::size_t t = 0; t < helpers; ++t) {
      try {
        started.emplace_back([&take, &placement] {
          placement.set_free();
          take();
        });
        placement.start_elsewhere(started.back());
      } catch (const std::system_error&) {
        break;  // no more threads to be had: those started and this one do the work
      }
    }
    take();
    for (std::thread& h : started) h.join();
    return;
  }
  take();
}

}  // namespace mx
