// A sweep against the point-by-point evaluation through the single-frequency
// entry points (the cascade, port_figures and group_delay, as the program
// evaluated a point before sweeps shared their per-sweep work), and the same
// sweep on several threads: the same rows bit for bit, and the record left as
// the serial run leaves it.
#include "analysis/sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <numeric>
#include <span>
#include <thread>
#include <vector>

#include "analysis/coax_cascade.h"
#include "analysis/lumped_cascade.h"
#include "analysis/port_figures.h"
#include "line/impedance.h"
#include "line/step_capacitance.h"
#include "synthesized_filter.h"

namespace mx {
namespace {

// Bit for bit; two NaNs count as equal (a NaN prints as NaN).
bool same(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b) ||
         (std::isnan(a) && std::isnan(b));
}

::testing::AssertionResult same_row(const SweepRow& got, const SweepRow& want) {
  const PortFigures& g = got.figures;
  const PortFigures& w = want.figures;
  const float pairs[][2] = {{got.f_mhz, want.f_mhz},
                            {got.delay_ns, want.delay_ns},
                            {g.loss_db, w.loss_db},
                            {g.phase_deg, w.phase_deg},
                            {g.return_loss_db, w.return_loss_db},
                            {g.vswr, w.vswr},
                            {g.zin_re, w.zin_re},
                            {g.zin_im, w.zin_im}};
  for (const auto& p : pairs)
    if (!same(p[0], p[1]))
      return ::testing::AssertionFailure()
             << "at " << want.f_mhz << " MHz: " << p[0] << " vs " << p[1];
  for (std::size_t i = 0; i < 8; ++i)
    if (!same(got.two_port.v[i], want.two_port.v[i]))
      return ::testing::AssertionFailure() << "at " << want.f_mhz << " MHz: two-port part " << i;
  return ::testing::AssertionSuccess();
}

// What the evaluation leaves in the record.
::testing::AssertionResult same_state(const DesignRecord& got, const DesignRecord& want) {
  for (int i = 0; i <= 32; ++i)
    if (!same(got.entered.junction_f(i), want.entered.junction_f(i)))
      return ::testing::AssertionFailure() << "junction " << i;
  if (std::bit_cast<std::uint32_t>(got.coax.last_factor) !=
      std::bit_cast<std::uint32_t>(want.coax.last_factor))
    return ::testing::AssertionFailure()
           << "last factor " << got.coax.last_factor << " vs " << want.coax.last_factor;
  return ::testing::AssertionSuccess();
}

// One point through the single-frequency entry points: the response by the
// option, the delay (inside group_delay) by the origin.
SweepRow point_by_entry_points(DesignRecord& ds, const EndSteps& ends, float f) {
  SweepRow row;
  row.f_mhz = f;
  if (ds.control.option == Option::kElectrical) {
    lumped_cascade(ds, f, row.two_port);
  } else if (ds.control.option == Option::kDistributed) {
    coax_cascade(ds, ends, f, row.two_port);
  }
  row.figures = port_figures(row.two_port, ds.ports);
  row.delay_ns = group_delay(ds, ends, f, row.figures.phase_deg);
  return row;
}

// Sweeps ds point by point and with run_sweep on 1, 2, 3 and 8 threads, each
// from a copy of the record, and compares the rows (as returned and as handed
// on block by block) and the records left; the blocks reach the caller in
// order, each after it is finished.
void expect_sweeps_agree(const DesignRecord& start, const EndSteps& ends) {
  DesignRecord serial = start;
  std::vector<SweepRow> want;
  for (int k = 0; k <= start.sweep.steps; ++k)
    want.push_back(point_by_entry_points(serial, ends, sweep_frequency(start.sweep, k)));
  for (int threads : {1, 2, 3, 8}) {
    SCOPED_TRACE(threads);
    DesignRecord ds = start;
    // The blocks as they are handed on: the rows of each block when it is
    // finished, and the order and thread of their delivery.
    std::mutex m;
    std::vector<SweepRow> handed(want.size());
    std::vector<bool> finished;
    std::vector<std::size_t> order;
    bool on_caller = true;
    SweepOptions options{threads};
    options.block_finished = [&](std::size_t b, std::span<const SweepRow> rows) {
      const std::lock_guard<std::mutex> lock(m);
      std::copy(rows.begin(), rows.end(), handed.begin() + static_cast<long>(b * kSweepBlock));
      if (finished.size() <= b) finished.resize(b + 1);
      finished[b] = true;
    };
    const std::thread::id caller = std::this_thread::get_id();
    options.block_in_order = [&](std::size_t b) {
      const std::lock_guard<std::mutex> lock(m);
      on_caller = on_caller && std::this_thread::get_id() == caller;
      if (b < finished.size() && finished[b]) order.push_back(b);
    };
    const SweepRows got = run_sweep(ds, ends, options);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < got.size(); ++k) ASSERT_TRUE(same_row(got[k], want[k]));
    for (std::size_t k = 0; k < got.size(); ++k) ASSERT_TRUE(same_row(handed[k], want[k]));
    std::vector<std::size_t> blocks((got.size() + kSweepBlock - 1) / kSweepBlock);
    std::iota(blocks.begin(), blocks.end(), std::size_t{0});
    EXPECT_EQ(order, blocks);
    EXPECT_TRUE(on_caller);
    EXPECT_TRUE(same_state(ds, serial));
  }
}

