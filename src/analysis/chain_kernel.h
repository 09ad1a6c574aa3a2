// The chain product of the cascades, with the running product in registers.
//
// A cascade multiplies a running product by one element matrix after
// another. Through TwoPort in memory, each product stores its parts four
// bytes at a time and the next one reads them back sixteen at a time, a
// store-forwarding stall per product. Here the running product stays in two
// SSE2 registers and each element is given with its parts spread over the
// lanes, so a product is a few dozen register operations.
//
// Every lane gives the bits of chain_product (two_port.cpp) for its part:
// the same two multiplications, their difference (real part) or sum
// (imaginary part), the part limited as limit_part does, added onto an exact
// zero, then the second limited product added. The difference is formed as
// x1 x2 + y1 (-y2), so that one addition serves both halves; this relies on
// two exact identities of IEEE arithmetic, a (-b) = -(a b) and
// a + (-b) = a - b, which hold for every value but NaN, where only the sign
// of the NaN can differ (and a NaN prints as NaN whatever its sign). A
// randomized test (tests/analysis/chain_kernel_test.cpp) holds the product
// to chain_product over signed zeros, subnormals, values at the limit,
// infinities and NaN. Targets without SSE2 use chain_product itself.
#pragma once

#include <utility>

#include "analysis/two_port.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define MX_CHAIN_SSE2 1
#else
#define MX_CHAIN_SSE2 0
#endif

// x86-64 with GCC or Clang: a second kernel for two chains at once in AVX
// registers, compiled for AVX function by function (the program itself is
// built for the base instruction set) and chosen at run time.
#if MX_CHAIN_SSE2 && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>
#define MX_CHAIN_AVX 1
#define MX_CHAIN_AVX_CODE __attribute__((target("avx")))
// (the kernel's own functions always inline: called out of line, a pair goes
// through memory)
#define MX_CHAIN_AVX_INLINE __attribute__((target("avx"), always_inline)) inline
#else
#define MX_CHAIN_AVX 0
#endif

