// Helpers for the picture tests: a structural XML check, attribute lookup, scratch folders and
// running the Python checks next to this file.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace mx::picture_checks {

// Empty when every element is closed in order and attribute values are quoted; else what failed.
inline std::string xml_structure_error(const std::string& s) {
  std::vector<std::string> open;
  std::size_t i = 0;
  int roots = 0;
  while ((i = s.find('<', i)) != std::string::npos) {
    if (s.compare(i, 5, "<?xml") == 0) {
      i = s.find("?>", i);
      if (i == std::string::npos) return "unterminated declaration";
      continue;
    }
    const std::size_t end = s.find('>', i);
    if (end == std::string::npos) return "unterminated tag";
    std::string tag = s.substr(i + 1, end - i - 1);
    i = end + 1;
    if (tag.find('<') != std::string::npos) return "'<' inside a tag";
    std::size_t quotes = 0;
    for (const char c : tag) quotes += c == '"';
    if (quotes % 2 != 0) return "unbalanced quotes in <" + tag + ">";
    if (!tag.empty() && tag[0] == '/') {
      const std::string name = tag.substr(1);
      if (open.empty() || open.back() != name) return "unexpected </" + name + ">";
      open.pop_back();
      continue;
    }
    const bool self_closing = !tag.empty() && tag.back() == '/';
    const std::string name = tag.substr(0, tag.find_first_of(" \t\n/"));
    if (open.empty()) ++roots;
    if (!self_closing) open.push_back(name);
  }
  if (!open.empty()) return "<" + open.back() + "> not closed";
  if (roots != 1) return "expected one root element";
  return "";
}

// Each element of the given name, as its text from '<' to '>'.
inline std::vector<std::string> elements(const std::string& svg, const std::string& name) {
  std::vector<std::string> out;
  const std::string open = "<" + name + " ";
  for (std::size_t i = svg.find(open); i != std::string::npos; i = svg.find(open, i + 1)) {
    out.push_back(svg.substr(i, svg.find('>', i) - i + 1));
  }
  return out;
}

// Value of attribute `name` in an element's text, or "" when absent.
inline std::string attr(const std::string& element, const std::string& name) {
  const std::string key = " " + name + "=\"";
  const std::size_t at = element.find(key);
  if (at == std::string::npos) return "";
  const std::size_t from = at + key.size();
  return element.substr(from, element.find('"', from) - from);
}

// A scratch folder, removed afterwards unless MANDRELIX_EXPORT_ARTIFACTS names a folder to keep the
// files in (handy for looking at the pictures).
class Scratch {
 public:
  explicit Scratch(const std::string& name) {
    static std::atomic<int> counter{0};
    if (const char* keep = std::getenv("MANDRELIX_EXPORT_ARTIFACTS"); keep && *keep) {
      dir_ = std::filesystem::path(keep) / name;
      keep_ = true;
    } else {
      dir_ =
          std::filesystem::temp_directory_path() / ("mx_pictures_" + std::to_string(::getpid()) +
                                                    "_" + std::to_string(counter++) + "_" + name);
    }
    std::filesystem::create_directories(dir_);
  }
  ~Scratch() {
    std::error_code ec;
    if (!keep_) std::filesystem::remove_all(dir_, ec);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  std::string path(const std::string& file) const { return (dir_ / file).string(); }
  void write(const std::string& file, const std::string& text) const {
    std::ofstream(path(file)) << text;
  }

 private:
  std::filesystem::path dir_;
  bool keep_ = false;
};

// Runs tests/export/<script> with /usr/bin/python3; returns its exit status (77: a tool is
// missing), with its output in `log`.
inline int run_check(const std::string& script, const std::string& args, const Scratch& dir,
                     std::string& log) {
  const std::string out = dir.path(script + ".log");
  const std::string cmd = "/usr/bin/python3 '" + std::string(MANDRELIX_SOURCE_DIR) +
                          "/tests/export/" + script + "' " + args + " > '" + out + "' 2>&1";
  const int status = std::system(cmd.c_str());
  std::ifstream in(out);
  log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace mx::picture_checks
