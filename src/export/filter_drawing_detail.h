// Inside the machining drawing: the sheet as lines, texts, arrowheads and fills before it is
// written as SVG or DXF, for the tests to measure the geometry directly.
#pragma once

#include <cstddef>
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

// One conductor run as drawn: the source line, a section or the load line.
struct Piece {
  double len = 0.0, d = 0.0, b = 0.0, er = 1.0;
  double zo = 0.0;
  bool stub = false;
  double xa = 0.0, xb = 0.0;  // model x of its ends
};

struct Input {
  std::vector<Piece> pieces;  // source, sections 1..N, load
  std::vector<double> x;      // step positions x_0 = 0 .. x_N
  std::size_t n = 0;
  bool bad = false;
};

struct Scale {
  double s;
  std::string text;
};

// A text in a row of dimension texts, tied by a leader to `anchor` (paper x).
struct RowItem {
  double anchor = 0.0;
  std::string text;
  double feature = 0.0;  // model y the leader points at (callouts)
  bool is_length = false;
  double pos = 0.0;    // paper x the text is centred on
  int tier = 0;        // horizontal rows: 0 next to the view, 1 beyond it
  bool datum = false;  // the bore's callout, which carries the datum feature symbol C
};

// How a row of dimension texts is set. Texts read from the bottom of the sheet wherever they fit:
// side by side in one tier, or in two tiers taking turns. In two tiers a text of the near tier
// lies between the leaders of its neighbours, which run past it to the far tier, so neighbours
// must stand half a text width (and a clearance) apart. A row too long for either is turned to
// read from the right, as a last resort.
struct RowPlan {
  bool horizontal = false;
  int tiers = 1;
  double font = 0.0;   // text height, mm
  double gap = 0.0;    // least distance between neighbouring leaders, mm
  double inset = 0.0;  // half the widest text: how far a leader must stay from the row's ends
  double depth = 0.0;  // paper height the row takes across the leaders, mm
};

// The sheet laid out before anything is drawn: the texts of the rows and how they are set, the
// scale, and where the view, its rows and the band of tables below it lie on the paper.
struct Layout {
  Input in;                       // the stubs' model x set for the chosen scale
  std::vector<RowItem> callouts;  // a D for each line, a B for each run of one bore
  std::vector<RowItem> below;     // ordinates and section lengths, in x order
  std::vector<std::pair<std::size_t, std::size_t>> bore_runs;  // first and last piece of each
  RowPlan call_plan, below_plan;
  std::vector<bool> narrow;  // sections carrying their number in their length text
  std::vector<std::pair<std::string, bool>> note_lines;  // text, starts a note
  std::size_t rows = 0;                                  // of the cut list
  Scale scale;
  Sheet paper;             // scale and origin, nothing drawn yet
  double y_call = 0.0;     // paper y: bottom of the callout texts
  double y_axis = 0.0;     // the axis
  double y_text = 0.0;     // top of the texts below the view
  double y_caption = 0.0;  // baseline of the view's caption
  double band_top = 0.0;   // top of the cut list and the notes
};

struct Box {
  double x0, y0, x1, y1;  // paper mm, y down
};

// The parts of the sheet, each drawn on the layout's paper and returned on its own.
Layout plan_sheet(const FilterDrawingData& d);
Sheet half_section(const Layout& L);
Sheet dimension_rows(const FilterDrawingData& d, const Layout& L);
Sheet cut_list(const FilterDrawingData& d, const Layout& L);
Sheet notes_block(const Layout& L);
Sheet title_block(const FilterDrawingData& d, const Layout& L);
// Appends everything drawn on `part` to `to` (the same paper).
void add(Sheet& to, const Sheet& part);

// The sheet of the design, as the writers draw it: all the parts.
Sheet build_sheet(const FilterDrawingData& d);

// Where a text lies on the paper, estimated from the layout's text widths.
Box text_box(const Sheet& sh, const Label& l);

}  // namespace mx::detail
