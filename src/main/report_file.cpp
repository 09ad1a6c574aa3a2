#include "main/report_file.h"

#include "main/program_exit.h"

namespace mx {

ReportFile::~ReportFile() {
  if (file_.is_open()) file_.close();
}

void ReportFile::connect(const Name20& name) {
  if (out_ && name == name_) return;
  if (out_) close();
  const std::string shown(name.trimmed());
  file_.open(workdir_ / shown, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!file_) throw ProgramExit{2, "cannot open report file '" + shown + "'"};
  name_ = name;
  out_ = std::make_unique<TextOut>(file_);
}

void ReportFile::check() const {
  if (out_ && !out_->good())
    throw ProgramExit{2, "cannot write report file '" + std::string(name_.trimmed()) + "'"};
}

void ReportFile::close() {
  if (!out_) return;
  file_.flush();
  const bool ok = static_cast<bool>(file_);
  file_.close();
  out_.reset();
  if (!ok || file_.fail())
    throw ProgramExit{2, "cannot write report file '" + std::string(name_.trimmed()) + "'"};
}

}  // namespace mx
