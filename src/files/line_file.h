// Line-by-line reading of the program's data files (the defaults file and the
// circuit data files).
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

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

// A name of the design record as a file in the working folder: the name
// without its trailing blanks.
std::filesystem::path data_file_path(const std::filesystem::path& workdir, std::string_view name);

}  // namespace mx
