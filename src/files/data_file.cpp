#include "files/data_file.h"

#include "base/fields.h"
#include "base/program_exit.h"

namespace mx {

std::filesystem::path data_file_path(const std::filesystem::path& workdir, std::string_view name) {
  return workdir / std::filesystem::path(std::string(name));
}

LineFile::LineFile(const std::filesystem::path& path, std::string_view what, std::string_view name)
    : what_(what), name_(name) {
  // A NUL inside the name would silently open a different, shorter name.
  const std::string native = path.string();
  if (name_.empty() || native.find('\0') != std::string::npos) fail("open");
  file_ = std::fopen(native.c_str(), "rb");
  if (file_ == nullptr) fail("open");
}

LineFile::~LineFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void LineFile::fail(std::string_view doing) const {
  throw ProgramExit{2, "file error: cannot " + std::string(doing) + " the " + what_ + " \"" +
                           printable(name_) + "\""};
}

bool LineFile::next(std::string& line) {
  line.clear();
  std::size_t length = 0;
  char last = '\0';
  int c = std::getc(file_);
  if (c == EOF) {
    if (std::ferror(file_)) fail("read");
    return false;
  }
  while (c != EOF && c != '\n') {
    last = static_cast<char>(c);
    if (length < kKept) line += last;
    ++length;
    c = std::getc(file_);
  }
  if (c == EOF && std::ferror(file_)) fail("read");
  if (length <= kKept && last == '\r') line.pop_back();
  return true;
}

bool EntryReader::skip() {
  if (!file_.next(line_)) return fail(ReadFault::kEnd);
  return true;
}

bool EntryReader::number(float& v) {
  if (!file_.next(line_)) return fail(ReadFault::kEnd);
  const NumericField f = read_f13(line_);
  if (!f.ok) return fail(ReadFault::kBad);
  v = f.value;
  return true;
}

bool EntryReader::name(Name20& v) {
  if (!file_.next(line_)) return fail(ReadFault::kEnd);
  v = read_a20(line_);
  return true;
}

bool EntryReader::reject(bool bad) { return bad && !fail(ReadFault::kBad); }

}  // namespace mx
