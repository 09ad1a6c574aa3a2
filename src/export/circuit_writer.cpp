#include "export/circuit_writer.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "export/number_text.h"

namespace mx {
namespace {

// Reads a field as the files' reader does for the texts made here (no blanks,
// no comma): the nearest float to the decimal number, E as the exponent.
bool reads_back(const std::string& text, float v) {
  std::string number = text;
  for (char& c : number)
    if (c == 'E') c = 'e';
  char* end = nullptr;
  const float back = std::strtof(number.c_str(), &end);
  return end == number.c_str() + number.size() && back == v &&
         std::signbit(back) == std::signbit(v);
}

// Exponent written without '+' and without leading zeros.
std::string exponent_text(int e) {
  // Appended, not "E" + to_string(e): GCC 12 warns falsely (-Wrestrict) of
  // the copy that operator+ makes to put text before a temporary string.
  std::string text = "E";
  text += std::to_string(e);
  return text;
}

std::string title_line(const std::string& title) {
  std::string out;
  for (char c : title)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

void write_entry(std::ostream& os, const std::string& field, const std::string& comment) {
  os << field;
  if (field.size() < kFieldWidth) os << std::string(kFieldWidth - field.size(), ' ');
  os << comment << '\n';
}

void write_value(std::ostream& os, float v, const std::string& comment) {
  const std::optional<std::string> text = f13_text(v);
  if (text) {
    write_entry(os, *text, comment);
    return;
  }
  char buf[128];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  write_entry(os, std::string(kFieldWidth, '*'),
              comment + " (the value " + std::string(buf, r.ptr) + " cannot be written here)");
}

void write_count(std::ostream& os, long long n, const std::string& comment) {
  write_entry(os, std::to_string(n), comment);
}

// ln(B/D)/sqrt(Er): proportional to the line's characteristic impedance;
// NaN when the dimensions make no line.
double relative_impedance(const CoaxLine& l) {
  const double b = static_cast<double>(l.outer);
  const double d = static_cast<double>(l.inner);
  const double er = static_cast<double>(l.er);
  if (!(d > 0.0 && b > d && er > 0.0 && std::isfinite(b) && std::isfinite(er))) return std::nan("");
  return std::log(b / d) / std::sqrt(er);
}

void write_line(std::ostream& os, const CoaxLine& l, const std::string& tag) {
  write_value(os, l.outer, "B" + tag + ", inch");
  write_value(os, l.inner, "D" + tag + ", inch");
  write_value(os, l.er, "Er" + tag);
}

}  // namespace

std::optional<std::string> f13_text(float v) {
  if (!std::isfinite(v)) return std::nullopt;
  char buf[128];

  // Plain notation, shortest round trip.
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  std::string plain(buf, r.ptr);
  if (plain.size() <= kFieldWidth && reads_back(plain, v)) return plain;

  // The same digits in scientific form: [-]d[.ddd]e[+-]xx.
  r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  const std::string sci(buf, r.ptr);
  const std::size_t e_at = sci.find('e');
  const std::string mantissa = sci.substr(0, e_at);
  const int exponent = std::atoi(sci.c_str() + e_at + 1);

  const std::string compact = mantissa + exponent_text(exponent);
  if (compact.size() <= kFieldWidth && reads_back(compact, v)) return compact;

  // Integer mantissa: the point moves to the end, the exponent drops by the
  // number of digits after it.
  std::string digits;
  std::size_t after_point = 0;
  bool point_seen = false;
  for (char c : mantissa) {
    if (c == '.') {
      point_seen = true;
    } else {
      digits += c;
      if (point_seen) ++after_point;
    }
  }
  const std::string integer = digits + exponent_text(exponent - static_cast<int>(after_point));
  if (integer.size() <= kFieldWidth && reads_back(integer, v)) return integer;
  return std::nullopt;
}

void write_lumped_circuit(std::ostream& os, const LumpedCircuit& c) {
  os << title_line(c.title) << '\n';
  const bool known = c.configuration == 1 || c.configuration == 2;
  const bool resonant = !c.partners.empty();
  std::string cfg_comment = "ICFG: ";
  if (c.configuration == 1) {
    cfg_comment += resonant ? "11 standard (shunt C first), each value followed by its partner"
                            : "1 standard (shunt C first)";
  } else if (c.configuration == 2) {
    cfg_comment += resonant ? "12 dual (series L first), each value followed by its partner"
                            : "2 dual (series L first)";
  } else {
    cfg_comment += "must be 1 (standard) or 2 (dual)";
  }
  // The resonant form of ICFG k is 10 + k (files/lumped_file.h).
  write_count(os, known && resonant ? c.configuration + 10 : c.configuration, cfg_comment);

  for (std::size_t i = 0; i < c.values.size(); ++i) {
    const std::size_t k = i + 1;
    std::string comment;
    if (known) {
      const bool shunt = (k % 2 == 1) == (c.configuration == 1);
      comment =
          shunt ? "SHUNTC " + std::to_string(k) + ", pF" : "SERL " + std::to_string(k) + ", nH";
    } else {
      comment = "ELEMENT " + std::to_string(k);
    }
    write_value(os, c.values[i], comment);
    if (resonant && known) {
      const bool shunt = (k % 2 == 1) == (c.configuration == 1);
      const std::string at = std::to_string(k);
      const float p = i < c.partners.size() ? c.partners[i] : 0.0f;
      write_value(os, p,
                  shunt ? "TRAPL " + at + ", nH, in series with SHUNTC " + at + " (0: none)"
                        : "TANKC " + at + ", pF, across SERL " + at + " (0: none)");
    }
  }
}

void write_coax_circuit(std::ostream& os, const CoaxCircuit& c) {
  os << title_line(c.title) << '\n';
  write_count(os, static_cast<long long>(c.sections.size()), "N: number of sections");
  write_line(os, c.source, "Source");
  const double z_source = relative_impedance(c.source);
  for (std::size_t i = 0; i < c.sections.size(); ++i) {
    const CoaxLine& l = c.sections[i];
    const std::string k = std::to_string(i + 1);
    std::string length_comment = "LENGTH " + k + ", inch";
    const double z = relative_impedance(l);
    if (z < z_source) length_comment += " (low impedance)";
    if (z > z_source) length_comment += " (high impedance)";
    write_value(os, l.length, length_comment);
    write_line(os, l, " " + k);
  }
  write_line(os, c.load, "Load");
}

}  // namespace mx
