#include "analysis/sweep.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <span>
#include <thread>

#include "analysis/lumped_cascade.h"
#include "base/shared_work.h"

namespace mx {
namespace {

// A thread is started only for at least this many points: below it, starting
// the thread costs more than it saves.
constexpr std::size_t kMinPointsPerThread = 256;
constexpr long kMaxThreads = 1024;

enum class Cascade { kNone, kLumped, kCoax };

// Everything of an analysis that does not depend on the frequency, read from
// the record once: the circuits of the two cascades a point uses and the
// terms of the port figures. A point is then a const evaluation that leaves
// the record alone, so points can run on any thread in any order.
class Analysis {
 public:
  Analysis(const DesignRecord& ds, const EndSteps& ends)
      : response_(response_cascade(ds)), delay_(delay_cascade(ds)), terms_(port_terms(ds.ports)) {
    // Only the circuits that are evaluated are read (and index-checked).
    if (response_ == Cascade::kLumped || delay_ == Cascade::kLumped) ladder_ = lumped_ladder(ds);
    if (response_ == Cascade::kCoax || delay_ == Cascade::kCoax) coax_ = coax_network(ds, ends);
  }

  // The row at f. When the point evaluates an entered coaxial circuit,
  // *coax_f receives the frequency of the last such evaluation (what it
  // leaves in the record) and *evaluated is set.
  SweepRow point(float f, float& coax_f, bool& evaluated) const {
    SweepRow row;
    TwoPort upper;
    const float fp = f * kDelayStep;
    if (response_ == delay_) {
      // The cascades at f and f x 1.0001 are independent: interleaved.
      pair(response_, f, fp, row.two_port, upper);
    } else {
      if (response_ != Cascade::kNone) single(response_, f, row.two_port);
      single(delay_, fp, upper);
    }
    finish(row, f, upper, coax_f, evaluated);
    return row;
  }

  // The rows at f[0..n-1] in rows[0..n-1] (n at most 2), as point gives them
  // one by one: when the response and the delay take the same cascade, the
  // four (or two) cascades side by side.
  void points(const float* f, std::size_t n, SweepRow* rows, float& coax_f, bool& evaluated) const {
    if (response_ != delay_) {
      for (std::size_t i = 0; i < n; ++i) rows[i] = point(f[i], coax_f, evaluated);
      return;
    }
    float fs[4];
    TwoPort rs[4];
    for (std::size_t i = 0; i < n; ++i) {
      fs[2 * i] = f[i];
      fs[2 * i + 1] = f[i] * kDelayStep;
    }
    if (response_ == Cascade::kLumped) {
      lumped_cascades(ladder_, std::span(fs, 2 * n), std::span(rs, 2 * n));
    } else {
      coax_cascades(coax_, std::span(fs, 2 * n), std::span(rs, 2 * n));
    }
    for (std::size_t i = 0; i < n; ++i) {
      rows[i].two_port = rs[2 * i];
      finish(rows[i], f[i], rs[2 * i + 1], coax_f, evaluated);
    }
  }

  // Leaves the record as the evaluation of the entered circuit at f does.
  void leave_record(DesignRecord& ds, float f) const { leave_junctions(coax_, f, ds); }

 private:
  // The response: by the option; the group delay: by the origin.
  static Cascade response_cascade(const DesignRecord& ds) {
    if (ds.control.option == Option::kElectrical) return Cascade::kLumped;
    if (ds.control.option == Option::kDistributed) return Cascade::kCoax;
    return Cascade::kNone;
  }
  static Cascade delay_cascade(const DesignRecord& ds) {
    const Origin o = ds.control.origin;
    if (o == Origin::kDistributedSynthesis || o == Origin::kDistributedEntered)
      return Cascade::kCoax;
    return Cascade::kLumped;
  }

  // The rest of the row at f, its two-port in place, from the two-port at
  // f x 1.0001.
  void finish(SweepRow& row, float f, const TwoPort& upper, float& coax_f, bool& evaluated) const {
    row.f_mhz = f;
    float fp = f * kDelayStep;
    row.figures = port_figures(row.two_port, terms_);
    const float p0 = phase_radians(row.figures.phase_deg);
    float pp = phase_radians(transmission_phase(upper, terms_));
    if (phase_wrapped(p0, pp)) {
      // The phase wrapped between f and fp: difference towards the lower side.
      fp = f / kDelayStep;
      TwoPort lower;
      single(delay_, fp, lower);
      pp = phase_radians(transmission_phase(lower, terms_));
    }
    row.delay_ns = delay_from_phases(f, p0, fp, pp);

    if (!coax_.synthesized) {
      if (delay_ == Cascade::kCoax) {
        coax_f = fp;
        evaluated = true;
      } else if (response_ == Cascade::kCoax) {
        coax_f = f;
        evaluated = true;
      }
    }
  }

