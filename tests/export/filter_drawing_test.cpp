#include "export/filter_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "export/filter_drawing_detail.h"
#include "picture_checks.h"

namespace mx {
namespace {

using picture_checks::attr;
using picture_checks::elements;
using picture_checks::xml_structure_error;

// The shipped 7-section 1000 MHz coaxial filter.
FilterDrawingData coax7() {
  FilterDrawingData d;
  d.program_version = "Mandrelix 1.1";
  d.source = DrawingLine{0.5f, 0.2172f, 1.0f, 50.0f, 0.0f};
  d.load = d.source;
  const float lengths[] = {0.175f, 1.533f, 0.325f, 1.754f, 0.325f, 1.533f, 0.175f};
  for (int i = 0; i < 7; ++i) {
    const bool low = i % 2 == 0;
    d.sections.push_back(
        DrawingLine{0.5f, low ? 0.45f : 0.1f, 1.0f, low ? 6.32f : 96.5f, lengths[i]});
  }
  d.cutoff_mhz = 1000.0f;
  d.ripple_db = 0.1f;
  d.response = "Chebyshev";
  d.configuration = "standard";
  return d;
}

// n sections of uneven lengths; dual starts with a high-impedance section; every fifth section of
// a filled design is PTFE.
FilterDrawingData stepped(int n, bool dual, bool filled) {
  FilterDrawingData d = coax7();
  d.sections.clear();
  d.configuration = dual ? "dual" : "standard";
  for (int i = 0; i < n; ++i) {
    const bool low = (i % 2 == 0) != dual;
    DrawingLine l{0.5f, low ? 0.43f : 0.09f, 1.0f, low ? 7.1f : 102.3f, 0.0f};
    l.length = 0.07f + 0.013f * static_cast<float>((i * 7) % 11) + (low ? 0.0f : 0.9f);
    if (filled && i % 5 == 2) {
      l.er = 2.08f;
      l.zo = low ? 4.9f : 71.0f;
    }
    d.sections.push_back(l);
  }
  d.response = n % 2 == 0 ? "Butterworth" : "Chebyshev";
  d.ripple_db = n % 2 == 0 ? 0.0f : 0.01f;
  return d;
}

std::string svg_of(const FilterDrawingData& d) {
  std::ostringstream os;
  write_drawing_svg(os, d);
  return os.str();
}

std::string dxf_of(const FilterDrawingData& d) {
  std::ostringstream os;
  write_drawing_dxf(os, d);
  return os.str();
}

struct Group {
  int code;
  std::string value;
};

// The DXF as group code / value pairs; fails the test on a malformed pair.
std::vector<Group> groups(const std::string& dxf) {
  std::vector<Group> out;
  std::istringstream in(dxf);
  std::string code, value;
  while (std::getline(in, code)) {
    if (!std::getline(in, value)) {
      ADD_FAILURE() << "group code " << code << " without a value";
      break;
    }
    char* end = nullptr;
    const long c = std::strtol(code.c_str(), &end, 10);
    if (end == code.c_str() || *end != '\0') ADD_FAILURE() << "not a group code: '" << code << "'";
    out.push_back(Group{static_cast<int>(c), value});
  }
  return out;
}

struct Entity {
  std::string type;
  std::multimap<int, std::string> g;
  double num(int code) const { return std::stod(g.find(code)->second); }
  std::string str(int code) const { return g.count(code) ? g.find(code)->second : ""; }
};

// Entities of the ENTITIES section.
std::vector<Entity> entities(const std::vector<Group>& gs) {
  std::vector<Entity> out;
  bool in_entities = false;
  for (std::size_t i = 0; i < gs.size(); ++i) {
    if (gs[i].code == 2 && i > 0 && gs[i - 1].value == "SECTION")
      in_entities = gs[i].value == "ENTITIES";
    if (!in_entities) continue;
    if (gs[i].code == 0) {
      if (gs[i].value == "ENDSEC") break;
      out.push_back(Entity{gs[i].value, {}});
    } else if (!out.empty()) {
      out.back().g.emplace(gs[i].code, gs[i].value);
    }
  }
  return out;
}

std::vector<double> cumulative(const FilterDrawingData& d) {
  std::vector<double> x{0.0};
  for (const DrawingLine& l : d.sections) x.push_back(x.back() + static_cast<double>(l.length));
  return x;
}

TEST(FilterDrawingDxf, R12StructureWithTheFourLayers) {
  const std::vector<Group> gs = groups(dxf_of(coax7()));
  ASSERT_GT(gs.size(), 100u);
  std::vector<std::string> sections;
  for (std::size_t i = 1; i < gs.size(); ++i) {
    if (gs[i].code == 2 && gs[i - 1].code == 0 && gs[i - 1].value == "SECTION")
      sections.push_back(gs[i].value);
  }
  EXPECT_EQ(sections, (std::vector<std::string>{"HEADER", "TABLES", "ENTITIES"}));
  EXPECT_EQ(gs.back().code, 0);
  EXPECT_EQ(gs.back().value, "EOF");
  bool version = false;
  std::set<std::string> layers;
  for (std::size_t i = 0; i + 1 < gs.size(); ++i) {
    if (gs[i].code == 9 && gs[i].value == "$ACADVER")
      version = gs[i + 1].code == 1 && gs[i + 1].value == "AC1009";
    if (gs[i].code == 0 && gs[i].value == "LAYER" && gs[i + 1].code == 2)
      layers.insert(gs[i + 1].value);
    EXPECT_NE(gs[i].value, "$INSUNITS");
  }
  EXPECT_TRUE(version);
  for (const char* l : {"OUTLINE", "DIMENSIONS", "TEXT", "CENTER", "PROFILE"})
    EXPECT_TRUE(layers.count(l)) << l;
  std::map<std::string, int> per_layer;
  int polylines = 0;
  for (const Entity& e : entities(gs)) {
    EXPECT_TRUE(e.type == "LINE" || e.type == "TEXT" || e.type == "POLYLINE" ||
                e.type == "VERTEX" || e.type == "SEQEND")
        << e.type;
    if (e.type == "POLYLINE") {
      ++polylines;
      EXPECT_EQ(e.str(8), "PROFILE");
      EXPECT_EQ(std::stoi(e.str(70)) & 1, 1) << "closed";
      EXPECT_EQ(e.str(66), "1") << "vertices follow";
    }
    EXPECT_TRUE(layers.count(e.str(8))) << "undefined layer " << e.str(8);
    ++per_layer[e.str(8)];
    if (e.type == "TEXT") {
      EXPECT_FALSE(e.str(1).empty());
      EXPECT_GT(e.num(40), 0.0);
    }
  }
  for (const char* l : {"OUTLINE", "DIMENSIONS", "TEXT", "CENTER"}) EXPECT_GT(per_layer[l], 0) << l;
  EXPECT_EQ(polylines, 1);
}

// The outline holds, for each section, a line at y = D/2 and one at y = B/2 running exactly from
// one cumulative length to the next.
void expect_exact_outline(const FilterDrawingData& d) {
  const std::vector<double> x = cumulative(d);
  std::set<std::tuple<double, double, double>> horizontal;
  for (const Entity& e : entities(groups(dxf_of(d)))) {
    if (e.type != "LINE" || e.str(8) != "OUTLINE" || e.num(20) != e.num(21)) continue;
    horizontal.emplace(std::min(e.num(10), e.num(11)), std::max(e.num(10), e.num(11)), e.num(20));
  }
  for (std::size_t i = 1; i < x.size(); ++i) {
    const DrawingLine& s = d.sections[i - 1];
    EXPECT_TRUE(horizontal.count({x[i - 1], x[i], static_cast<double>(s.inner) / 2.0}))
        << "D of section " << i;
    EXPECT_TRUE(horizontal.count({x[i - 1], x[i], static_cast<double>(s.outer) / 2.0}))
        << "B of section " << i;
  }
}

TEST(FilterDrawingDxf, StepsSitAtTheCumulativeLengthsExactly) {
  expect_exact_outline(coax7());
  expect_exact_outline(stepped(30, true, true));
  FilterDrawingData odd = coax7();
  for (auto& s : odd.sections)
    s.length = s.length / 3.0f + 1e-7f;  // lengths with no short decimal form
  expect_exact_outline(odd);
}

TEST(FilterDrawingDxf, DiameterStepsAndDielectricBoundariesAreDrawn) {
  const FilterDrawingData d = stepped(6, false, true);
  const std::vector<double> x = cumulative(d);
  std::vector<std::pair<double, double>> vertical;  // x, length
  for (const Entity& e : entities(groups(dxf_of(d)))) {
    if (e.type == "LINE" && e.str(8) == "OUTLINE" && e.num(10) == e.num(11)) {
      vertical.emplace_back(e.num(10), std::fabs(e.num(21) - e.num(20)));
    }
  }
  const auto has = [&](double at, double len) {
    for (const auto& v : vertical) {
      if (v.first == at && std::fabs(v.second - len) < 1e-6) return true;
    }
    return false;
  };
  // Datum face: source line inner 0.2172 -> section 1 inner 0.43.
  EXPECT_TRUE(has(0.0, (0.43 - 0.2172) / 2.0));
  for (std::size_t i = 1; i < 6; ++i) EXPECT_TRUE(has(x[i], (0.43 - 0.09) / 2.0)) << "step " << i;
  // Section 3 is filled: its faces bound the dielectric between the larger D and the bore.
  EXPECT_TRUE(has(x[2], (0.5 - 0.43) / 2.0));
  EXPECT_TRUE(has(x[3], (0.5 - 0.43) / 2.0));
}

// The text of all <text> elements joined by spaces (wrapped note lines read as one).
std::string sheet_text(const std::string& svg) {
  std::string all;
  for (std::size_t i = svg.find("<text "); i != std::string::npos; i = svg.find("<text ", i + 1)) {
    const std::size_t from = svg.find('>', i) + 1;
    all += svg.substr(from, svg.find("</text>", from) - from) + " ";
  }
  return all;
}

TEST(FilterDrawingSvg, A4SheetWithDimensionsCutListAndNotes) {
  const std::string svg = svg_of(coax7());
  const std::string words = sheet_text(svg);
  EXPECT_EQ(xml_structure_error(svg), "");
  const std::string root = elements(svg, "svg").at(0);
  EXPECT_EQ(attr(root, "width"), "297mm");
  EXPECT_EQ(attr(root, "height"), "210mm");
  EXPECT_EQ(attr(root, "viewBox"), "0 0 297 210");
  for (const char* want : {"0 DATUM A",          // ordinate origin
                           "0.1750 [4.445]",     // x_1
                           "1.7080 [43.383]",    // x_2 = 0.175 + 1.533
                           "5.8200 [147.828]",   // overall
                           "(1.5330 [38.938])",  // section 2 length, reference
                           "D \u23000.4500 [11.430]",
                           "D \u23000.1000 [2.540]",
                           "D \u23000.2172 [5.517]",
                           "B \u23000.5000 [12.700]",
                           "SOURCE LINE",
                           "LOAD LINE",
                           "CUT LIST",
                           "Zo \u03a9",
                           "96.50",
                           "stay sharp, edge radius 0.0020 [0.051] max",
                           "Break all other edges",
                           "Mandrelix 1.1",
                           "FC1 = 1000 MHz",
                           "ripple Am = 0.1 dB",
                           "standard configuration",
                           "inches",
                           "SCALE"}) {
    EXPECT_NE(words.find(want), std::string::npos) << want;
  }
  EXPECT_EQ(svg.find("class=\"dielectric\""), std::string::npos) << "air everywhere";
}

// The worked example with its end sections cut to 0.0009 inch and the shop figures of a run.
FilterDrawingData with_short_ends() {
  FilterDrawingData d = coax7();
  d.sections.front().length = d.sections.back().length = 0.0009f;
  d.length_tol_in = 0.002f;
  d.diameter_tol_in = 0.0003f;
  d.roughness_uin = 32.0f;
  d.resistivity_uohm_cm = 1.72f;
  d.date = "2026-07-09";
  return d;
}

TEST(FilterDrawingSvg, TolerancesFinishMaterialNumberAndDate) {
  const FilterDrawingData d = with_short_ends();
  const std::string words = sheet_text(svg_of(d));
  const std::string number = drawing_number(d);
  for (const std::string& want :
       {std::string("GENERAL TOLERANCES"), std::string("\u00b10.0020 [\u00b10.051]"),
        std::string("\u00b10.0003 [\u00b10.008]"),
        std::string("32 \u00b5in [0.81 \u00b5m] RMS or finer"), std::string("copper"),
        std::string("1.72 \u00b5\u03a9\u00b7cm or lower"), std::string("2026-07-09"), number,
        std::string("(0.0009 [0.023]) SECT 1"), std::string("(0.0009 [0.023]) SECT 7")}) {
    EXPECT_NE(words.find(want), std::string::npos) << want;
  }
  EXPECT_EQ(words.find("SECT 2"), std::string::npos) << "long sections keep their number below";
  // The number is the date and a hash of the design: the same design gives the same number, a
  // changed length or another day another one.
  EXPECT_EQ(number.rfind("MXF-20260709-", 0), 0u) << number;
  EXPECT_EQ(number, drawing_number(with_short_ends()));
  FilterDrawingData longer = d;
  longer.sections[3].length += 0.001f;
  FilterDrawingData later = d;
  later.date = "2026-07-10";
  EXPECT_NE(drawing_number(longer), number);
  EXPECT_EQ(drawing_number(later).rfind("MXF-20260710-", 0), 0u);
  // No roughness, no resistivity: the sheet says so rather than printing zeros.
  FilterDrawingData plain = coax7();
  const std::string plain_words = sheet_text(svg_of(plain));
  EXPECT_NE(plain_words.find("as fine as practical"), std::string::npos);
  EXPECT_NE(plain_words.find("conductor metal as agreed"), std::string::npos);
}

struct Box {
  double x0, y0, x1, y1;
};

// Rotated texts (one row of dimension figures) with their horizontal extent on the sheet.
std::vector<std::pair<double, double>> rotated_texts(const std::string& svg, double& min_size) {
  std::vector<std::pair<double, double>> out;  // x, font size
  min_size = 1e9;
  for (const std::string& t : elements(svg, "text")) {
    const double size = std::stod(attr(t, "font-size"));
    min_size = std::min(min_size, size);
    if (attr(t, "transform").empty()) continue;
    out.emplace_back(std::stod(attr(t, "x")), size);
  }
  return out;
}

TEST(FilterDrawingSvg, StaysOnTheSheetAndLegibleFromTwoToThirtySections) {
  for (const FilterDrawingData& d :
       {stepped(2, false, false), stepped(30, false, false), stepped(30, true, true)}) {
    SCOPED_TRACE(std::to_string(d.sections.size()) + " " + d.configuration);
    const std::string svg = svg_of(d);
    ASSERT_EQ(xml_structure_error(svg), "");
    for (const std::string& l : elements(svg.substr(svg.find("</defs>")), "line")) {
      for (const char* a : {"x1", "x2"}) {
        EXPECT_GE(std::stod(attr(l, a)), 10.0 - 1e-6);
        EXPECT_LE(std::stod(attr(l, a)), 287.0 + 1e-6);
      }
      for (const char* a : {"y1", "y2"}) {
        EXPECT_GE(std::stod(attr(l, a)), 10.0 - 1e-6);
        EXPECT_LE(std::stod(attr(l, a)), 200.0 + 1e-6);
      }
    }
    double min_size = 0.0;
    auto rotated = rotated_texts(svg, min_size);
    EXPECT_GE(min_size, 1.5) << "smallest text on the sheet, mm";
    // Neighbouring rotated texts in a row must not overlap: at least one text height apart.
    std::sort(rotated.begin(), rotated.end());
    std::size_t crowded = 0;
    for (std::size_t i = 1; i < rotated.size(); ++i) {
      if (rotated[i].first - rotated[i - 1].first < 0.95 * rotated[i].second) ++crowded;
    }
    // Texts of the two rows (above and below the view) may share an x, nothing else may.
    EXPECT_LE(crowded, rotated.size() / 2) << "rotated texts crowd each other";
    // Two sections read from the bottom of the sheet; thirty are too many for horizontal rows,
    // so both rows turn: ordinates and lengths, a D for each line, one bore and its datum letter.
    const std::size_t n = d.sections.size();
    EXPECT_EQ(rotated.size(), n < 10 ? 0 : (2 * n + 1) + (n + 2) + 2);
  }
}

// What the shop files: the title block's fields, the plating of a silver or gold design, and the
// concentricity of the centre conductor to the bore axis.
TEST(FilterDrawingSvg, TitleBlockMaterialFinishAndConcentricity) {
  struct Case {
    float resistivity, concentricity;
    const char* material;
    const char* finish;
    const char* zone;
  };
  const Case cases[] = {
      {1.72f, 0.0003f, "Copper", "Unplated", "\u25ce \u23000.0003 [0.008] C"},
      {1.59f, 0.001f, "Copper or brass", "Silver plated", "\u25ce \u23000.0010 [0.025] C"},
      {2.44f, 0.0f, "Copper or brass", "Gold plated", "\u25ce \u23000.0000 [0.000] C"},
      {2.0f, -1.0f, "See note", "\u2014", "\u2014"},  // no metal named; a bad zone is a dash
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.material);
    FilterDrawingData d = with_short_ends();
    d.resistivity_uohm_cm = c.resistivity;
    d.concentricity_in = c.concentricity;
    const std::string words = sheet_text(svg_of(d));
    for (const char* want : {"DRAWN", "CHECKED", "APPROVED", "REV", "PROJECTION", "MATERIAL",
                             "FINISH", "Concentricity, D to bore axis C"})
      EXPECT_NE(words.find(want), std::string::npos) << want;
    EXPECT_NE(words.find(std::string("MATERIAL ") + c.material), std::string::npos) << words;
    EXPECT_NE(words.find(std::string("FINISH ") + c.finish), std::string::npos) << words;
    EXPECT_NE(words.find(c.zone), std::string::npos) << words;
  }
}

TEST(FilterDrawingSvg, DualDielectricDesignIsShadedAndNoted) {
  const std::string svg = svg_of(stepped(30, true, true));
  EXPECT_EQ(elements(svg, "path").empty(), false);
  std::size_t shaded = 0;
  for (const std::string& p : elements(svg, "path")) shaded += attr(p, "class") == "dielectric";
  EXPECT_EQ(shaded, 6u);
  EXPECT_NE(sheet_text(svg).find("dual configuration (series L first)"), std::string::npos);
  EXPECT_NE(sheet_text(svg).find("filled with dielectric from centre conductor to bore"),
            std::string::npos);
  EXPECT_NE(svg.find("2.08"), std::string::npos);
}

TEST(FilterDrawing, BadInputGivesACompleteSheetAndFiniteDxf) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<FilterDrawingData> cases;
  FilterDrawingData a = coax7();
  a.sections[1].length = nan;
  a.sections[2].inner = -0.3f;
  a.sections[3].er = inf;
  a.source.outer = inf;
  a.response = "<&>\"";
  a.program_version = "x\xc3\x28%%c%";
  cases.push_back(a);
  FilterDrawingData none = coax7();
  none.sections.clear();
  cases.push_back(none);
  FilterDrawingData zeros;
  zeros.sections.resize(3);
  cases.push_back(zeros);
  FilterDrawingData huge = coax7();
  huge.sections[0].length = 3.0e38f;
  huge.sections[4].outer = 1.0e30f;
  cases.push_back(huge);
  cases.push_back(stepped(3000, false, true));  // far beyond the program's 30: cramped, still whole
  for (const FilterDrawingData& d : cases) {
    const std::string svg = svg_of(d);
    EXPECT_EQ(xml_structure_error(svg), "");
    EXPECT_NE(svg.find("CUT LIST"), std::string::npos);
    for (const char* bad : {"\"nan", "\"inf", "\"-inf", "nan,", "inf,"})
      EXPECT_EQ(svg.find(bad), std::string::npos);
    for (const Entity& e : entities(groups(dxf_of(d)))) {
      for (const auto& [code, value] : e.g) {
        if (code >= 10 && code <= 50) {
          EXPECT_TRUE(std::isfinite(std::stod(value))) << code << " " << value;
        }
        if (code == 1) {
          for (const char c : value)
            EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "non-ASCII text " << value;
        }
      }
    }
  }
  EXPECT_NE(sheet_text(svg_of(a)).find("not finite are drawn as 0"), std::string::npos);
}

