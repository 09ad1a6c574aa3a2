// Fixed-size arrays that keep the index ranges of the design record
// (several start at 0 for the source line, others at 1 for the first section).
#pragma once

#include <array>
#include <cstddef>

namespace mx {

[[noreturn]] void index_fault(int index, int lo, int hi);

template <typename T, int Lo, int Hi>
class IndexArray {
 public:
  static constexpr int lo = Lo;
  static constexpr int hi = Hi;

  T& operator()(int i) { return data_[slot(i)]; }
  const T& operator()(int i) const { return data_[slot(i)]; }
  void fill(T v) { data_.fill(v); }

 private:
  static std::size_t slot(int i) {
    if (i < Lo || i > Hi) index_fault(i, Lo, Hi);
    return static_cast<std::size_t>(i - Lo);
  }
  std::array<T, Hi - Lo + 1> data_{};
};

template <typename T, int Lo1, int Hi1, int Lo2, int Hi2>
class IndexArray2 {
 public:
  T& operator()(int i, int j) { return data_[slot(i, j)]; }
  const T& operator()(int i, int j) const { return data_[slot(i, j)]; }
  void fill(T v) { data_.fill(v); }

 private:
  static constexpr int cols = Hi2 - Lo2 + 1;
  static std::size_t slot(int i, int j) {
    if (i < Lo1 || i > Hi1) index_fault(i, Lo1, Hi1);
    if (j < Lo2 || j > Hi2) index_fault(j, Lo2, Hi2);
    return static_cast<std::size_t>((i - Lo1) * cols + (j - Lo2));
  }
  std::array<T, (Hi1 - Lo1 + 1) * (Hi2 - Lo2 + 1)> data_{};
};

}  // namespace mx
