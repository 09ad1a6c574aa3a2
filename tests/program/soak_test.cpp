// Soak: many complete sessions of the whole program, in-process, each a
// random but sensible walk through the dialog and the menus.
//
// The answers are not scripted in advance: the console input is a stream
// whose next line is made when the program asks for it, from the prompt the
// program has just written (the open last line of the console output) and
// the menu above it. So every walk stays valid whatever path the answers
// took, including re-prompts after deliberately bad answers (N out of
// range, an inner diameter not below the outer, a ripple above 6 dB, a
// reserved storage name). Values are random within sensible ranges; circuit
// files are written fresh for each session (valid ones, and now and then a
// bad one or a name that does not exist). Every session is reproducible from
// its number: MANDRELIX_SOAK_FIRST=k MANDRELIX_SOAK_SESSIONS=1 replays it.
//
// Checked for every session:
// - the run ends with the status the walk calls for: 0 when it left by a
//   menu, 1 when it named a circuit file that is rejected, 2 when it named a
//   file that does not exist; the error stream is empty, or one line for 2;
// - every byte of the console output is printable ASCII or a line end, and
//   no line is longer than 200 characters;
// - every file the run wrote is a stored report whose lines all appear on
//   the console, in order, and every "Output Data stored" confirmation on the
//   console names a file that holds that same line.
//
// MANDRELIX_SOAK_SESSIONS sets the count, 10,000 by default: about 12 s in
// the normal build and 17 s under AddressSanitizer and UndefinedBehavior-
// Sanitizer, so the sanitizer run of the suite keeps the full count.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "base/clock.h"
#include "session.h"

namespace mxtest {
namespace {

long env_number(const char* name, long fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? std::strtol(v, nullptr, 10) : fallback;
}

// Console output collected in memory, visible to the answer maker at every
// read. text() is what the program wrote; screen() is what a terminal shows,
// with each answer echoed after its prompt and ended by the user's Enter.
class Capture : public std::streambuf {
 public:
  const std::string& text() const { return text_; }
  const std::string& screen() const { return screen_; }
  void echo(const std::string& answer) { screen_ += answer + "\n"; }

 protected:
  int_type overflow(int_type ch) override {
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
      text_ += traits_type::to_char_type(ch);
      screen_ += traits_type::to_char_type(ch);
    }
    return traits_type::not_eof(ch);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    text_.append(s, static_cast<std::size_t>(n));
    screen_.append(s, static_cast<std::size_t>(n));
    return n;
  }

 private:
  std::string text_;
  std::string screen_;
};

struct Tally {
  long sessions = 0, answers = 0, cycles = 0, analyses = 0, syntheses = 0;
  long realizability = 0, listings = 0, rejected_files = 0, missing_files = 0, reprompts = 0;
  long skirt = 0;
};

// Makes the answers of one session.
class Walk {
 public:
  Walk(std::uint64_t key, Capture& console, Tally& tally)
      : rng_(key), console_(console), tally_(tally) {}

  int expected_status() const { return expected_status_; }
  const std::string& problem() const { return problem_; }

  // The next answer line (without its line end); false ends the input.
  bool next(std::string& answer) {
    if (++count_ > kMaxAnswers) {
      problem_ = "the session did not end after " + std::to_string(kMaxAnswers) + " answers";
      return false;
    }
    const std::string_view text = console_.screen();
    const std::size_t nl = text.rfind('\n');
    const std::string_view prompt = nl == std::string_view::npos ? text : text.substr(nl + 1);
    if (!answer_for(prompt, text, answer)) {
      problem_ = "no answer known for the prompt [" + std::string(prompt) + "]";
      return false;
    }
    ++tally_.answers;
    console_.echo(answer);
    return true;
  }

 private:
  static constexpr int kMaxAnswers = 3000;

