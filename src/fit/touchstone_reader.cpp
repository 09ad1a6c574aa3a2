#include "fit/touchstone_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace mx {
namespace {

using Complex = std::complex<double>;

// Larger files are not measurements of one filter.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;
constexpr double kDegree = 3.14159265358979323846 / 180.0;

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string_view> words_of(std::string_view s) {
  std::vector<std::string_view> w;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == ',' || s[i] == '\r')) ++i;
    const std::size_t start = i;
    while (i < s.size() && !(s[i] == ' ' || s[i] == '\t' || s[i] == ',' || s[i] == '\r')) ++i;
    if (i > start) w.push_back(s.substr(start, i - start));
  }
  return w;
}

// A number the way the format writes them (a leading '+' allowed); nothing
// for any other text.
std::optional<double> number_of(std::string_view w) {
  if (!w.empty() && w.front() == '+') w.remove_prefix(1);
  if (w.empty()) return {};
  double v = 0.0;
  const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
  if (ec != std::errc() || end != w.data() + w.size()) return {};
  return v;
}

// Text of the file quoted in a message: printable ASCII, at most 24 characters.
std::string file_text(std::string_view w) {
  std::string out = "\"";
  for (char c : w.substr(0, 24)) {
    const auto u = static_cast<unsigned char>(c);
    out += u >= 0x20 && u < 0x7f ? c : '?';
  }
  return out + (w.size() > 24 ? "...\"" : "\"");
}

enum class Form { kRI, kMA, kDB };

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  MeasuredTwoPort run();

 private:
  [[noreturn]] void fail(const std::string& what) const { throw TouchstoneError(line_, what); }
  void option_line(std::string_view s);
  void keyword(std::string_view s);
  void data(std::string_view s);
  void finish_row();
  Complex pair(double a, double b) const;

  std::string_view text_;
  int line_ = 0;
  bool version2 = false;
  bool seen_option = false;
  bool in_data = false;  // version 2.0: after [Network Data]
  bool done = false;     // noise data or [End]
  double unit = 1e3;     // MHz per unit (GHz)
  Form form = Form::kMA;
  double r = 50.0;
  std::optional<std::vector<double>> references;
  std::vector<double>* reference_to_fill = nullptr;  // [Reference] continued on later lines
  bool order_12_21 = false;                          // version 2.0 [Two-Port Data Order] 12_21
  bool order_given = false;
  int triangle = 0;  // [Matrix Format]: 0 full, 1 lower, 2 upper
  std::optional<long> frequencies;
  std::vector<double> row_;
  MeasuredTwoPort m_;
  int zero_rows_ = 0;
};

Complex Reader::pair(double a, double b) const {
  switch (form) {
    case Form::kRI:
      return {a, b};
    case Form::kMA:
      return std::polar(a, b * kDegree);
    case Form::kDB:
      return std::polar(std::pow(10.0, a / 20.0), b * kDegree);
  }
  return {};
}

void Reader::option_line(std::string_view s) {
  if (seen_option) return;  // only the first counts
  seen_option = true;
  const std::vector<std::string_view> w = words_of(s.substr(1));
  for (std::size_t i = 0; i < w.size(); ++i) {
    const std::string x = lower(w[i]);
    if (x == "hz") {
      unit = 1e-6;
    } else if (x == "khz") {
      unit = 1e-3;
    } else if (x == "mhz") {
      unit = 1.0;
    } else if (x == "ghz") {
      unit = 1e3;
    } else if (x == "s") {
    } else if (x == "y" || x == "z" || x == "h" || x == "g") {
      fail("only S-parameters are read, not " + file_text(w[i]));
    } else if (x == "ri") {
      form = Form::kRI;
    } else if (x == "ma") {
      form = Form::kMA;
    } else if (x == "db") {
      form = Form::kDB;
    } else if (x == "r") {
      const std::optional<double> v = i + 1 < w.size() ? number_of(w[i + 1]) : std::nullopt;
      if (!v) fail("the option line's R is not followed by a resistance");
      r = *v;
      ++i;
    } else {
      fail("unknown word " + file_text(w[i]) + " in the option line");
    }
  }
}

