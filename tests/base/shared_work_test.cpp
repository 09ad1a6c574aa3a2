#include "base/shared_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <thread>
#include <vector>

namespace mx {
namespace {

// Every piece exactly once, whatever the number of threads and pieces, and
// all of them done when the call returns.
TEST(SharePieces, EveryPieceOnceOnSomeThread) {
  struct Case {
    int threads;
    std::size_t count;
  };
  for (const Case c : {Case{1, 0}, Case{3, 0}, Case{1, 7}, Case{2, 1}, Case{2, 1000}, Case{3, 1000},
                       Case{8, 3}, Case{0, 5}, Case{-4, 5}}) {
    SCOPED_TRACE(testing::Message() << c.threads << " threads, " << c.count << " pieces");
    std::vector<std::atomic<int>> done(c.count);
    share_pieces(c.threads, c.count, [&](std::size_t k) { done[k].fetch_add(1); });
    for (std::size_t k = 0; k < c.count; ++k) EXPECT_EQ(done[k].load(), 1) << k;
  }
}

// A caller held up in its first piece leaves the rest to the helper.
TEST(SharePieces, HelperTakesWhatTheCallerCannot) {
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<int> by_helper{0};
  std::atomic<bool> helper_done_some{false};
  share_pieces(2, 50, [&](std::size_t) {
    if (std::this_thread::get_id() == caller) {
      while (!helper_done_some.load()) std::this_thread::yield();
    } else {
      by_helper.fetch_add(1);
      helper_done_some.store(true);
    }
  });
  EXPECT_GE(by_helper.load(), 1);
}

// A piece that throws on the caller: the exception comes out only when no
// helper is inside a piece any more.
TEST(SharePieces, ExceptionWaitsForTheHelpersInside) {
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<int> running{0};
  auto piece = [&](std::size_t) {
    if (std::this_thread::get_id() == caller) throw std::runtime_error("piece");
    running.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::microseconds(100));
    running.fetch_sub(1);
  };
  EXPECT_THROW(share_pieces(4, 200, piece), std::runtime_error);
  EXPECT_EQ(running.load(), 0);
}

}  // namespace
}  // namespace mx