  double uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng_);
  }
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(double p) { return uniform(0.0, 1.0) < p; }
  static std::string fmt(double v, int decimals) {
    char b[48];
    std::snprintf(b, sizeof b, "%.*f", decimals, v);
    return b;
  }
  static bool has(std::string_view s, std::string_view what) {
    return s.find(what) != std::string_view::npos;
  }

  bool answer_for(std::string_view p, std::string_view text, std::string& a) {
    // ---- menus of the dialog
    if (has(p, "Program FUNCTION selected =")) {
      ++tally_.cycles;
      a = chance(0.05) ? (chance(0.5) ? "" : "3") : (chance(0.5) ? "1" : "2");
      return true;
    }
    if (has(p, "Frequency Analysis OPTION selected =") || has(p, "Analysis SUBOPTION selected =") ||
        has(p, "Synthesis OPTION selected =") || has(p, "Response SUBOPTION selected =")) {
      a = chance(0.05) ? "" : (chance(0.5) ? "1" : "2");
      return true;
    }
    if (has(p, "CONFIGURATION of Filter selected")) {
      a = chance(0.1) ? (chance(0.5) ? "" : "3") : (chance(0.5) ? "1" : "2");
      return true;
    }
    // ---- section counts
    if (has(p, "Number of Sections in Filter(N<30)=") ||
        has(p, "Number of sections in Filter(N<30)=") ||
        has(p, "Number of sections in Filter (N < 30) =")) {
      if (chance(0.08)) {
        static const char* bad[] = {"1", "31", "0", "-3", "45"};
        a = bad[pick(0, 4)];
        ++tally_.reprompts;
      } else {
        a = std::to_string(pick(2, has(p, "(N < 30)") ? 15 : 10));
      }
      return true;
    }
    // ---- coaxial dimensions
    if (has(p, "Length of Filter Section,Inches =")) {
      a = fmt(uniform(0.05, 0.9), 4);
      return true;
    }
    if (has(p, "Outer Cond. Diameter (B),Inches =")) {
      if (chance(0.05)) {
        a = "";
        outer_ = 0;  // unknown: the kept value
      } else {
        outer_ = uniform(0.2, 0.8);
        a = fmt(outer_, 4);
      }
      return true;
    }
    if (has(p, "Inner Cond. Diameter (D),Inches =")) {
      if (outer_ > 0 && chance(0.05)) {
        a = fmt(outer_ * uniform(1.0, 1.5), 4);  // not below the outer: message and re-entry
        ++tally_.reprompts;
      } else {
        a = fmt(outer_ > 0 ? outer_ * uniform(0.08, 0.92) : 0.02, 4);
      }
      return true;
    }
    if (has(p, "Please re-enter INNER conductor dimension")) {
      a = fmt(outer_ > 0 ? outer_ * uniform(0.1, 0.9) : 0.02, 4);
      return true;
    }
    if (has(p, "Relative Dielectric Constant,Er =")) {
      const double r = uniform(0.0, 1.0);
      a = r < 0.4   ? "1"
          : r < 0.6 ? "2.1"
          : r < 0.9 ? fmt(uniform(1.0, 4.0), 2)
                    : (r < 0.95 ? "" : "0.5");
      return true;
    }
    if (has(p, "Line Impedance Level (Zo), Ohms =")) {
      a = fmt(uniform(20.0, 130.0), 2);
      return true;
    }
    if (has(p, "Imag. Part of Impedance (Ohms)")) {
      a = chance(0.7) ? "" : fmt(uniform(-30.0, 30.0), 2);
      return true;
    }
    // ---- lumped elements and terminations
    if (has(p, "Value of Shunt  Capacitor #")) {
      a = fmt(uniform(0.3, 40.0), 3);
      return true;
    }
    if (has(p, "Value of Series Inductor  #")) {
      a = fmt(uniform(1.0, 90.0), 3);
      return true;
    }
    if (has(p, "Real  part (Rs), Ohms =") || has(p, "Real  part (Rl), Ohms =")) {
      a = chance(0.5) ? "" : fmt(uniform(10.0, 150.0), 2);
      return true;
    }
    if (has(p, "Imag. part (Xs), Ohms =") || has(p, "Imag. part (Xl), Ohms =")) {
      a = chance(0.6) ? "" : fmt(uniform(-40.0, 40.0), 2);
      return true;
    }
    // ---- loss data
    if (has(p, "Conductor Resistivity, micro-Ohm-cm =")) {
      a = chance(0.3) ? "" : fmt(uniform(1.6, 10.0), 2);
      return true;
    }
    if (has(p, "RMS Surface Roughness, micro-Inch")) {
      a = chance(0.3) ? "" : fmt(uniform(0.0, 120.0), 1);
      return true;
    }
    if (has(p, "Dielectric Loss Tangent =")) {
      a = chance(0.3) ? "" : fmt(uniform(0.0, 0.002), 5);
      return true;
    }
    // ---- frequency range (the walk follows fmin and fmax to keep sweeps short)
    if (has(p, "Analysis Start Frequency, MHz =")) {
      if (chance(0.1)) {
        a = "";
      } else {
        fmin_ = static_cast<float>(std::stod(fmt(uniform(1.0, 3000.0), 1)));
        a = fmt(static_cast<double>(fmin_), 1);
      }
      return true;
    }
    if (has(p, "Analysis Stop  Frequency, MHz =")) {
      const double r = uniform(0.0, 1.0);
      if (r < 0.08) {
        a = "";  // kept unless below the new start
      } else if (r < 0.14) {
        a = fmt(static_cast<double>(fmin_) * 0.5, 1);  // below the start: ignored
      } else {
        a = fmt(static_cast<double>(fmin_) + uniform(0.0, 6000.0), 1);
        const float v = static_cast<float>(std::stod(a));
        if (v >= fmin_) fmax_ = v;
      }
      return true;
    }
    if (has(p, "Analysis Step  Frequency, MHz =")) {
      const double span = static_cast<double>(fmax_) - static_cast<double>(fmin_);
      a = span > 0 ? fmt(span / pick(1, 30) + 0.05, 2) : fmt(uniform(1.0, 500.0), 2);
      ++tally_.analyses;
      return true;
    }
    // ---- synthesis design data
    if (has(p, "Low Pass Cutoff Frequency  (FC1), MHz =")) {
      a = chance(0.1) ? "" : fmt(uniform(50.0, 4000.0), 1);
      ++tally_.syntheses;
      return true;
    }
    if (has(p, "Passband Amplitude Ripple   (Am), dB  =")) {
      const double r = uniform(0.0, 1.0);
      a = r < 0.8    ? fmt(uniform(0.01, 1.5), 3)
          : r < 0.87 ? ""
          : r < 0.93 ? "-0.5"
                     : fmt(uniform(6.1, 20.0), 1);
      return true;
    }
    if (has(p, "Enter 1 to re-enter Amplitude Ripple")) {
      a = chance(0.6) ? "1" : "0";
      ++tally_.reprompts;
      return true;
    }
    if (has(p, "Out of Band Skirt Frequency (F1), MHz =")) {
      ++tally_.skirt;
      a = "100000";
      return true;
    }
    if (has(p, "Attenuation at Skirt Frequency(A1),dB =")) {
      a = "60";
      return true;
    }
    if (has(p, "Impedance Level of System  (Zo), Ohms =")) {
      a = chance(0.3) ? "" : fmt(uniform(10.0, 120.0), 1);
      return true;
    }
    // ---- storage
    if (has(p, "Is Output Data STORAGE desired (1=YES)=")) {
      a = chance(0.3) ? "1" : (chance(0.5) ? "" : "2");
      return true;
    }
    if (has(p, "Enter your FILENAME for Output Data Storage:")) {
      static const char* names[] = {"", "rep_a.txt", "rep_b.doc", "out.xls", "rep_a.txt"};
      if (!reserved_tried_ && chance(0.05)) {
        a = "Mandrelix.DEF";
        reserved_tried_ = true;
        ++tally_.reprompts;
      } else {
        a = names[pick(0, 4)];
      }
      return true;
    }
    // ---- circuit data files
    if (has(p, "for your Filter`s Design (up to 20 characters) =")) {
      const bool coax = has(text.substr(text.size() > 300 ? text.size() - 300 : 0),
                            "Distributed Circuit Elements");
      const double r = uniform(0.0, 1.0);
      if (r < 0.015) {
        a = coax ? "bad.cxf" : "bad.lef";
        expected_status_ = 1;
        ++tally_.rejected_files;
      } else if (r < 0.025) {
        a = "missing.dat";
        expected_status_ = 2;
        ++tally_.missing_files;
      } else if (r < 0.3) {
        a = "";  // the default from the defaults file
      } else {
        a = coax ? "walk.cxf" : "walk.lef";
      }
      return true;
    }
    // ---- next-operation menus
    if (has(p, "OPERATION selected =")) {
      a = menu_answer(text);
      return true;
    }
    return false;
  }

  // Reads the menu items above the prompt: their numbers and the starred exit.
  std::string menu_answer(std::string_view text) {
    const std::size_t head = text.rfind("Select next OPERATION:");
    std::vector<int> items;
    int exit_item = 0;
    if (head != std::string_view::npos) {
      std::istringstream lines{std::string(text.substr(head))};
      std::string line;
      std::getline(lines, line);
      while (std::getline(lines, line)) {
        const std::size_t dot = line.find(". ");
        if (dot == std::string::npos) break;
        std::size_t start = line.find_first_not_of(" *");
        if (start == std::string::npos || start >= dot) break;
        const int number = std::atoi(line.substr(start, dot - start).c_str());
        if (line.find('*') != std::string::npos && line.find('*') < dot)
          exit_item = number;
        else
          items.push_back(number);
      }
    }
    if (exit_item == 0) return "";  // not a menu seen before: a blank line ends or keeps the exit
    const bool realizability = items.size() == 1;
    if (realizability) ++tally_.realizability;
    const bool distributed_done =
        has(text.substr(head), "1. Perform FREQUENCY ANALYSIS.") && exit_item == 3;
    ++menus_;
    const double p_exit = 0.08 + 0.07 * menus_;
    if (chance(p_exit)) {
      if (chance(0.6)) return std::to_string(exit_item);
      static const char* out_of_menu[] = {"", "0", "9", "-4", "6.5"};
      return realizability ? std::string("-2") : out_of_menu[pick(0, 4)];
    }
    if (distributed_done && chance(0.1)) {
      ++tally_.listings;
      return "-529";
    }
    return std::to_string(
        items[static_cast<std::size_t>(pick(0, static_cast<int>(items.size()) - 1))]);
  }

  std::mt19937_64 rng_;
  Capture& console_;
  Tally& tally_;
  int count_ = 0;
  int menus_ = 0;
  int expected_status_ = 0;
  bool reserved_tried_ = false;
  double outer_ = 0.5;
  float fmin_ = 100.0f, fmax_ = 3000.0f;  // as the shipped defaults file sets them
  std::string problem_;
};