// 31 sections of two kinds between 50-ohm air lines: lossy, a dielectric in
// the low-impedance sections, so repeated lines and junctions of both kinds.
DesignRecord coax31() {
  DesignRecord ds;
  ds.control.option = Option::kDistributed;
  ds.control.origin = Origin::kDistributedEntered;
  ds.design.sections = 31;
  EnteredLines& e = ds.entered;
  for (int k = 0; k <= 32; ++k) {
    const bool end = k == 0 || k == 32;
    const bool high = k % 2 == 0;
    e.outer(k) = 0.5f;
    e.inner(k) = end ? 0.2172f : (high ? 0.1f : 0.45f);
    e.er(k) = end || high ? 1.0f : 2.1f;
    e.length(k) = end ? 0.0f : (high ? 1.2f : 0.2f);
    e.zo(k) = line_impedance(e.outer(k), e.inner(k), e.er(k));
  }
  ds.losses.resistivity = 1.724e-6f / 2.54f;
  ds.losses.roughness = 32.0e-6f;
  ds.losses.loss_tangent = 0.0002f;
  ds.ports.rs = e.zo(0);
  ds.ports.rl = e.zo(32);
  ds.coax.last_factor = -7.0f;
  e.junction_f.fill(-7.0f);
  return ds;
}

// A synthesized stepped filter: four different line kinds, lengths and step
// capacitances partly repeated (as a symmetric design has them).
DesignRecord synthesized(Configuration icfg, int n) {
  DesignRecord ds = test::synthesized_filter(icfg, n);
  ds.control.option = Option::kDistributed;
  for (int i = 1; i <= 31; ++i) {
    const float m = static_cast<float>(std::min(i, n + 1 - i));  // symmetric
    ds.coax.length(i) = 0.2f + 0.03f * m;
    ds.coax.step_f(i, 1) = (2.0f + m) * 1.0e-13f;
    ds.coax.step_f(i, 2) = (2.5f + m) * 1.0e-13f;
  }
  ds.ports = Terminations{50.0f, 0.0f, 50.0f, 0.0f};
  return ds;
}

DesignRecord lumped30(Configuration icfg) {
  DesignRecord ds;
  ds.control.option = Option::kElectrical;
  ds.control.origin = Origin::kLumpedEntered;
  ds.control.configuration = icfg;
  ds.design.sections = 30;
  for (int k = 1; k <= 31; ++k) {
    ds.ladder.shunt_pf(k) = 3.0f + 0.1f * static_cast<float>(k % 7);
    ds.ladder.series_nh(k) = 11.0f + 0.2f * static_cast<float>(k % 5);
  }
  ds.ports = Terminations{50.0f, 5.0f, 45.0f, -3.0f};
  return ds;
}

void sweep(DesignRecord& ds, float start, float step, int steps) {
  ds.sweep = Sweep{start, start + step * static_cast<float>(steps), step, steps};
}

TEST(Sweep, EnteredCoaxMatchesPointByPointOnAnyThreadCount) {
  DesignRecord ds = coax31();
  sweep(ds, 1.0f, 20.0f, 2000);  // up to 40 GHz: past the steps' higher-mode cutoff (NaN)
  expect_sweeps_agree(ds, EndSteps{});
}

TEST(Sweep, SynthesizedCoaxMatchesPointByPointOnAnyThreadCount) {
  const EndSteps ends{3.3e-13f, 4.4e-13f};
  for (Configuration icfg : {Configuration::kStandard, Configuration::kDual}) {
    for (int n : {6, 7}) {
      DesignRecord ds = synthesized(icfg, n);
      sweep(ds, 10.0f, 7.0f, 900);
      expect_sweeps_agree(ds, ends);
    }
  }
}

TEST(Sweep, LumpedMatchesPointByPointOnAnyThreadCount) {
  for (Configuration icfg : {Configuration::kStandard, Configuration::kDual}) {
    DesignRecord ds = lumped30(icfg);
    sweep(ds, 1.0f, 3.0f, 1500);
    expect_sweeps_agree(ds, EndSteps{});
  }
}

