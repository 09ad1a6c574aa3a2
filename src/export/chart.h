// The chart machinery of the SVG plots that show dB against MHz in panels
// (the tolerance envelope, the fit overlay): a panel's axes and its mapping
// to pixels, the framed panel with its grid and tick labels, lines, texts
// and curves with gaps where a value is not finite.
#pragma once

#include <string>
#include <vector>

#include "export/response_plot.h"

namespace mx::chart {

// The sheet of a plot, px: 960 x 720 (the response plot's too), the panels of
// the plots drawn here between the columns kPanelLeft and kPanelRight.
inline constexpr double kSheetWidth = 960, kSheetHeight = 720;
inline constexpr double kPanelLeft = 80, kPanelRight = 930;

// The start of the sheet: the SVG document opened, its background, the title
// and subtitle (free text, cleaned for XML) centred at the top and the key
// (SVG text) on the right above the panels.
void open_sheet(std::string& out, const std::string& title, const std::string& subtitle,
                const std::string& key);
// The frequency axis's label under the panels, and the document closed.
void close_sheet(std::string& out);

// A panel: value ranges (1-2-5 scales) mapped onto pixel columns left..right
// and rows bottom..top.
struct Axes {
  AxisScale x, y;
  double left = 0, right = 0, top = 0, bottom = 0;  // px
  double map_x(double v) const;
  // Beyond the axis a value is drawn where it is (the panel's clip hides it),
  // held within kOffPanelSpans panel heights so the coordinates stay
  // ordinary numbers.
  double map_y(double v) const;
  // A value on the axis, held within it (a mask's lines; the response plot's
  // curves, whose clip leaves the frame a margin).
  double on_axis_x(double v) const;
  double on_axis_y(double v) const;
};
inline constexpr double kOffPanelSpans = 100.0;

// A coordinate in pixels, two decimals.
std::string px(double v);

void line(std::string& out, const char* cls, double x1, double y1, double x2, double y2,
          const char* colour, const char* extra = "");
// A text at (x, y); extra holds further attributes, each with its leading blank.
void text(std::string& out, double x, double y, const std::string& body, int size,
          const char* anchor, const char* extra = "");

// The label of tick value v on a scale of that step: as many decimals as the step needs.
std::string tick(double v, double step);

// Opens the panel's group (id, class "panel", data-x0/x1, data-px0/px1,
// data-y0/y1, data-py0/py1: the mapping, so a picture reads back) with its
// frame, grid and tick labels. The caller draws into it and closes it with
// "</g>\n".
void open_panel(std::string& out, const Axes& a, const char* id);

// Opens a group clipped to the panel's frame (id "<id>-area"): a curve
// beyond the axis leaves through its edge. Closed with "</g>\n".
void open_clip(std::string& out, const Axes& a, const std::string& id);

// The points (x[k], y[k]) as polylines of class cls, broken where either is
// not finite or x is above x_max.
void curve(std::string& out, const Axes& a, const std::vector<double>& x,
           const std::vector<double>& y, double x_max, const char* cls, const char* colour,
           const char* extra);

}  // namespace mx::chart