// The console input of a session: each line is made when the program reads.
class Answers : public std::streambuf {
 public:
  explicit Answers(Walk& walk) : walk_(walk) {}

 protected:
  int_type underflow() override {
    if (gptr() != nullptr && gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (!walk_.next(line_)) return traits_type::eof();
    line_ += '\n';
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(line_[0]);
  }

 private:
  Walk& walk_;
  std::string line_;
};

// Circuit files for the walk: a valid coaxial and lumped circuit of random
// values, and one bad file of each kind.
void write_circuit_files(const fs::path& dir, std::mt19937_64& rng) {
  const auto u = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  const auto line = [](double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.4f", v);
    return std::string(b) + "\n";
  };
  const int n = std::uniform_int_distribution<int>(2, 12)(rng);
  const double b = u(0.25, 0.8);
  std::string cxf = "walk circuit\n" + std::to_string(n) + "\n";
  cxf += line(b) + line(b * u(0.3, 0.5)) + line(1.0);
  for (int i = 1; i <= n; ++i) {
    const double bi = u(0.0, 1.0) < 0.7 ? b : u(0.25, 0.8);
    cxf += line(u(0.05, 0.9)) + line(bi) + line(bi * (i % 2 == 1 ? u(0.6, 0.92) : u(0.08, 0.3))) +
           line(u(0.0, 1.0) < 0.7 ? 1.0 : 2.1);
  }
  cxf += line(b) + line(b * u(0.3, 0.5)) + line(1.0);
  write_file(dir / "walk.cxf", cxf);

  const int m = std::uniform_int_distribution<int>(2, 12)(rng);
  std::string lef =
      "walk ladder\n" + std::to_string(std::uniform_int_distribution<int>(1, 2)(rng)) + "\n";
  for (int k = 1; k <= m; ++k) lef += line(u(0.3, 60.0));
  write_file(dir / "walk.lef", lef);

  write_file(dir / "bad.cxf", "bad circuit\n3\n0.5\n0.2\n1\n0.2\n0.5\n0.6\n1\n");
  write_file(dir / "bad.lef", "bad ladder\n1\n3.2\n0\n");
}

std::vector<std::string_view> lines_of(std::string_view s) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < s.size()) {
    std::size_t nl = s.find('\n', start);
    if (nl == std::string_view::npos) nl = s.size();
    lines.push_back(s.substr(start, nl - start));
    start = nl + 1;
  }
  return lines;
}