// Renders both files and checks them with tests/export/check_drawing.py (ezdxf reads the DXF as R12
// without audit errors and finds the steps; rsvg-convert renders the sheet).
// `horizontal`: the sheet must have room for every text to read from the bottom of the sheet.
void python_check(const FilterDrawingData& d, const std::string& name, bool horizontal = true) {
  picture_checks::Scratch dir(name);
  dir.write("drawing.svg", svg_of(d));
  dir.write("drawing.dxf", dxf_of(d));
  const std::vector<double> x = cumulative(d);
  std::ostringstream js;
  js.precision(17);
  js << "{\"sections\": [";
  for (std::size_t i = 0; i < d.sections.size(); ++i) {
    js << (i ? ", " : "") << "{\"x0\": " << x[i] << ", \"x1\": " << x[i + 1]
       << ", \"d\": " << static_cast<double>(d.sections[i].inner)
       << ", \"b\": " << static_cast<double>(d.sections[i].outer) << "}";
  }
  js << "], \"source\": {\"d\": " << static_cast<double>(d.source.inner)
     << ", \"b\": " << static_cast<double>(d.source.outer)
     << "}, \"load\": {\"d\": " << static_cast<double>(d.load.inner)
     << ", \"b\": " << static_cast<double>(d.load.outer) << "}}\n";
  dir.write("expected.json", js.str());
  std::string log;
  const int rc = picture_checks::run_check(
      "check_drawing.py",
      "--dxf '" + dir.path("drawing.dxf") + "' --svg '" + dir.path("drawing.svg") + "' --json '" +
          dir.path("expected.json") + "' --png '" + dir.path("drawing.png") + "'" +
          (horizontal ? " --horizontal" : ""),
      dir, log);
  if (rc == 77) GTEST_SKIP() << log;
  EXPECT_EQ(rc, 0) << log;
}

