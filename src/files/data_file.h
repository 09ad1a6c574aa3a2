// Line-by-line reading of the program's data files (the defaults file and the
// circuit data files), and the entry reader they share.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/name20.h"
#include "base/text_out.h"

namespace mx {

// A text file read one line at a time, in binary mode. A line ends at LF; a
// CR just before the LF belongs to the line end (files written on Windows),
// as does a CR at the very end of the file. Only the first kKept characters
// of a line are kept (the records hold at most 20 significant columns), so a
// huge line or arbitrary binary content costs nothing. The last line counts
// even without its LF.
class LineFile {
 public:
  static constexpr std::size_t kKept = 64;

  // Opens the file for reading. When it cannot be opened the run ends with
  // status 2 and one line naming it: "<what> <name>" tells which file.
  LineFile(const std::filesystem::path& path, std::string_view what, std::string_view name);
  ~LineFile();
  LineFile(const LineFile&) = delete;
  LineFile& operator=(const LineFile&) = delete;

  // Reads the next line into line. False at the end of the file. A failing
  // read (the name is a folder, a device error) ends the run like a file
  // that cannot be opened.
  bool next(std::string& line);

 private:
  [[noreturn]] void fail(std::string_view doing) const;

  std::FILE* file_ = nullptr;
  std::string what_;
  std::string name_;
};

// A name of the design record as a file in the working folder.
std::filesystem::path data_file_path(const std::filesystem::path& workdir, std::string_view name);

// Why the reading of a data file stopped.
enum class ReadFault { kNone, kEnd, kBad };

// One entry a line, in file order: every reader stores an entry as soon as it
// is read, tests it, and stops at the first failure, which this remembers.
class EntryReader {
 public:
  EntryReader(const std::filesystem::path& path, std::string_view what, std::string_view name)
      : file_(path, what, name) {}

  // A line whose content is not used (a title); false at the end of the file.
  bool skip();
  // A number by the "(F13.0)" rules into v; false at the end of the file or
  // for a line that is not a number, v then unchanged.
  bool number(float& v);
  // A name by the "(A20)" rules into v; false at the end of the file.
  bool name(Name20& v);
  // True (a bad entry) when bad holds: the reading stops there.
  bool reject(bool bad);

  ReadFault fault() const { return fault_; }

 private:
  bool fail(ReadFault f) {
    fault_ = f;
    return false;
  }

  LineFile file_;
  std::string line_;
  ReadFault fault_ = ReadFault::kNone;
};

// Runs a reader (run() true when the whole file was taken) and, when it
// stopped at a bad entry, has it write its message to console.
template <typename Reader>
bool read_or_report(Reader&& reader, TextOut& console) {
  if (reader.run()) return true;
  reader.report(console);
  return false;
}

}  // namespace mx