// The session's problems, empty when it passed.
std::string check_session(int status, const Walk& walk, const std::string& out,
                          const std::string& screen, const std::string& err, const fs::path& dir,
                          const std::set<std::string>& inputs) {
  std::ostringstream problems;
  if (!walk.problem().empty()) problems << walk.problem() << "\n";
  if (status != walk.expected_status())
    problems << "exit status " << status << ", expected " << walk.expected_status() << "\n";
  if (status == 2) {
    if (err.empty() || err.find('\n') != err.size() - 1)
      problems << "a stop must write one line to the error stream: [" << err << "]\n";
  } else if (!err.empty()) {
    problems << "error stream not empty: [" << err << "]\n";
  }
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (out[i] != '\n' && (c < 0x20 || c > 0x7e)) {
      problems << "byte " << static_cast<int>(c) << " at offset " << i << " of the console\n";
      break;
    }
  }
  const auto console = lines_of(screen);
  for (std::string_view l : console)
    if (l.size() > 200) {
      problems << "console line of " << l.size() << " characters\n";
      break;
    }

  std::map<std::string, std::string> written;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (!inputs.count(name)) written[name] = read_file(e.path());
  }
  for (const auto& [name, text] : written) {
    if (!text.empty() && text.back() != '\n') problems << name << " ends inside a line\n";
    std::size_t j = 0;
    for (std::string_view l : lines_of(text)) {
      if (l.size() > 200) problems << name << ": line of " << l.size() << " characters\n";
      while (j < console.size() && console[j] != l) ++j;
      if (j == console.size()) {
        problems << name << ": line [" << l << "] is not on the console in that order\n";
        break;
      }
      ++j;
    }
  }
  // Follow the storage answers on the console: a cycle with storage on
  // connects its file, afresh when the name differs from the file connected
  // before; each completed stored report ends with a confirmation line on the
  // console and in the file. So each file holds exactly the confirmations
  // shown since its last fresh connection.
  const std::string name_prompt = "           Enter your FILENAME for Output Data Storage: ";
  const std::string stored = "      Output Data stored in User Filename: ";
  const auto trimmed = [](std::string_view v) {
    std::string t(v.substr(0, 20));
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
  };
  std::string fno = "report.txt";  // line 36 of the shipped defaults file
  std::string connected;
  std::map<std::string, std::vector<std::string>> confirmations;
  for (std::size_t i = 0; i < console.size(); ++i) {
    const std::string_view l = console[i];
    if (l.substr(0, name_prompt.size()) == name_prompt) {
      const std::string typed = trimmed(l.substr(name_prompt.size()));
      if (!typed.empty()) fno = typed;
      const bool refused =
          i + 2 < console.size() &&
          console[i + 2].find("is reserved by Mandrelix.") != std::string_view::npos;
      if (!refused && fno != connected) {
        connected = fno;
        confirmations[fno].clear();
      }
    } else if (l.substr(0, stored.size()) == stored) {
      confirmations[trimmed(l.substr(stored.size()))].emplace_back(l);
    }
  }
  for (const auto& [name, expected] : confirmations) {
    const auto it = written.find(name);
    if (it == written.end()) {
      problems << "no report file " << name << "\n";
      continue;
    }
    std::vector<std::string> found;
    for (std::string_view l : lines_of(it->second))
      if (l.substr(0, stored.size()) == stored) found.emplace_back(l);
    if (found != expected)
      problems << name << " holds " << found.size() << " confirmations, the console showed "
               << expected.size() << " since the file was connected\n";
  }
  return problems.str();
}