TEST(FilterDrawingRendered, ShippedSevenSectionFilter) { python_check(coax7(), "drawing_coax7"); }
TEST(FilterDrawingRendered, SectionsShorterThanAThousandth) {
  python_check(with_short_ends(), "drawing_short_ends");
}
TEST(FilterDrawingRendered, TwoSections) { python_check(stepped(2, false, false), "drawing_n2"); }
TEST(FilterDrawingRendered, ThirtySectionsDualWithDielectric) {
  python_check(stepped(30, true, true), "drawing_n30", false);
}

}  // namespace
}  // namespace mx

namespace mx {
namespace {

// The shipped filter with tolerances stated for some of its sections (an allocation's).
FilterDrawingData with_stated_tolerances() {
  FilterDrawingData d = coax7();
  d.length_tol_in = 0.001f;
  d.stated = {
      {0.0036149f, 0.0003319f, 0.0003945f}, {0.01f, NAN, 0.008289f}, {0.0019515f, NAN, NAN}};
  return d;
}

TEST(FilterDrawingSvg, CutListGivesStatedTolerancesRoundedDownBesideTheirDimension) {
  const std::string words = sheet_text(svg_of(with_stated_tolerances()));
  for (const char* want : {"0.1750 [4.445] \u00b10.0036", "\u23000.4500 [11.430] \u00b10.0003",
                           "\u23000.5000 [12.700] \u00b10.0003", "1.5330 [38.938] \u00b10.0100",
                           "\u23000.5000 [12.700] \u00b10.0082", "0.3250 [8.255] \u00b10.0019",
                           "GENERAL TOLERANCES UNLESS STATED", "\u00b10.0010 [\u00b10.025]"})
    EXPECT_NE(words.find(want), std::string::npos) << want;
  // Without stated tolerances no cell carries one.
  EXPECT_EQ(sheet_text(svg_of(coax7())).find("] \u00b1"), std::string::npos);
}

TEST(FilterDrawingRendered, StatedTolerancesFitTheCutList) {
  python_check(with_stated_tolerances(), "drawing_stated");
}

}  // namespace
}  // namespace mx