// The response cascade follows the option, the delay cascade the origin; when
// they differ, the entered circuit's evaluation that comes last is the one
// the record keeps.
TEST(Sweep, ResponseAndDelayFromDifferentCircuits) {
  DesignRecord ds = coax31();
  const DesignRecord ladder = lumped30(Configuration::kStandard);
  ds.ladder = ladder.ladder;
  ds.design.sections = 30;  // both circuits have 30 sections here
  ds.entered.outer(31) = ds.entered.outer(32);
  ds.entered.inner(31) = ds.entered.inner(32);
  ds.entered.er(31) = ds.entered.er(32);
  sweep(ds, 5.0f, 11.0f, 700);
  ds.control.option = Option::kElectrical;  // lumped response, coaxial delay
  expect_sweeps_agree(ds, EndSteps{});
  ds.control.option = Option::kDistributed;  // coaxial response, lumped delay
  ds.control.origin = Origin::kLumpedEntered;
  expect_sweeps_agree(ds, EndSteps{});
  ds.control.option = Option::kNone;  // no response cascade at all
  expect_sweeps_agree(ds, EndSteps{});
}

// The last point's phase wraps across the upper step, so the last evaluation
// is at f / 1.0001: the junctions the record keeps are those of that
// frequency.
TEST(Sweep, RecordKeepsTheLowerStepWhenTheLastPhaseWraps) {
  DesignRecord ds = coax31();
  int wrap = 0;
  for (int f = 1000; f <= 20000 && wrap == 0; ++f) {
    DesignRecord probe = ds;
    TwoPort rs;
    const auto fw = static_cast<float>(f);
    coax_cascade(probe, EndSteps{}, fw, rs);
    const float p0 = phase_radians(transmission_phase(rs, ds.ports));
    coax_cascade(probe, EndSteps{}, fw * kDelayStep, rs);
    if (phase_wrapped(p0, phase_radians(transmission_phase(rs, ds.ports)))) wrap = f;
  }
  ASSERT_NE(wrap, 0) << "no wrapping point found";
  sweep(ds, static_cast<float>(wrap - 999), 1.0f, 999);
  ASSERT_EQ(sweep_frequency(ds.sweep, 999), static_cast<float>(wrap));
  expect_sweeps_agree(ds, EndSteps{});

  run_sweep(ds, EndSteps{}, SweepOptions{2});
  const float lower = static_cast<float>(wrap) / kDelayStep;
  const EnteredLines& e = ds.entered;
  float fk = 0.0f;
  for (int i = 0; i <= 31; ++i) {
    const float c = step_capacitance(e.inner(i), e.inner(i + 1), e.outer(i), e.outer(i + 1),
                                     e.er(i), e.er(i + 1), lower, fk);
    EXPECT_EQ(e.junction_f(i), c) << i;
  }
  EXPECT_EQ(ds.coax.last_factor, fk);
}

TEST(Sweep, UniformLineLeavesTheFactorAndAnEmptySweepTheRecord) {
  DesignRecord ds = coax31();
  for (int k = 0; k <= 32; ++k) {
    ds.entered.inner(k) = 0.2172f;
    ds.entered.er(k) = 1.0f;
    ds.entered.zo(k) = line_impedance(0.5f, 0.2172f, 1.0f);
  }
  sweep(ds, 100.0f, 5.0f, 800);
  expect_sweeps_agree(ds, EndSteps{});
  run_sweep(ds, EndSteps{}, SweepOptions{2});
  EXPECT_EQ(ds.coax.last_factor, -7.0f);  // no junction steps: never written
  EXPECT_EQ(ds.entered.junction_f(0), 0.0f);
  EXPECT_EQ(ds.entered.junction_f(32), -7.0f);  // beyond the circuit

  DesignRecord empty = coax31();
  empty.sweep = Sweep{200.0f, 100.0f, 10.0f, -1};  // stop below start
  EXPECT_TRUE(run_sweep(empty, EndSteps{}, SweepOptions{2}).empty());
  EXPECT_EQ(empty.entered.junction_f(0), -7.0f);
  EXPECT_EQ(empty.coax.last_factor, -7.0f);
}

TEST(SweepThreads, PositiveWholeNumbersElseTheCores) {
  EXPECT_EQ(sweep_threads("3", 8), 3);
  EXPECT_EQ(sweep_threads("1", 8), 1);
  EXPECT_EQ(sweep_threads("16", 2), 16);
  EXPECT_EQ(sweep_threads(nullptr, 8), 8);
  for (const char* bad : {"", "0", "-2", "+2", " 2", "2 ", "2x", "x", "99999999999999999999"})
    EXPECT_EQ(sweep_threads(bad, 4), 4) << '"' << bad << '"';
  EXPECT_EQ(sweep_threads(nullptr, 0), 1);  // the core count unknown
}

}  // namespace
}  // namespace mx
