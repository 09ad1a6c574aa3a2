#include "app/field_solver.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace mx {
namespace {

namespace fs = std::filesystem;

// The exit status the script gives when openEMS cannot be imported.
constexpr int kNoOpenEms = 3;

// A scratch folder that is removed with everything in it when it goes out of scope.
class ScratchFolder {
 public:
  explicit ScratchFolder(const fs::path& parent) {
    std::string pattern = (parent / "mandrelix-em-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
      throw FieldSolverError("cannot make a scratch folder in " + parent.string() + ": " +
                             std::strerror(errno));
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The last line of the log that is not blank, or of the lines starting with `prefix` the last.
std::string last_line(const fs::path& log, const std::string& prefix) {
  std::ifstream in(log);
  std::string line, last, last_prefixed;
  while (std::getline(in, line)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    last = line;
    if (line.rfind(prefix, 0) == 0) last_prefixed = line;
  }
  return last_prefixed.empty() ? last : last_prefixed;
}

// Runs argv[0] with its output sent to `log`; its exit status (or throws when it cannot be run).
int run_child(const std::vector<std::string>& argv, const fs::path& log) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw FieldSolverError("cannot run " + argv[0] + ": " + std::strerror(spawned));
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      throw FieldSolverError("lost the field solver: " + std::string(std::strerror(errno)));
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  throw FieldSolverError("the field solver was ended by signal " +
                         std::to_string(WTERMSIG(status)));
}

double number(const std::string& word, const std::string& line) {
  char* end = nullptr;
  const double v = std::strtod(word.c_str(), &end);
  if (end == word.c_str() || *end != '\0')
    throw FieldSolverError("the full-wave result has a line that is not numbers: " + line);
  if (!std::isfinite(v))
    throw FieldSolverError("the full-wave result holds a number that is not finite: " + line);
  return v;
}

}  // namespace

FullWaveResponse read_full_wave(std::istream& in) {
  FullWaveResponse r;
  bool options = false;
  static const std::string kSolverTime = "! field solver time ";
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(kSolverTime, 0) == 0) {
      r.solver_s = std::strtod(line.c_str() + kSolverTime.size(), nullptr);
      continue;
    }
    const std::string text = line.substr(0, line.find('!'));
    std::istringstream words(text);
    std::vector<std::string> w;
    for (std::string x; words >> x;) w.push_back(x);
    if (w.empty() || w[0][0] == '[') continue;
    if (w[0] == "#") {
      // The script writes "# MHz S RI R <ohm>".
      if (w.size() < 3 || w[1] != "MHz" || w[2] != "S" || w.size() < 4 || w[3] != "RI")
        throw FieldSolverError("the full-wave result is not in MHz, S, RI: " + line);
      options = true;
      continue;
    }
    if (!options || w.size() != 9)
      throw FieldSolverError("the full-wave result is not a two-port Touchstone file: " + line);
    double v[9];
    for (int k = 0; k < 9; ++k) v[k] = number(w[static_cast<std::size_t>(k)], line);
    r.f_mhz.push_back(v[0]);
    r.s11.emplace_back(v[1], v[2]);
    r.s21.emplace_back(v[3], v[4]);
  }
  if (r.f_mhz.empty()) throw FieldSolverError("the full-wave result holds no frequency");
  return r;
}

FullWaveResponse run_field_solver(const std::string& python, const std::string& script,
                                  const std::string& resolution, const fs::path& scratch) {
  const ScratchFolder dir(scratch);
  {
    std::ofstream out(dir.path() / "model.py", std::ios::binary);
    out << script;
    out.close();
    if (!out) throw FieldSolverError("cannot write the model to " + dir.path().string());
  }
  const fs::path log = dir.path() / "solver.log";
  const int status =
      run_child({python, (dir.path() / "model.py").string(), (dir.path() / "result.s2p").string(),
                 "--resolution", resolution, "--threads", "1"},
                log);
  if (status == kNoOpenEms) throw FieldSolverError(last_line(log, "em model:"));
  if (status == 127 || status == 126)
    throw FieldSolverError("cannot run " + python + " (" + last_line(log, "") + ")");
  if (status != 0)
    throw FieldSolverError("the field solver ended with status " + std::to_string(status) + ": " +
                           last_line(log, "em model:"));
  std::ifstream in(dir.path() / "result.s2p");
  if (!in) throw FieldSolverError("the field solver wrote no result");
  return read_full_wave(in);
}

}  // namespace mx
