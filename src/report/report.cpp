#include "report/report.h"

#include "report/shared_formats.h"

namespace mx {

void Report::both(const Format& f, std::initializer_list<Value> values) {
  console_.write(f, values);
  if (file_) file_->write_text(console_.last_text());
}

void Report::both_text(std::string_view text) {
  console_.write_text(text);
  if (file_) file_->write_text(text);
}

void Report::console(const Format& f, std::initializer_list<Value> values) {
  console_.write(f, values);
}

void Report::close(const Name20& fno) {
  static const Format kStored("(6X,'Output Data stored in User Filename: ',A20)");
  console_.write(report_rule());
  if (!file_) return;
  file_->write(report_rule());
  console_.write(kStored, {fno});
  file_->write(kStored, {fno});
}

}  // namespace mx
