#include "report/report_file.h"

#include "base/fields.h"
#include "base/program_exit.h"

namespace mx {

ReportFile::~ReportFile() {
  if (file_.is_open()) file_.close();
}

namespace {

[[noreturn]] void fail(const char* doing, const Name20& name) {
  throw ProgramExit{2, std::string("file error: cannot ") + doing + " the report file \"" +
                           printable(name.trimmed()) + "\""};
}

}  // namespace

void ReportFile::connect(const Name20& name) {
  if (out_ && name == name_) return;
  if (out_) close();
  const std::string file_name(name.trimmed());
  // A NUL would silently open a shorter name than the one asked for.
  if (file_name.find('\0') != std::string::npos) fail("open", name);
  file_.open(workdir_ / file_name, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!file_) fail("open", name);
  name_ = name;
  out_ = std::make_unique<TextOut>(file_);
}

void ReportFile::flush() {
  if (!out_) return;
  file_.flush();
  check();
}

void ReportFile::check() const {
  if (out_ && !out_->good()) fail("write", name_);
}

void ReportFile::close() {
  if (!out_) return;
  file_.flush();
  const bool ok = static_cast<bool>(file_);
  file_.close();
  out_.reset();
  if (!ok || file_.fail()) fail("write", name_);
}

}  // namespace mx
