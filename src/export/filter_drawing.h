// Machining drawing of a stepped-impedance coaxial low-pass filter, as an SVG sheet and as a DXF
// file.
//
// The view is an axial half-section to scale: the centre conductor's steps (radius D/2) inside the
// outer conductor's bore (radius B/2), with the source and load lines as short broken-off stubs at
// the ends and the axis as a centre line. x = 0 is datum A, the source-end face of section 1; x
// grows toward the load. Every step is dimensioned from the datum (ordinate dimensions), the
// section lengths are given as reference dimensions in parentheses, and each diameter is called
// out; a section too short to carry its own arrows and number is dimensioned with arrows outside
// its extension lines and its number in its length text ("(0.0009 [0.024]) SECT 1"). Dimension
// texts read from the bottom of the sheet, in one tier or two taking turns; only a row with no
// room for that (some 20 sections and more) is turned to read from the right. The bore's callout
// carries datum C, the bore axis, and a feature control frame beside the view's caption holds
// each D concentric to it. Below the
// view: a cut list, notes, the block of general tolerances with the surface finish, and the title
// block with drawing number and date. Dimensions are in inches with
// millimetres in brackets, e.g. "0.1747 [4.437]".
//
// DXF: R12 ASCII, model space in inches at 1:1 (the step x coordinates are the cumulative section
// lengths, summed in double from the float lengths; y is D/2 or B/2). Layers OUTLINE (conductor
// profiles and stub break lines), CENTER (axis), DIMENSIONS (leaders, extension and dimension
// lines, arrowheads drawn as closed triangles of lines), TEXT (all text, the cut list grid and
// sheet frame, placed as they are on the SVG sheet divided by the drawing scale), PROFILE (the
// centre conductor's half profile from datum A to the load-end face and back along the axis, one
// closed POLYLINE for a lathe CAM program). LINE, TEXT and POLYLINE (with VERTEX, SEQEND).
//
// SVG: the same picture on a landscape A4 sheet (297 x 210 mm, viewBox in mm) with border and title
// block; the conductors are hatched, dielectric-filled sections (Er other than 1) shaded.
//
// Lengths or diameters that are negative or not finite are drawn as 0 and a note says so; a
// non-finite Er is taken as 1. Any number of sections, including none, gives a complete sheet.
#pragma once

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace mx {

struct DrawingLine {
  float outer = 0, inner = 0, er = 1, zo = 0, length = 0;  // inches, ohm
};

struct FilterDrawingData {
  std::string program_version;
  DrawingLine source, load;             // end lines (their length is not used: drawn as stubs)
  std::vector<DrawingLine> sections;    // 1..N from the source end, each with its length
  float cutoff_mhz = 0, ripple_db = 0;  // ripple 0 for Butterworth
  std::string response;                 // "Chebyshev" / "Butterworth"
  std::string configuration;            // "standard" / "dual"
  // General tolerances, +/- inch, of lengths and step positions and of diameters.
  float length_tol_in = 0, diameter_tol_in = 0;
  // Concentricity of every centre-conductor diameter to datum C, the bore axis: the diameter of
  // the tolerance zone, inch.
  float concentricity_in = 0;
  // Tolerances stated for single sections, +/- inch, one entry per section from the source end
  // (fewer entries, or NaN: the general tolerance holds); the cut list gives them beside their
  // dimension.
  struct StatedTolerances {
    float length = NAN, inner = NAN, outer = NAN;
  };
  std::vector<StatedTolerances> stated;
  float roughness_uin = 0;        // RMS surface roughness the losses assume, micro-inch (0: smooth)
  float resistivity_uohm_cm = 0;  // conductor resistivity the losses assume (0: not given)
  float loss_tangent = 0;         // of the dielectric
  std::string date;               // of the run, "2026-07-09"
  std::string lengths_note;       // how the lengths were found, when not by the synthesis alone
};

// "MXF-20260709-3FA2": the date and four hex digits of a hash of the design's figures and
// dimensions as drawn, so the same design on the same day has the same number.
std::string drawing_number(const FilterDrawingData& d);

void write_drawing_svg(std::ostream& os, const FilterDrawingData& d);
void write_drawing_dxf(std::ostream& os, const FilterDrawingData& d);

}  // namespace mx
