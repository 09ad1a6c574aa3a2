// The report file: connected by name when a cycle asks for storage, kept
// open from cycle to cycle, closed with everything written at the end of the run.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "base/name20.h"
#include "base/text_out.h"

namespace mx {

class ReportFile {
 public:
  explicit ReportFile(std::filesystem::path workdir) : workdir_(std::move(workdir)) {}
  ~ReportFile();

  // Same name as the connected file: nothing changes, new records follow the
  // old ones. Another name: the old file is closed and the new one is
  // created (or replaced) and written from its beginning.
  // A file that cannot be opened ends the run (status 2).
  void connect(const Name20& name);

  // The connected file, or null.
  TextOut* out() { return out_.get(); }
  // Writes everything buffered so far to the file (nothing when none is
  // connected); a failure ends the run (status 2).
  void flush();
  // Ends the run (status 2) when a write to the file has failed.
  void check() const;
  // Flushes and closes the file; a failure ends the run (status 2).
  void close();

 private:
  std::filesystem::path workdir_;
  Name20 name_;
  std::ofstream file_;
  std::unique_ptr<TextOut> out_;
};

}  // namespace mx