  void single(Cascade c, float f, TwoPort& rs) const {
    if (c == Cascade::kLumped) {
      lumped_cascade(ladder_, f, rs);
    } else {
      coax_cascade(coax_, f, rs);
    }
  }
  void pair(Cascade c, float f1, float f2, TwoPort& rs1, TwoPort& rs2) const {
    if (c == Cascade::kLumped) {
      lumped_cascades(ladder_, f1, f2, rs1, rs2);
    } else {
      coax_cascades(coax_, f1, f2, rs1, rs2);
    }
  }

  Cascade response_;
  Cascade delay_;
  PortTerms terms_;
  LumpedLadder ladder_;
  CoaxNetwork coax_;
};

}  // namespace

int sweep_threads(const char* text, unsigned cores) {
  const int fallback = cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, kMaxThreads));
  if (text == nullptr || *text < '0' || *text > '9') return fallback;
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(text, &end, 10);
  if (*end != '\0' || errno != 0 || n < 1) return fallback;
  return static_cast<int>(std::min(n, kMaxThreads));
}

SweepRow analyse_point(DesignRecord& ds, const EndSteps& ends, float f) {
  const Analysis analysis(ds, ends);
  float coax_f = 0.0f;
  bool evaluated = false;
  SweepRow row = analysis.point(f, coax_f, evaluated);
  if (evaluated) analysis.leave_record(ds, coax_f);
  return row;
}

float sweep_frequency(const Sweep& s, int k) {
  return s.start_mhz + s.step_mhz * static_cast<float>(k);
}

SweepRows run_sweep(DesignRecord& ds, const EndSteps& ends, const SweepOptions& options) {
  SweepRows rows;
  const int steps = ds.sweep.steps;
  if (steps < 0) return rows;
  const auto count = static_cast<std::size_t>(steps) + 1;
  rows.resize(count);
  const Analysis analysis(ds, ends);
  const Sweep sweep = ds.sweep;
  const std::size_t blocks = (count + kSweepBlock - 1) / kSweepBlock;

  // Only the block holding the last point reports its last evaluation.
  float coax_f = 0.0f;
  bool evaluated = false;
  std::vector<std::atomic<bool>> finished(blocks);
  std::size_t delivered = 0;
  const std::thread::id caller = std::this_thread::get_id();
  // The finished blocks that follow the last delivered one, in order.
  auto deliver = [&] {
    for (; delivered < blocks && finished[delivered].load(std::memory_order_acquire); ++delivered)
      if (options.block_in_order) options.block_in_order(delivered);
  };
  auto block = [&](std::size_t b) {
    const std::size_t begin = b * kSweepBlock;
    const std::size_t end = std::min(count, begin + kSweepBlock);
    float f_seen = 0.0f;
    bool seen = false;
    for (std::size_t k = begin; k < end; k += 2) {
      const std::size_t n = std::min<std::size_t>(2, end - k);
      float f[2];
      for (std::size_t i = 0; i < n; ++i) f[i] = sweep_frequency(sweep, static_cast<int>(k + i));
      analysis.points(f, n, &rows[k], f_seen, seen);
    }
    if (end == count) {
      coax_f = f_seen;
      evaluated = seen;
    }
    if (options.block_finished)
      options.block_finished(b, std::span<const SweepRow>(&rows[begin], end - begin));
    finished[b].store(true, std::memory_order_release);
    if (std::this_thread::get_id() == caller) deliver();
  };

  const std::size_t wanted = options.threads < 1 ? 1 : static_cast<std::size_t>(options.threads);
  const std::size_t threads =
      std::max<std::size_t>(1, std::min(wanted, count / kMinPointsPerThread));
  share_pieces(static_cast<int>(threads), blocks, block);
  deliver();

  // The record as the serial run leaves it: the entered circuit's junctions
  // at the last point's last evaluation.
  if (evaluated) analysis.leave_record(ds, coax_f);
  return rows;
}

}  // namespace mx
