// A 20-character, blank-padded name field (file names of the design record).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace mx {

class Name20 {
 public:
  static constexpr std::size_t width = 20;

  Name20() { chars_.fill(' '); }
  // Takes the first 20 characters of text, padded with blanks.
  explicit Name20(std::string_view text) { assign(text); }

  void assign(std::string_view text);
  // All 20 characters, trailing blanks included.
  std::string_view view() const { return {chars_.data(), chars_.size()}; }
  // The name without its trailing blanks (what a file is opened under).
  std::string_view trimmed() const;
  bool blank() const { return trimmed().empty(); }

  bool operator==(const Name20& other) const = default;

 private:
  std::array<char, width> chars_;
};

// True for the program's own file names, which no data or report file may take.
// The comparison is exact over all 20 characters.
bool is_reserved_name(const Name20& name);

}  // namespace mx
