// The frequency sweep of an analysis: the response of the filter in the
// design record at every frequency start + step * k, k = 0..steps.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "analysis/coax_cascade.h"
#include "analysis/port_figures.h"
#include "analysis/two_port.h"
#include "model/design_record.h"

namespace mx {

// One analysed frequency: the report's row and the two-port it came from.
struct SweepRow {
  float f_mhz = 0;
  PortFigures figures;
  float delay_ns = 0;  // "Time Delay"
  TwoPort two_port;    // chain matrix of the filter at f
};

// The allocator of a sweep's rows. It leaves a row unwritten when the row
// storage is made: every row is then written once, by the thread that
// computes it, so the first touch of the memory (a page fault for each 4 kB,
// a few hundred for a long sweep) is shared among the threads as well.
template <typename T>
struct RowAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = RowAllocator<U>;
  };
  RowAllocator() = default;
  template <typename U>
  RowAllocator(const RowAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U*) noexcept {}  // a row of a sweep: left for its thread to write
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// The rows of a sweep, in the order of its frequencies.
using SweepRows = std::vector<SweepRow, RowAllocator<SweepRow>>;

// Consecutive points that a thread of a sweep takes at a time.
constexpr std::size_t kSweepBlock = 256;

// How a sweep is run. The rows are the same whatever the choice.
struct SweepOptions {
  // Threads sharing the points (each takes the next block of kSweepBlock
  // consecutive frequencies as it comes free); 1 or less: the calling thread
  // alone. Short sweeps use fewer threads than asked for.
  int threads = 1;
  // Called for each block of rows (block b holds points b * kSweepBlock on)
  // as soon as its rows are in place, on the thread that computed them.
  std::function<void(std::size_t block, std::span<const SweepRow> rows)> block_finished{};
  // Called on the calling thread for block 0, 1, 2, ... in order, each after
  // its block_finished call; all of them before run_sweep returns.
  std::function<void(std::size_t block)> block_in_order{};
};

// The thread count of a setting given as text (an environment variable or
// an option): a positive whole number is taken as it is; no text, or text
// that is not one, gives cores (at least 1).
int sweep_threads(const char* text, unsigned cores);

// The response at f: the cascade chosen by the option (lumped ladder or
// coaxial filter), its port figures and the group delay (the cascade chosen
// by the origin, at f x 1.0001, or at f / 1.0001 when the phase changes sign
// across the upper step).
SweepRow analyse_point(DesignRecord& ds, const EndSteps& ends, float f);

// Every point of ds.sweep, in order. Each frequency comes from its index, so
// rounding does not build up along the sweep. The record is left as the last
// evaluation of the serial run leaves it (the entered circuit's step
// capacitances and the last frequency factor), with any number of threads.
SweepRows run_sweep(DesignRecord& ds, const EndSteps& ends, const SweepOptions& options = {});

// Frequency of point k of the sweep, MHz.
float sweep_frequency(const Sweep& s, int k);

}  // namespace mx
