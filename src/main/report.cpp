#include "main/report.h"

#include "main/program_exit.h"

namespace mx {

void Report::both(const Format& f, std::initializer_list<Value> values) {
  console_.write(f, values);
  if (file_) file_->write(f, values);
}

void Report::console(const Format& f, std::initializer_list<Value> values) {
  console_.write(f, values);
}

void Report::close(const Name20& fno) {
  static const Format kRule("(6X,72(1H-))");
  static const Format kStored("(6X,'Output Data stored in User Filename: ',A20)");
  console_.write(kRule);
  if (!file_) return;
  file_->write(kRule);
  console_.write(kStored, {fno});
  file_->write(kStored, {fno});
}

}  // namespace mx
