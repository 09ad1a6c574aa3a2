#include "app/manufacturability.h"

#include <cmath>
#include <iomanip>
#include <sstream>

#include "line/ratings.h"

namespace mx {
namespace {

std::string fixed(float v, int decimals) {
  std::ostringstream s;
  s << std::fixed << std::setprecision(decimals) << v;
  return s.str();
}

// The lines with their names as the reports call them.
struct NamedLine {
  std::string name;
  const CoaxLineData* line;
};

std::vector<NamedLine> named_lines(const CoaxFilterLines& f) {
  std::vector<NamedLine> all{{"the source line", &f.source}};
  for (std::size_t i = 0; i < f.sections.size(); ++i)
    all.push_back({"section " + std::to_string(i + 1), &f.sections[i]});
  all.push_back({"the load line", &f.load});
  return all;
}

}  // namespace

bool shop_warnings_asked(const RunOptions& o) {
  return o.drawing || o.min_section_in || o.min_wall_in || o.power_w || o.length_tol_in ||
         o.diameter_tol_in;
}

std::vector<std::string> design_warnings(const CoaxFilterLines& f, const RunOptions& limits) {
  std::vector<std::string> w;
  const float min_section = limits.min_section_in.value_or(kDefaultMinSectionIn);
  const float min_wall = limits.min_wall_in.value_or(kDefaultMinWallIn);
  for (std::size_t i = 0; i < f.sections.size(); ++i) {
    const CoaxLineData& s = f.sections[i];
    const std::string name = "section " + std::to_string(i + 1);
    if (!(s.length >= min_section))
      w.push_back(name + " is " + fixed(s.length, 4) + " inch long, shorter than the minimum " +
                  fixed(min_section, 4) + " inch (--min-section)");
    const float wall = (s.outer - s.inner) / 2.0f;
    if (!(wall >= min_wall))
      w.push_back(name + " leaves a radial wall (B-D)/2 of " + fixed(wall, 4) +
                  " inch to the bore, thinner than the minimum " + fixed(min_wall, 4) +
                  " inch (--min-wall)");
  }
  // A machining tolerance given larger than the feature it is held on: a
  // typing slip (inches for thousandths) the drawing and the study would
  // otherwise carry without a word. The defaults are far below any section.
  const CoaxLineData* shortest = nullptr;
  const CoaxLineData* thinnest = nullptr;
  std::size_t shortest_at = 0, thinnest_at = 0;
  for (std::size_t i = 0; i < f.sections.size(); ++i) {
    const CoaxLineData& s = f.sections[i];
    if (shortest == nullptr || s.length < shortest->length) {
      shortest = &s;
      shortest_at = i;
    }
    if (thinnest == nullptr || s.outer - s.inner < thinnest->outer - thinnest->inner) {
      thinnest = &s;
      thinnest_at = i;
    }
  }
  if (shortest != nullptr && limits.length_tol_in && *limits.length_tol_in > shortest->length)
    w.push_back("the length tolerance +/-" + fixed(*limits.length_tol_in, 4) +
                " inch exceeds the shortest section, section " + std::to_string(shortest_at + 1) +
                " of " + fixed(shortest->length, 4) + " inch (--length-tol)");
  if (thinnest != nullptr && limits.diameter_tol_in) {
    const float wall = (thinnest->outer - thinnest->inner) / 2.0f;
    if (*limits.diameter_tol_in > wall)
      w.push_back("the diameter tolerance +/-" + fixed(*limits.diameter_tol_in, 4) +
                  " inch exceeds the thinnest radial wall (B-D)/2, " + fixed(wall, 4) +
                  " inch of section " + std::to_string(thinnest_at + 1) + " (--diameter-tol)");
  }
  if (limits.power_w) {
    const NamedLine* lowest = nullptr;
    float lowest_w = 0.0f;
    const std::vector<NamedLine> all = named_lines(f);
    for (const NamedLine& l : all) {
      const float p = peak_power_kw(l.line->outer, l.line->inner, l.line->er) * 1000.0f;
      if (lowest == nullptr || p < lowest_w || std::isnan(p)) {
        lowest = &l;
        lowest_w = p;
      }
    }
    if (lowest != nullptr && !(lowest_w >= *limits.power_w))
      w.push_back("peak power " + fixed(lowest_w, 0) + " W of " + lowest->name +
                  " (the lowest of the lines) is below the " + fixed(*limits.power_w, 0) +
                  " W asked (--power)");
  }
  return w;
}

std::vector<std::string> analysis_warnings(const CoaxFilterLines& f, float highest_mhz) {
  std::vector<std::string> w;
  const std::vector<NamedLine> all = named_lines(f);
  const NamedLine* lowest = nullptr;
  float lowest_ghz = 0.0f;
  for (const NamedLine& l : all) {
    const float fc = te11_cutoff_ghz(l.line->outer, l.line->inner, l.line->er);
    if (lowest == nullptr || fc < lowest_ghz) {
      lowest = &l;
      lowest_ghz = fc;
    }
  }
  if (lowest != nullptr && highest_mhz > lowest_ghz * 1000.0f)
    w.push_back("the analysis goes up to " + fixed(highest_mhz, 1) +
                " MHz, above the TE11 cutoff " + fixed(lowest_ghz, 3) + " GHz of " + lowest->name +
                " (the lowest of the lines): higher-order modes can propagate there");
  return w;
}

void print_warnings(std::ostream& err, const std::vector<std::string>& warnings) {
  for (const std::string& w : warnings) err << "mandrelix: warning: " << w << '\n';
}

}  // namespace mx
