// Inside the machining drawing: the sheet as lines, texts, arrowheads and fills before it is
// written as SVG or DXF, for the tests to measure the geometry directly.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "export/filter_drawing.h"

namespace mx::detail {

// The paper: landscape A4 and its frame, mm with y down (the SVG frame of reference).
constexpr double kMmPerInch = 25.4;
constexpr double kSheetW = 297.0;
constexpr double kFrameL = 10.0;
constexpr double kFrameT = 10.0;
constexpr double kFrameR = 287.0;
constexpr double kFrameB = 200.0;
constexpr double kArrowLen = 2.2;
constexpr double kArrowHalf = 0.55;
// A text's box reaches kCapRise text heights above its baseline (digits, brackets) and kDescent
// below it.
constexpr double kCapRise = 0.8;
constexpr double kDescent = 0.25;

enum class Layer { Outline, Center, Dimensions, Text };
enum class Pen { Thick, Thin, Center, Grid, Frame };
enum class Align { Left, Center, Right };

struct Seg {
  double x1, y1, x2, y2;
  Layer layer;
  Pen pen;
};
struct Label {
  double x, y;  // insertion point on the baseline (model)
  std::string text;
  double height;  // model units
  bool vertical;  // rotated 90 degrees, reading upward
  Align align;
  bool bold;
  bool grey;
};
struct Tri {
  double x[3], y[3];
};
struct Region {
  std::vector<double> xs, ys;
  bool dielectric;
};

// Everything on the sheet in model coordinates (inches, y up). Paper positions (mm, y down) map to
// model ones through the drawing scale: X = ox + x k, Y = oy - y k.
struct Sheet {
  double k = kMmPerInch;
  double ox = 0.0, oy = 0.0;
  std::string scale_text = "1:1";
  std::vector<Seg> segs;
  std::vector<Label> labels;
  std::vector<Tri> tris;
  std::vector<Region> regions;
  std::vector<std::pair<double, double>> profile;  // closed outline of the centre conductor (model)

  double mx(double X) const { return (X - ox) / k; }
  double my(double Y) const { return (oy - Y) / k; }
  double px(double x) const { return ox + x * k; }
  double py(double y) const { return oy - y * k; }

  void model_line(double x1, double y1, double x2, double y2, Layer l, Pen p) {
    segs.push_back(Seg{x1, y1, x2, y2, l, p});
  }
  void line(double X1, double Y1, double X2, double Y2, Layer l, Pen p) {
    segs.push_back(Seg{mx(X1), my(Y1), mx(X2), my(Y2), l, p});
  }
  void path(const std::vector<std::pair<double, double>>& pts, Layer l, Pen p) {
    for (std::size_t i = 1; i < pts.size(); ++i) {
      const auto& a = pts[i - 1];
      const auto& b = pts[i];
      if (a == b) continue;
      line(a.first, a.second, b.first, b.second, l, p);
    }
  }
  void text(double X, double Y, std::string s, double h, Align a, bool vertical = false,
            bool bold = false, bool grey = false) {
    if (s.empty()) return;
    labels.push_back(Label{mx(X), my(Y), std::move(s), h / k, vertical, a, bold, grey});
  }
  // Arrowhead with its tip at (X, Y) travelling along the paper direction (dX, dY).
  void arrow(double X, double Y, double dX, double dY) {
    const double bx = X - dX * kArrowLen, by = Y - dY * kArrowLen;
    const double nx = -dY * kArrowHalf, ny = dX * kArrowHalf;
    tris.push_back(Tri{{mx(X), mx(bx + nx), mx(bx - nx)}, {my(Y), my(by + ny), my(by - ny)}});
  }
};

struct Box {
  double x0, y0, x1, y1;  // paper mm, y down
};

// The sheet of the design, as the writers draw it.
Sheet build_sheet(const FilterDrawingData& d);

// Where a text lies on the paper, estimated from the layout's text widths.
Box text_box(const Sheet& sh, const Label& l);

}  // namespace mx::detail