TEST(Soak, RandomCompleteSessions) {
  const long sessions = env_number("MANDRELIX_SOAK_SESSIONS", 10000);
  const long first = env_number("MANDRELIX_SOAK_FIRST", 0);
  const auto t0 = std::chrono::steady_clock::now();
  Tally tally;
  long failures = 0;
  std::map<int, long> statuses;

  for (long s = first; s < first + sessions; ++s) {
    std::mt19937_64 rng(0x6d616e6472656c69ULL ^
                        static_cast<std::uint64_t>(s) * 0x9e3779b97f4a7c15ULL);
    TempDir dir;
    install_shipped_files(dir.path());
    write_circuit_files(dir.path(), rng);
    std::set<std::string> inputs;
    for (const auto& e : fs::directory_iterator(dir.path()))
      inputs.insert(e.path().filename().string());

    Capture capture;
    std::ostream out(&capture);
    Walk walk(rng(), capture, tally);
    Answers answers(walk);
    std::istream in(&answers);
    std::ostringstream err;
    const mx::FixedClock clock(mx::LocalTime{std::uniform_int_distribution<int>(1, 12)(rng),
                                             std::uniform_int_distribution<int>(1, 28)(rng),
                                             std::uniform_int_distribution<int>(1990, 2099)(rng),
                                             std::uniform_int_distribution<int>(0, 23)(rng),
                                             std::uniform_int_distribution<int>(0, 59)(rng),
                                             std::uniform_int_distribution<int>(0, 59)(rng)});

    const int status = mx::run_program(in, out, err, clock, dir.path());
    ++tally.sessions;
    ++statuses[status];
    const std::string problems = check_session(status, walk, capture.text(), capture.screen(),
                                               err.str(), dir.path(), inputs);
    if (!problems.empty()) {
      ++failures;
      ADD_FAILURE() << "session " << s << " (replay: MANDRELIX_SOAK_FIRST=" << s
                    << " MANDRELIX_SOAK_SESSIONS=1):\n"
                    << problems << "the end of the session as a terminal shows it:\n"
                    << capture.screen().substr(
                           capture.screen().size() > 4000 ? capture.screen().size() - 4000 : 0);
      if (const char* dump = std::getenv("MANDRELIX_SOAK_DUMP")) write_file(dump, capture.screen());
      if (failures >= 5) break;
    }
  }

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf(
      "soak: %ld sessions in %.1f s (%.2f ms each); %ld answers, %ld dialog cycles, %ld frequency "
      "ranges, %ld synthesis designs, %ld realizability menus, %ld diagnostic listings, %ld "
      "re-prompting answers, %ld skirt questions, %ld rejected and %ld missing circuit files; exit "
      "status",
      tally.sessions, seconds,
      1000.0 * seconds / static_cast<double>(tally.sessions > 0 ? tally.sessions : 1),
      tally.answers, tally.cycles, tally.analyses, tally.syntheses, tally.realizability,
      tally.listings, tally.reprompts, tally.skirt, tally.rejected_files, tally.missing_files);
  for (const auto& [status, count] : statuses) std::printf(" %d: %ld", status, count);
  std::printf("\n");
  EXPECT_EQ(tally.sessions, sessions);
}

}  // namespace
}  // namespace mxtest
