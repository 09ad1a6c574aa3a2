#include "base/shared_work.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace mx {
namespace {

// Where a helper starts. Linux often puts a new thread on the processor of
// the thread that made it, where it may take over from its maker until the
// next scheduler tick (4 ms) moves one of them to an idle processor: longer
// than a sweep. So a helper is made to start on the processors the program
// may use other than the caller's, and is free to go anywhere once it runs.
class Placement {
 public:
  explicit Placement([[maybe_unused]] bool wanted) {
#if defined(__linux__)
    if (!wanted || sched_getaffinity(0, sizeof allowed_, &allowed_) != 0) return;
    elsewhere_ = allowed_;
    const int here = sched_getcpu();
    if (here >= 0 && here < CPU_SETSIZE) CPU_CLR(here, &elsewhere_);
    valid_ = CPU_COUNT(&elsewhere_) > 0;
#endif
  }

  // Starts body on a detached thread, elsewhere when there is an elsewhere.
  // False when no thread could be started.
  template <typename Body>
  bool start(Body body) const {
#if defined(__linux__)
    // (where that cannot be had, anywhere)
    if (valid_ && start_elsewhere(body)) return true;
#endif
    try {
      std::thread(std::move(body)).detach();
      return true;
    } catch (const std::system_error&) {
      return false;
    }
  }

 private:
#if defined(__linux__)
  template <typename Body>
  bool start_elsewhere(const Body& body) const {
    struct Start {
      Body body;
      cpu_set_t allowed;
    };
    auto start = std::make_unique<Start>(Start{body, allowed_});
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) return false;
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_attr_setaffinity_np(&attr, sizeof elsewhere_, &elsewhere_);
    pthread_t thread;
    const int failed = pthread_create(
        &thread, &attr,
        [](void* arg) -> void* {
          const std::unique_ptr<Start> s(static_cast<Start*>(arg));
          pthread_setaffinity_np(pthread_self(), sizeof s->allowed, &s->allowed);
          s->body();
          return nullptr;
        },
        start.get());
    pthread_attr_destroy(&attr);
    if (failed != 0) return false;
    start.release();  // the thread owns it now
    return true;
  }

  cpu_set_t allowed_{};
  cpu_set_t elsewhere_{};
  bool valid_ = false;
#endif
};

}  // namespace

void share_pieces(int threads, std::size_t count, const std::function<void(std::size_t)>& job) {
  if (count == 0) return;
  // What a helper may still look at after the caller has returned: a helper
  // that starts when the caller has closed the work leaves without touching
  // anything else, so the caller never waits for a helper to start, only for
  // those inside to finish their pieces.
  struct Sharing {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> open{true};
    std::atomic<int> inside{0};
  };
  const auto sharing = std::make_shared<Sharing>();
  auto take = [&job, count, &next = sharing->next] {
    for (std::size_t k = next.fetch_add(1); k < count; k = next.fetch_add(1)) job(k);
  };
  const std::size_t helpers = std::min(count, static_cast<std::size_t>(std::max(threads, 1))) - 1;
  // Closed however the caller's part ends (an exception included), before
  // take goes out of scope.
  struct Close {
    Sharing& sharing;
    ~Close() {
      sharing.open.store(false);
      while (sharing.inside.load() != 0) std::this_thread::yield();
    }
  } close{*sharing};
  const Placement placement(helpers > 0);
  for (std::size_t t = 0; t < helpers; ++t) {
    const bool started = placement.start([sharing, &take] {
      sharing->inside.fetch_add(1);
      if (sharing->open.load()) take();
      sharing->inside.fetch_sub(1);
    });
    if (!started) break;  // those started and this thread do the work
  }
  take();
}

}  // namespace mx
