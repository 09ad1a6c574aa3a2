#include "tolerance/tolerance_file.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

namespace mx {
namespace {

using nlohmann::json;

// "3" of "L3": a whole number from 1, without a sign or leading zero.
bool section_number(std::string_view digits) {
  return !digits.empty() && digits.size() <= 3 && digits.front() != '0' &&
         std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string first_line(std::string text) {
  const std::size_t end = text.find_first_of("\r\n");
  return end == std::string::npos ? text : text.substr(0, end);
}

// The tolerance of one entry, or an error.
std::string read_entry(const json& e, std::size_t index, DimensionTolerance& t) {
  const std::string where = "entry " + std::to_string(index + 1);
  if (!e.is_object()) return where + " is not an object";
  const auto name = e.find("dimension");
  if (name == e.end() || !name->is_string()) return where + " has no \"dimension\" name";
  t.dimension = name->get<std::string>();
  const bool inch = e.contains("tolerance_in"), pct = e.contains("tolerance_pct");
  if (inch == pct)
    return "\"" + t.dimension + "\" needs one of \"tolerance_in\" and \"tolerance_pct\"";
  t.percent = pct;
  const json& v = e.at(pct ? "tolerance_pct" : "tolerance_in");
  if (!v.is_number()) return "the tolerance of \"" + t.dimension + "\" is not a number";
  t.value = v.get<double>();
  const double largest = pct ? kLargestFileTolPct : kLargestFileTolIn;
  if (!std::isfinite(t.value) || t.value < 0.0)
    return "the tolerance of \"" + t.dimension + "\" is negative";
  if (pct ? !(t.value < largest) : !(t.value <= largest))
    return "the tolerance of \"" + t.dimension + "\" is too large (" +
           (pct ? "below 100 %" : "at most 1 inch") + ")";
  if (!possible_dimension(t.dimension, t.percent))
    return "no filter has a dimension \"" + t.dimension + "\" in " + (pct ? "percent" : "inch");
  return {};
}

}  // namespace

bool possible_dimension(const std::string& name, bool percent) {
  const std::string_view n = name;
  if (n.size() >= 2 && (n[0] == 'L' || n[0] == 'C') && section_number(n.substr(1)))
    return percent || n[0] == 'L';  // C<k>: a capacitor; L<k>: a length or an inductor
  if (percent) return false;
  if (n == "D high" || n == "B high" || n == "D low" || n == "B low") return true;
  return n.size() >= 2 && (n[0] == 'D' || n[0] == 'B') && section_number(n.substr(1));
}

ToleranceFile parse_tolerance_file(std::string_view text) {
  ToleranceFile f;
  json doc;
  try {
    doc = json::parse(text);
  } catch (const json::parse_error& e) {
    f.error = "not JSON: " + first_line(e.what());
    return f;
  }
  const auto list = doc.is_object() ? doc.find("tolerances") : doc.end();
  if (!doc.is_object() || list == doc.end() || !list->is_array()) {
    f.error = "no \"tolerances\" list";
    return f;
  }
  for (std::size_t i = 0; i < list->size(); ++i) {
    DimensionTolerance t;
    f.error = read_entry((*list)[i], i, t);
    if (f.error.empty() &&
        std::any_of(f.tolerances.begin(), f.tolerances.end(), [&](const DimensionTolerance& o) {
          return o.dimension == t.dimension && o.percent == t.percent;
        }))
      f.error = "\"" + t.dimension + "\" is given twice";
    if (!f.error.empty()) {
      f.tolerances.clear();
      return f;
    }
    f.tolerances.push_back(t);
  }
  return f;
}

}  // namespace mx