namespace mx {

#if MX_CHAIN_SSE2

// The running product column by column: ac = (A re, C re, A im, C im),
// bd = (B re, D re, B im, D im). With the real parts of a column in the low
// half and the imaginary parts in the high half, a column times a complex
// number x2 + j y2 is two multiplications and one addition.
struct ChainState {
  __m128 ac;
  __m128 bd;
};

// The right operand of a product. For each part x2 + j y2 (A, B, C, D):
// x2 in all four lanes, and y2 negated in the low (real) half:
// (-y2, -y2, y2, y2).
struct ChainFactor {
  __m128 ar, ai, br, bi, cr, ci, dr, di;
};

namespace chain_detail {

inline __m128 swap_halves(__m128 x) { return _mm_shuffle_ps(x, x, _MM_SHUFFLE(1, 0, 3, 2)); }

// limit_part in every lane. max(-L, x) passes x when x is NaN or not below
// -L, min(L, .) likewise, so a part beyond the limit takes the limit with its
// sign and NaN, zeros of either sign and the limit itself pass unchanged.
inline __m128 limit_parts(__m128 x) {
  return _mm_min_ps(_mm_set1_ps(kPartLimit), _mm_max_ps(_mm_set1_ps(-kPartLimit), x));
}

// The column (x1 of two entries | y1 of them) times x2 + j y2, each part
// limited: complex_product entry by entry. swapped is the column with its
// halves exchanged, y2s the imaginary part as in ChainFactor.
inline __m128 column_times(__m128 column, __m128 swapped, __m128 x2, __m128 y2s) {
  const __m128 p = _mm_mul_ps(column, x2);    // x1 x2 | y1 x2
  const __m128 q = _mm_mul_ps(swapped, y2s);  // y1 (-y2) | x1 y2
  return limit_parts(_mm_add_ps(p, q));       // x1 x2 - y1 y2 | x2 y1 + x1 y2
}

// (-y, -y, y, y): y in every lane, the sign of the low half flipped.
inline __m128 imaginary_lanes(float y) {
  return _mm_xor_ps(_mm_set1_ps(y), _mm_setr_ps(-0.0f, -0.0f, 0.0f, 0.0f));
}

}  // namespace chain_detail

// left . right
inline ChainState times(const ChainState& left, const ChainFactor& right) {
  using chain_detail::column_times;
  const __m128 ac_swapped = chain_detail::swap_halves(left.ac);
  const __m128 bd_swapped = chain_detail::swap_halves(left.bd);
  const __m128 zero = _mm_setzero_ps();
  ChainState out;
  // A = A1.A2 + B1.C2 and C = C1.A2 + D1.C2.
  out.ac = _mm_add_ps(_mm_add_ps(zero, column_times(left.ac, ac_swapped, right.ar, right.ai)),
                      column_times(left.bd, bd_swapped, right.cr, right.ci));
  // B = A1.B2 + B1.D2 and D = C1.B2 + D1.D2.
  out.bd = _mm_add_ps(_mm_add_ps(zero, column_times(left.ac, ac_swapped, right.br, right.bi)),
                      column_times(left.bd, bd_swapped, right.dr, right.di));
  return out;
}

inline ChainState to_chain(const TwoPort& m) {
  const auto& v = m.v;
  return ChainState{_mm_setr_ps(v[0], v[4], v[1], v[5]), _mm_setr_ps(v[2], v[6], v[3], v[7])};
}

inline TwoPort to_two_port(const ChainState& c) {
  alignas(16) float ac[4];
  alignas(16) float bd[4];
  _mm_store_ps(ac, c.ac);
  _mm_store_ps(bd, c.bd);
  TwoPort m;
  m.v = {ac[0], ac[2], bd[0], bd[2], ac[1], ac[3], bd[1], bd[3]};
  return m;
}

inline ChainFactor factor_of(const TwoPort& m) {
  using chain_detail::imaginary_lanes;
  const auto& v = m.v;
  return ChainFactor{_mm_set1_ps(v[0]),     imaginary_lanes(v[1]), _mm_set1_ps(v[2]),
                     imaginary_lanes(v[3]), _mm_set1_ps(v[4]),     imaginary_lanes(v[5]),
                     _mm_set1_ps(v[6]),     imaginary_lanes(v[7])};
}

// The element matrices of element_two_port built in registers: the identity
// with the imaginary part of B (series reactance x, ohm) or of C (shunt
// susceptance b, S) set.
inline ChainFactor series_factor(float x) {
  using chain_detail::imaginary_lanes;
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 zero = _mm_setzero_ps();
  const __m128 zero_im = imaginary_lanes(0.0f);
  return ChainFactor{one, zero_im, zero, imaginary_lanes(x), zero, zero_im, one, zero_im};
}

inline ChainFactor shunt_factor(float b) {
  using chain_detail::imaginary_lanes;
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 zero = _mm_setzero_ps();
  const __m128 zero_im = imaginary_lanes(0.0f);
  return ChainFactor{one, zero_im, zero, zero_im, zero, imaginary_lanes(b), one, zero_im};
}

// The products by the two ladder elements, shortened to the terms that can
// change a bit while the running product holds no NaN. Every part is then
// finite (at most twice the limit: a sum of two limited parts), and the
// terms of times(left, series_factor(x)) that come from the element's zeros
// and ones add only zeros of some sign, and multiply by one, which changes
// nothing after the addition onto an exact zero that follows. What is left:
//   series [1, jx; 0, 1]:  A' = 0 + lim(A),  B' = (0 + lim(jx A)) + lim(B)
//   shunt  [1, 0; jb, 1]:  A' = (0 + lim(A)) + lim(jb B),  B' = 0 + lim(B)
// (C', D' likewise from C, D), for any x or b, infinite or NaN included.
// A NaN, once in a lane of the running product, stays in that lane through
// every later product, shortened or not. So a chain of products that ends
// without NaN (holds_nan) held none on its way and equals the chain of full
// products bit for bit; one that ends with a NaN is computed again in full.
inline ChainState times_series(const ChainState& left, float x) {
  using chain_detail::limit_parts;
  const __m128 zero = _mm_setzero_ps();
  const __m128 ac_swapped = chain_detail::swap_halves(left.ac);
  const __m128 jxa = _mm_mul_ps(ac_swapped, chain_detail::imaginary_lanes(x));
  ChainState out;
  out.ac = _mm_add_ps(zero, limit_parts(left.ac));
  out.bd = _mm_add_ps(_mm_add_ps(zero, limit_parts(jxa)), limit_parts(left.bd));
  return out;
}

inline ChainState times_shunt(const ChainState& left, float b) {
  using chain_detail::limit_parts;
  const __m128 zero = _mm_setzero_ps();
  const __m128 bd_swapped = chain_detail::swap_halves(left.bd);
  const __m128 jbb = _mm_mul_ps(bd_swapped, chain_detail::imaginary_lanes(b));
  ChainState out;
  out.ac = _mm_add_ps(_mm_add_ps(zero, limit_parts(left.ac)), limit_parts(jbb));
  out.bd = _mm_add_ps(zero, limit_parts(left.bd));
  return out;
}

// The same products when the element before was of the other kind (or
// none: the running product is the identity), so that the column the
// element leaves alone is already 0 + lim(.) of something: limiting it
// again changes nothing, and neither does an addition onto zero, nor one
// of a -0 to it (it is never -0 itself). What is left:
//   series after shunt:  A' = 0 + lim(A),  B' = lim(jx A) + B
//   shunt after series:  A' = A + lim(jb B),  B' = 0 + lim(B)
// NaN lanes stay as they do in the products above.
inline ChainState times_series_after_shunt(const ChainState& left, float x) {
  using chain_detail::limit_parts;
  const __m128 ac_swapped = chain_detail::swap_halves(left.ac);
  const __m128 jxa = _mm_mul_ps(ac_swapped, chain_detail::imaginary_lanes(x));
  ChainState out;
  out.ac = _mm_add_ps(_mm_setzero_ps(), limit_parts(left.ac));
  out.bd = _mm_add_ps(limit_parts(jxa), left.bd);
  return out;
}

inline ChainState times_shunt_after_series(const ChainState& left, float b) {
  using chain_detail::limit_parts;
  const __m128 bd_swapped = chain_detail::swap_halves(left.bd);
  const __m128 jbb = _mm_mul_ps(bd_swapped, chain_detail::imaginary_lanes(b));
  ChainState out;
  out.ac = _mm_add_ps(left.ac, limit_parts(jbb));
  out.bd = _mm_add_ps(_mm_setzero_ps(), limit_parts(left.bd));
  return out;
}

inline bool holds_nan(const ChainState& c) {
  return _mm_movemask_ps(_mm_or_ps(_mm_cmpunord_ps(c.ac, c.ac), _mm_cmpunord_ps(c.bd, c.bd))) != 0;
}

#else  // no SSE2: the plain product

struct ChainState {
  TwoPort m;
};
struct ChainFactor {
  TwoPort m;
};

inline ChainState times(const ChainState& left, const ChainFactor& right) {
  ChainState out;
  chain_product(out.m, left.m, right.m);
  return out;
}
inline ChainState to_chain(const TwoPort& m) { return ChainState{m}; }
inline TwoPort to_two_port(const ChainState& c) { return c.m; }
inline ChainFactor factor_of(const TwoPort& m) { return ChainFactor{m}; }
inline ChainFactor series_factor(float x) {
  ChainFactor f;
  f.m.v[3] = x;
  return f;
}
inline ChainFactor shunt_factor(float b) {
  ChainFactor f;
  f.m.v[5] = b;
  return f;
}
inline ChainState times_series(const ChainState& left, float x) {
  return times(left, series_factor(x));
}
inline ChainState times_shunt(const ChainState& left, float b) {
  return times(left, shunt_factor(b));
}
inline ChainState times_series_after_shunt(const ChainState& left, float x) {
  return times(left, series_factor(x));
}
inline ChainState times_shunt_after_series(const ChainState& left, float b) {
  return times(left, shunt_factor(b));
}
inline bool holds_nan(const ChainState&) { return false; }  // the products are the full ones

#endif

inline ChainState chain_identity() { return to_chain(TwoPort::identity()); }

// body(0), ..., body(N - 1) written out at compile time: N independent
// chains advanced this way stay in registers, and their products interleave
// so that the processor overlaps them.
template <int N, typename Body>
inline void for_each_chain(Body&& body) {
  [&]<int... J>(std::integer_sequence<int, J...>) { (body(J), ...); }
  (std::make_integer_sequence<int, N>{});
}

#if MX_CHAIN_AVX

// Two chains in the 256 bits of AVX: the first chain's ChainState lanes in
// the low 128 bits, the second's in the high 128. AVX multiplies, adds and
// takes minima and maxima lane by lane as SSE does, to the bit and with the
// same NaN rules, and every lane operation here stays within its 128-bit
// half, so a pair advanced by these products is the two chains advanced by
// the ones above. Only for code compiled for AVX (MX_CHAIN_AVX_CODE), called
// where chain_avx_available() holds.
struct ChainPair {
  __m256 ac;
  __m256 bd;
};
struct FactorPair {
  __m256 ar, ai, br, bi, cr, ci, dr, di;
};

namespace chain_avx {

MX_CHAIN_AVX_INLINE __m256 join(__m128 low, __m128 high) {
  return _mm256_insertf128_ps(_mm256_castps128_ps256(low), high, 1);
}
MX_CHAIN_AVX_INLINE __m256 swap_halves(__m256 x) {
  return _mm256_permute_ps(x, _MM_SHUFFLE(1, 0, 3, 2));
}
MX_CHAIN_AVX_INLINE __m256 limit_parts(__m256 x) {
  return _mm256_min_ps(_mm256_set1_ps(kPartLimit), _mm256_max_ps(_mm256_set1_ps(-kPartLimit), x));
}
MX_CHAIN_AVX_INLINE __m256 column_times(__m256 column, __m256 swapped, __m256 x2, __m256 y2s) {
  const __m256 p = _mm256_mul_ps(column, x2);
  const __m256 q = _mm256_mul_ps(swapped, y2s);
  return limit_parts(_mm256_add_ps(p, q));
}
// (y0, y0, y0, y0 | y1, y1, y1, y1) made (-y0, -y0, y0, y0 | -y1, -y1, y1, y1)
MX_CHAIN_AVX_INLINE __m256 imaginary_lanes(__m256 y) {
  return _mm256_xor_ps(y, _mm256_setr_ps(-0.0f, -0.0f, 0.0f, 0.0f, -0.0f, -0.0f, 0.0f, 0.0f));
}
MX_CHAIN_AVX_INLINE __m256 imaginary_lanes(float y0, float y1) {
  return imaginary_lanes(join(_mm_set1_ps(y0), _mm_set1_ps(y1)));
}

}  // namespace chain_avx

MX_CHAIN_AVX_INLINE ChainPair pair_of(const ChainState& first, const ChainState& second) {
  return ChainPair{chain_avx::join(first.ac, second.ac), chain_avx::join(first.bd, second.bd)};
}
MX_CHAIN_AVX_INLINE ChainState first_of(const ChainPair& p) {
  return ChainState{_mm256_castps256_ps128(p.ac), _mm256_castps256_ps128(p.bd)};
}
MX_CHAIN_AVX_INLINE ChainState second_of(const ChainPair& p) {
  return ChainState{_mm256_extractf128_ps(p.ac, 1), _mm256_extractf128_ps(p.bd, 1)};
}
MX_CHAIN_AVX_INLINE FactorPair factor_pair(const ChainFactor& f, const ChainFactor& g) {
  using chain_avx::join;
  return FactorPair{join(f.ar, g.ar), join(f.ai, g.ai), join(f.br, g.br), join(f.bi, g.bi),
                    join(f.cr, g.cr), join(f.ci, g.ci), join(f.dr, g.dr), join(f.di, g.di)};
}

// times, times_series, ... of chain_kernel.h for both chains of a pair; the
// element values x, b as imaginary lanes (imaginary_lanes), or as numbers:
// x0, b0 the first chain's, x1, b1 the second's.
MX_CHAIN_AVX_INLINE ChainPair times(const ChainPair& left, const FactorPair& right) {
  using chain_avx::column_times;
  const __m256 ac_swapped = chain_avx::swap_halves(left.ac);
  const __m256 bd_swapped = chain_avx::swap_halves(left.bd);
  const __m256 zero = _mm256_setzero_ps();
  ChainPair out;
  out.ac = _mm256_add_ps(_mm256_add_ps(zero, column_times(left.ac, ac_swapped, right.ar, right.ai)),
                         column_times(left.bd, bd_swapped, right.cr, right.ci));
  out.bd = _mm256_add_ps(_mm256_add_ps(zero, column_times(left.ac, ac_swapped, right.br, right.bi)),
                         column_times(left.bd, bd_swapped, right.dr, right.di));
  return out;
}

MX_CHAIN_AVX_INLINE ChainPair times_series(const ChainPair& left, __m256 x) {
  using chain_avx::limit_parts;
  const __m256 zero = _mm256_setzero_ps();
  const __m256 jxa = _mm256_mul_ps(chain_avx::swap_halves(left.ac), x);
  ChainPair out;
  out.ac = _mm256_add_ps(zero, limit_parts(left.ac));
  out.bd = _mm256_add_ps(_mm256_add_ps(zero, limit_parts(jxa)), limit_parts(left.bd));
  return out;
}

MX_CHAIN_AVX_INLINE ChainPair times_shunt(const ChainPair& left, __m256 b) {
  using chain_avx::limit_parts;
  const __m256 zero = _mm256_setzero_ps();
  const __m256 jbb = _mm256_mul_ps(chain_avx::swap_halves(left.bd), b);
  ChainPair out;
  out.ac = _mm256_add_ps(_mm256_add_ps(zero, limit_parts(left.ac)), limit_parts(jbb));
  out.bd = _mm256_add_ps(zero, limit_parts(left.bd));
  return out;
}

MX_CHAIN_AVX_INLINE ChainPair times_series_after_shunt(const ChainPair& left, __m256 x) {
  using chain_avx::limit_parts;
  const __m256 jxa = _mm256_mul_ps(chain_avx::swap_halves(left.ac), x);
  ChainPair out;
  out.ac = _mm256_add_ps(_mm256_setzero_ps(), limit_parts(left.ac));
  out.bd = _mm256_add_ps(limit_parts(jxa), left.bd);
  return out;
}

MX_CHAIN_AVX_INLINE ChainPair times_shunt_after_series(const ChainPair& left, __m256 b) {
  using chain_avx::limit_parts;
  const __m256 jbb = _mm256_mul_ps(chain_avx::swap_halves(left.bd), b);
  ChainPair out;
  out.ac = _mm256_add_ps(left.ac, limit_parts(jbb));
  out.bd = _mm256_add_ps(_mm256_setzero_ps(), limit_parts(left.bd));
  return out;
}

MX_CHAIN_AVX_INLINE ChainPair times_series(const ChainPair& left, float x0, float x1) {
  return times_series(left, chain_avx::imaginary_lanes(x0, x1));
}
MX_CHAIN_AVX_INLINE ChainPair times_shunt(const ChainPair& left, float b0, float b1) {
  return times_shunt(left, chain_avx::imaginary_lanes(b0, b1));
}
MX_CHAIN_AVX_INLINE ChainPair times_series_after_shunt(const ChainPair& left, float x0, float x1) {
  return times_series_after_shunt(left, chain_avx::imaginary_lanes(x0, x1));
}
MX_CHAIN_AVX_INLINE ChainPair times_shunt_after_series(const ChainPair& left, float b0, float b1) {
  return times_shunt_after_series(left, chain_avx::imaginary_lanes(b0, b1));
}

// Whether this processor runs AVX and the system keeps its registers (the
// AVX and OSXSAVE bits of CPUID leaf 1, and the SSE and AVX state bits of
// XCR0), asked once. (One query: the compiler's own __builtin_cpu_supports
// would run its whole start-up probe of the processor, tens of microseconds
// where the processor is virtual.)
inline bool chain_avx_available() {
  static const bool available = [] {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0) return false;
    if ((c & bit_AVX) == 0 || (c & bit_OSXSAVE) == 0) return false;
    unsigned xcr0 = 0, high = 0;
    __asm__("xgetbv" : "=a"(xcr0), "=d"(high) : "c"(0));
    return (xcr0 & 6u) == 6u;
  }();
  return available;
}

#endif  // MX_CHAIN_AVX

}  // namespace mx