void Reader::keyword(std::string_view s) {
  const std::size_t close = s.find(']');
  if (close == std::string_view::npos) fail("a keyword without its closing bracket");
  const std::string key = lower(s.substr(1, close - 1));
  const std::vector<std::string_view> w = words_of(s.substr(close + 1));
  const std::string arg = w.empty() ? std::string() : lower(w[0]);
  if (key == "version") {
    if (line_ > 0 && (seen_option || !m_.f_mhz.empty())) fail("[Version] must come first");
    const std::optional<double> v = w.empty() ? std::nullopt : number_of(w[0]);
    if (!v || *v < 2.0 || *v >= 3.0) fail("only version 2.0 files have keywords");
    version2 = true;
    return;
  }
  if (!version2) fail("keyword " + file_text("[" + key + "]") + " in a version 1 file");
  if (key == "number of ports") {
    const std::optional<double> v = w.empty() ? std::nullopt : number_of(w[0]);
    if (!v || *v != 2.0) fail("not a two-port file ([Number of Ports] " + file_text(arg) + ")");
  } else if (key == "two-port data order") {
    if (arg != "12_21" && arg != "21_12") fail("[Two-Port Data Order] is neither 12_21 nor 21_12");
    order_12_21 = arg == "12_21";
    order_given = true;
  } else if (key == "number of frequencies") {
    const std::optional<double> v = w.empty() ? std::nullopt : number_of(w[0]);
    if (!v || *v < 1.0 || *v != std::floor(*v) || *v > 1e9) fail("bad [Number of Frequencies]");
    frequencies = static_cast<long>(*v);
  } else if (key == "reference") {
    references.emplace();
    reference_to_fill = &*references;
    for (std::string_view x : w) {
      const std::optional<double> v = number_of(x);
      if (!v) fail("[Reference] holds " + file_text(x) + ", not a resistance");
      if (references->size() < 2) references->push_back(*v);
    }
  } else if (key == "matrix format") {
    if (arg == "full") {
      triangle = 0;
    } else if (arg == "lower") {
      triangle = 1;
    } else if (arg == "upper") {
      triangle = 2;
    } else {
      fail("unknown [Matrix Format] " + file_text(arg));
    }
  } else if (key == "network data") {
    if (!order_given) fail("a two-port version 2.0 file needs [Two-Port Data Order]");
    in_data = true;
  } else if (key == "noise data" || key == "end") {
    done = true;
  } else if (key == "mixed-mode order") {
    fail("mixed-mode parameters are not read");
  } else if (key == "number of noise frequencies" || key == "begin information" ||
             key == "end information") {
    // Nothing a two-port's S-parameters need.
  } else {
    fail("unknown keyword " + file_text("[" + key + "]"));
  }
}

void Reader::data(std::string_view s) {
  const std::size_t values = triangle == 0 ? 9 : 7;
  for (std::string_view w : words_of(s)) {
    const std::optional<double> v = number_of(w);
    if (!v) fail(file_text(w) + " is not a number");
    if (!std::isfinite(*v)) fail("a value that is not finite");
    // Version 1: a frequency not above the last one starts the noise data.
    if (row_.empty() && !version2 && !m_.f_mhz.empty() && !(*v * unit > m_.f_mhz.back())) {
      done = true;
      return;
    }
    row_.push_back(*v);
    if (row_.size() == values) finish_row();
  }
}

