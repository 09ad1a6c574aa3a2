#include "base/name20.h"

namespace mx {

void Name20::assign(std::string_view text) {
  chars_.fill(' ');
  const std::size_t count = text.size() < width ? text.size() : width;
  for (std::size_t i = 0; i < count; ++i) chars_[i] = text[i];
}

std::string_view Name20::trimmed() const {
  std::size_t end = width;
  while (end > 0 && chars_[end - 1] == ' ') --end;
  return {chars_.data(), end};
}

bool is_reserved_name(const Name20& name) {
  static const Name20 reserved[] = {Name20("Mandrelix.DEF"), Name20("Mandrelix.EXE"),
                                    Name20("mandrelix.def"), Name20("mandrelix.exe")};
  for (const Name20& r : reserved)
    if (name == r) return true;
  return false;
}

}  // namespace mx
