#include "app/standard_values_run.h"

namespace mx {
namespace {

constexpr float kHalfPowerDb = 3.0103f;     // the edge of a response without ripple
constexpr float kDefaultStopFactor = 2.0f;  // the stopband from 2 x FC1 when nothing says where

}  // namespace

std::optional<StandardValuesReport> snap_to_standard_values(DesignRecord& ds) {
  const std::optional<PreferredSeries> series = preferred_series(ds.design.snap_series);
  if (!series || ds.control.option != Option::kElectrical) return std::nullopt;
  const Response resp = ds.control.response;
  const DesignData& d = ds.design;
  const bool rippled = resp == Response::kChebyshev || resp == Response::kElliptic;
  const float edge_db = rippled ? d.ripple_db : kHalfPowerDb;
  float stop_mhz = kDefaultStopFactor * d.cutoff_mhz;
  if (resp == Response::kElliptic)
    stop_mhz = d.stopband_edge_mhz;
  else if (ds.control.count_from_skirt)
    stop_mhz = d.skirt_mhz;
  StandardValuesReport out;
  out.series = std::string(series->name);
  out.stop_mhz = stop_mhz;
  out.exact = ladder_figures(ds, edge_db, stop_mhz);
  out.values = snap_ladder(ds.ladder, d.sections, ds.control.configuration, *series);
  out.chosen = ladder_figures(ds, edge_db, stop_mhz);
  return out;
}

}  // namespace mx