void Reader::finish_row() {
  const double f = row_[0] * unit;
  if (f < 0.0) fail("a negative frequency");
  if (!m_.f_mhz.empty() && !(f > m_.f_mhz.back())) fail("the frequencies do not rise");
  std::vector<Complex> s;
  for (std::size_t k = 1; k + 1 < row_.size(); k += 2) s.push_back(pair(row_[k], row_[k + 1]));
  row_.clear();
  for (const Complex& v : s)
    if (!std::isfinite(v.real()) || !std::isfinite(v.imag())) fail("a value that is not finite");
  if (f == 0.0) {
    ++zero_rows_;  // a DC point: no part of the fit
    if (zero_rows_ > 1) fail("the frequencies do not rise");
    return;
  }
  Complex s11 = s[0], s21, s12, s22;
  if (triangle == 0) {
    // Version 1 and 21_12: S11 S21 S12 S22; 12_21: S11 S12 S21 S22.
    s21 = order_12_21 ? s[2] : s[1];
    s12 = order_12_21 ? s[1] : s[2];
    s22 = s[3];
  } else {
    s21 = s12 = s[1];  // the one transfer parameter of the triangle
    s22 = s[2];
  }
  m_.f_mhz.push_back(f);
  m_.s11.push_back(s11);
  m_.s21.push_back(s21);
  m_.s12.push_back(s12);
  m_.s22.push_back(s22);
}

MeasuredTwoPort Reader::run() {
  std::size_t at = 0;
  while (at <= text_.size() && !done) {
    const std::size_t nl = text_.find('\n', at);
    std::string_view s =
        text_.substr(at, nl == std::string_view::npos ? std::string_view::npos : nl - at);
    at = nl == std::string_view::npos ? text_.size() + 1 : nl + 1;
    ++line_;
    if (const std::size_t bang = s.find('!'); bang != std::string_view::npos) s = s.substr(0, bang);
    for (char c : s) {
      const auto u = static_cast<unsigned char>(c);
      if ((u < 0x20 && c != '\t' && c != '\r') || u == 0x7f)
        fail("not a text file (control characters)");
    }
    const std::vector<std::string_view> w = words_of(s);
    if (w.empty()) continue;
    const char first = w[0][0];
    if (first == '#') {
      reference_to_fill = nullptr;
      option_line(s.substr(s.find('#')));
    } else if (first == '[') {
      reference_to_fill = nullptr;
      keyword(s.substr(s.find('[')));  // [Reference] may continue on the next lines
    } else if (reference_to_fill != nullptr && reference_to_fill->size() < 2) {
      for (std::string_view x : w) {
        const std::optional<double> v = number_of(x);
        if (!v) fail("[Reference] holds " + file_text(x) + ", not a resistance");
        if (reference_to_fill->size() < 2) reference_to_fill->push_back(*v);
      }
    } else {
      reference_to_fill = nullptr;
      if (version2 && !in_data) fail("data before [Network Data]");
      data(s);
    }
  }
  if (!row_.empty()) fail("the last row is incomplete");
  if (version2 && !in_data) fail("no [Network Data]");
  if (m_.f_mhz.empty()) fail("no frequencies above 0");
  if (frequencies && *frequencies != static_cast<long>(m_.f_mhz.size()) + zero_rows_)
    fail("[Number of Frequencies] says " + std::to_string(*frequencies) + ", the file holds " +
         std::to_string(m_.f_mhz.size() + static_cast<std::size_t>(zero_rows_)));
  m_.z1 = m_.z2 = r;
  if (references) {
    if (references->size() != 2) fail("[Reference] needs one resistance for each of the 2 ports");
    m_.z1 = (*references)[0];
    m_.z2 = (*references)[1];
  }
  if (!(m_.z1 > 0.0) || !(m_.z2 > 0.0) || !std::isfinite(m_.z1) || !std::isfinite(m_.z2))
    fail("a reference resistance that is not positive");
  return m_;
}

}  // namespace

TouchstoneError::TouchstoneError(int at, const std::string& what)
    : std::runtime_error(at > 0 ? "line " + std::to_string(at) + ": " + what : what), line(at) {}

MeasuredTwoPort read_touchstone(std::string_view text) { return Reader(text).run(); }

MeasuredTwoPort read_touchstone_file(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw TouchstoneError(0, "it is a folder");
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) throw TouchstoneError(0, "it cannot be opened");
  if (size > kMaxFileBytes) throw TouchstoneError(0, "it is too large for a Touchstone file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TouchstoneError(0, "it cannot be opened");
  std::ostringstream text;
  text << in.rdbuf();
  if (!in && !in.eof()) throw TouchstoneError(0, "it cannot be read");
  return read_touchstone(text.str());
}

}  // namespace mx