namespace mx {
namespace {

bool overlap(const detail::Box& a, const detail::Box& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

// Whether the segment from (x1, y1) to (x2, y2) passes through the box (Liang-Barsky clipping).
bool crosses(const detail::Box& b, double x1, double y1, double x2, double y2) {
  double t0 = 0.0, t1 = 1.0;
  const double dx = x2 - x1, dy = y2 - y1;
  const double p[] = {-dx, dx, -dy, dy};
  const double q[] = {x1 - b.x0, b.x1 - x1, y1 - b.y0, b.y1 - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
    } else if (p[i] < 0.0) {
      t0 = std::max(t0, q[i] / p[i]);
    } else {
      t1 = std::min(t1, q[i] / p[i]);
    }
  }
  return t0 < t1;
}

// The sheet's geometry for the designs the program draws: every text inside the frame, clear of
// every other text and of the outline, axis, leaders and dimension lines; texts read from the
// bottom of the sheet wherever the rows have room for them (the worked example, nine sections,
// sections shorter than a thousandth), and only a row too crowded for that is turned.
TEST(FilterDrawingSheet, TextsInsideTheFrameClearOfEachOtherAndHorizontalWhereTheyFit) {
  struct Case {
    const char* name;
    FilterDrawingData d;
    bool horizontal;
  };
  const Case cases[] = {
      {"worked example", coax7(), true},
      {"short ends", with_short_ends(), true},
      {"stated tolerances", with_stated_tolerances(), true},
      {"two", stepped(2, false, false), true},
      {"nine", stepped(9, false, false), true},
      {"nine dual filled", stepped(9, true, true), true},
      {"thirty dual filled", stepped(30, true, true), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const detail::Sheet sh = detail::build_sheet(c.d);
    std::vector<detail::Box> boxes;
    std::size_t turned = 0;
    for (const detail::Label& l : sh.labels) {
      const detail::Box b = detail::text_box(sh, l);
      EXPECT_GE(b.x0, detail::kFrameL) << l.text;
      EXPECT_LE(b.x1, detail::kFrameR) << l.text;
      EXPECT_GE(b.y0, detail::kFrameT) << l.text;
      EXPECT_LE(b.y1, detail::kFrameB) << l.text;
      turned += l.vertical;
      for (std::size_t j = 0; j < boxes.size(); ++j)
        EXPECT_FALSE(overlap(b, boxes[j])) << l.text << " / " << sh.labels[j].text;
      boxes.push_back(b);
      for (const detail::Seg& s : sh.segs) {
        if (s.layer == detail::Layer::Text) continue;  // the grid and frame around the tables
        EXPECT_FALSE(crosses(b, sh.px(s.x1), sh.py(s.y1), sh.px(s.x2), sh.py(s.y2)))
            << l.text << " crossed by a line from " << sh.px(s.x1) << "," << sh.py(s.y1) << " to "
            << sh.px(s.x2) << "," << sh.py(s.y2);
      }
    }
    if (c.horizontal)
      EXPECT_EQ(turned, 0u);
    else
      EXPECT_GT(turned, 0u);
  }
}

}  // namespace
}  // namespace mx

namespace mx {
namespace {

// The view with its rows stays above the band of tables, and the tables, notes and title block
// below its top, whatever the rows' setting: horizontal rows for the worked example and nine
// sections, turned ones for thirty.
TEST(FilterDrawingSheet, ViewAndRowsStayAboveTheTablesBand) {
  struct Case {
    const char* name;
    FilterDrawingData d;
    bool horizontal;
  };
  const Case cases[] = {{"worked example", with_short_ends(), true},
                        {"nine", stepped(9, false, true), true},
                        {"thirty", stepped(30, false, false), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const detail::Layout L = detail::plan_sheet(c.d);
    EXPECT_EQ(L.call_plan.horizontal, c.horizontal);
    EXPECT_EQ(L.below_plan.horizontal, c.horizontal);
    const auto bottom = [&](const detail::Sheet& part) {
      double y = -1e9;
      for (const detail::Label& l : part.labels) y = std::max(y, detail::text_box(part, l).y1);
      for (const detail::Seg& s : part.segs) y = std::max({y, part.py(s.y1), part.py(s.y2)});
      return y;
    };
    const auto top = [&](const detail::Sheet& part) {
      double y = 1e9;
      for (const detail::Label& l : part.labels) y = std::min(y, detail::text_box(part, l).y0);
      return y;
    };
    EXPECT_LE(bottom(detail::half_section(L)), L.band_top);
    EXPECT_LE(bottom(detail::dimension_rows(c.d, L)), L.band_top);
    EXPECT_GE(top(detail::cut_list(c.d, L)), L.band_top);
    EXPECT_GE(top(detail::notes_block(L)), L.band_top);
    EXPECT_GE(top(detail::title_block(c.d, L)), L.band_top);
  }
}

}  // namespace
}  // namespace mx
