// Method. The transmission (P), reflection (F) and denominator (E)
// polynomials of S21 = P/E, S11 = F/E, with |E|^2 = |P|^2 + |F|^2 on the
// j-axis, give the input admittance Y = (E - F)/(E + F) of the ladder between
// equal 1-ohm terminations. E (and F of the all-pole responses) is the
// Hurwitz factor of its squared magnitude, found from the roots in w = omega^2.
// The ladder is then taken from Y by zero shifting (H. J. Orchard and G. C.
// Temes, "Filter design using transformed variables", IEEE Trans. Circuit
// Theory 15(4), 1968; the same extraction as in A. I. Zverev, "Handbook of
// Filter Synthesis", 1967, ch. 3): for each finite transmission zero w_k a
// shunt capacitor is removed in part, so that the rest of Y vanishes at
// j w_k, and the pole of 1/Y there is removed as a parallel-resonant series
// arm; the zeros at infinity that remain give a plain continued fraction.
//
// Responses.
// - Bessel: E the reverse Bessel polynomial, its frequency scaled so that
//   |S21| is -3.01 dB at 1 (W. E. Thomson, "Delay networks having maximally
//   flat frequency characteristics", Proc. IEE 96, 1949).
// - Legendre: |K|^2 = L_n(w) of A. Papoulis, "Optimum filters with monotonic
//   response", Proc. IRE 46(3), 1958 (odd n) and M. Fukada, "Optimum filters of
//   even orders with monotonic response", IRE Trans. Circuit Theory 6(3), 1959.
// - Elliptic: the zeros of the elliptic rational function from Jacobi's sn
//   and the degree equation by the nome series (R. W. Daniels, "Approximation
//   Methods for Electronic Filter Design", 1974, ch. 5). An even order has
//   its highest transmission zero moved to infinity and its lowest reflection
//   zero to DC by the map of omega^2 that keeps the passband edge ("type C",
//   R. Saal and E. Ulbrich, "On the design of filters by synthesis", IRE
//   Trans. Circuit Theory 5(4), 1958), so that it too runs between equal
//   terminations.
#include "synthesis/prototype.h"

#include <quadmath.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

// clang counts every double constant widened to __float128 as a promotion;
// here each is meant (the prototype works in quadruple precision throughout).
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wdouble-promotion"
#endif

namespace mx {
namespace {

// Quadruple precision (113-bit significand): a 15th-order ladder taken from
// the coefficients of its admittance loses some 20 of its digits.
using Real = __float128;
using Poly = std::vector<Real>;  // ascending powers

const Real kPiL = acosq(-1);

// The elliptic stopband edge that is still a filter worth building, in
// passband edges; beyond it the transmission zeros move out of any sweep.
constexpr double kMaxStopbandEdge = 100.0;

Real sqrt(Real x) { return sqrtq(x); }
Real fabs(Real x) { return fabsq(x); }
Real exp(Real x) { return expq(x); }
Real expm1(Real x) { return expm1q(x); }
Real log(Real x) { return logq(x); }
Real pow(Real x, Real y) { return powq(x, y); }
Real sin(Real x) { return sinq(x); }
Real cos(Real x) { return cosq(x); }
Real asin(Real x) { return asinq(x); }
Real ldexp(Real x, int e) { return ldexpq(x, e); }

// The few complex operations needed, in Real.
struct Complex {
  Real re = 0, im = 0;
  Complex() = default;
  Complex(Real r, Real i = 0) : re(r), im(i) {}
  Real real() const { return re; }
  Real imag() const { return im; }
};
Complex operator+(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
Complex operator-(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
Complex operator*(Complex a, Complex b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
Complex operator/(Complex a, Complex b) {
  const Real d = b.re * b.re + b.im * b.im;
  return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}
Complex operator-(Complex a) { return {-a.re, -a.im}; }
Complex& operator+=(Complex& a, Complex b) { return a = a + b; }
Complex& operator-=(Complex& a, Complex b) { return a = a - b; }
bool operator==(Complex a, Complex b) { return a.re == b.re && a.im == b.im; }
bool operator!=(Complex a, Complex b) { return !(a == b); }
Real norm(Complex a) { return a.re * a.re + a.im * a.im; }
Real abs(Complex a) { return sqrt(norm(a)); }
Complex polar(Real r, Real phase) { return {r * cos(phase), r * sin(phase)}; }
// The principal square root (Re >= 0).
Complex sqrt(Complex a) {
  const Real r = abs(a);
  if (r == 0) return {};
  const Real re = sqrt((r + fabs(a.re)) / 2);
  const Real other = a.im / (2 * re);
  if (a.re >= 0) return {re, other};
  return {fabs(other), a.im < 0 ? -re : re};
}

void trim(Poly& p) {
  while (p.size() > 1 && p.back() == 0.0) p.pop_back();
}

Poly times(const Poly& a, const Poly& b) {
  Poly c(a.size() + b.size() - 1, 0.0);
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < b.size(); ++j) c[i + j] += a[i] * b[j];
  return c;
}

Poly plus(const Poly& a, const Poly& b, Real scale = 1.0) {
  Poly c(std::max(a.size(), b.size()), 0.0);
  for (std::size_t i = 0; i < a.size(); ++i) c[i] += a[i];
  for (std::size_t i = 0; i < b.size(); ++i) c[i] += scale * b[i];
  return c;
}

Complex at(const Poly& p, Complex s) {
  Complex v = 0.0;
  for (std::size_t i = p.size(); i-- > 0;) v = v * s + p[i];
  return v;
}

Real at(const Poly& p, Real x) {
  Real v = 0.0;
  for (std::size_t i = p.size(); i-- > 0;) v = v * x + p[i];
  return v;
}

// |A(j omega)|^2 as a polynomial in w = omega^2: Ev(w)^2 + w Od(w)^2.
Poly squared_magnitude(const Poly& a) {
  Poly ev, od;
  for (std::size_t k = 0; k < a.size(); ++k) {
    const Real v = (k / 2) % 2 ? -a[k] : a[k];
    (k % 2 ? od : ev).push_back(v);
  }
  if (od.empty()) od.push_back(0.0);
  return plus(times(ev, ev), times(Poly{0.0, 1.0}, times(od, od)));
}

// All roots of p (degree >= 1), by the Aberth-Ehrlich iteration (O. Aberth,
// "Iteration methods for finding all zeros of a polynomial simultaneously",
// Math. Comp. 27, 1973), then Newton polishing.
std::vector<Complex> roots(Poly p) {
  trim(p);
  const std::size_t d = p.size() - 1;
  const Real lead = p.back();
  for (Real& v : p) v /= lead;
  Poly dp(d, 0.0);
  for (std::size_t k = 1; k <= d; ++k) dp[k - 1] = static_cast<Real>(k) * p[k];
  Real radius = 0.0;  // Cauchy's bound
  for (std::size_t k = 0; k < d; ++k) radius = std::max(radius, fabs(p[k]));
  radius = std::min(1.0 + radius, pow(2.0 * radius + 1.0, 1.0 / static_cast<Real>(d)));
  std::vector<Complex> z(d);
  for (std::size_t k = 0; k < d; ++k)
    z[k] = polar(radius, 2.0 * kPiL * static_cast<Real>(k) / static_cast<Real>(d) + 0.4);
  for (int iteration = 0; iteration < 500; ++iteration) {
    Real change = 0.0;
    for (std::size_t k = 0; k < d; ++k) {
      const Complex pv = at(p, z[k]);
      if (pv == Complex(0.0)) continue;
      const Complex ratio = pv / at(dp, z[k]);
      Complex sum = 0.0;
      for (std::size_t j = 0; j < d; ++j)
        if (j != k) sum += 1.0 / (z[k] - z[j]);
      const Complex step = ratio / (1.0 - ratio * sum);
      z[k] -= step;
      change = std::max(change, abs(step) / std::max(abs(z[k]), Real(1e-30)));
    }
    if (change < Real(1e-24)) break;  // Newton polishes the rest
  }
  for (Complex& r : z)
    for (int i = 0; i < 3; ++i) {
      const Complex der = at(dp, r);
      if (der != Complex(0.0)) r -= at(p, r) / der;
    }
  return z;
}

// The polynomial in s with the roots r (real coefficients as r is closed
// under conjugation) and leading coefficient lead.
Poly from_roots(const std::vector<Complex>& r, Real lead) {
  std::vector<Complex> c{Complex(lead)};
  for (const Complex& root : r) {
    std::vector<Complex> next(c.size() + 1, Complex(0.0));
    for (std::size_t i = 0; i < c.size(); ++i) {
      next[i + 1] += c[i];
      next[i] -= root * c[i];
    }
    c = next;
  }
  Poly out;
  for (const Complex& v : c) out.push_back(v.real());
  return out;
}

// The Hurwitz polynomial A(s) with |A(j omega)|^2 = q(w): each root w_i of q
// gives the root -sqrt(-w_i) of A, in the left half-plane. The lowest
// zeros_at_dc coefficients of q, known to be zero (and so within rounding),
// give roots at s = 0.
Poly hurwitz_factor(Poly q, int zeros_at_dc) {
  for (int k = 0; k < zeros_at_dc; ++k) q[static_cast<std::size_t>(k)] = 0.0;
  trim(q);
  const Real lead = sqrt(q.back());
  Poly rest(q.begin() + zeros_at_dc, q.end());
  std::vector<Complex> s(static_cast<std::size_t>(zeros_at_dc), Complex(0.0));
  if (rest.size() > 1)
    for (const Complex& w : roots(rest)) s.push_back(-sqrt(-w));
  return from_roots(s, lead);
}

// Even polynomial prod (s^2 + w_k) times s^extra.
Poly j_axis_zeros(const std::vector<Real>& w, int extra) {
  Poly p{1.0};
  for (int k = 0; k < extra; ++k) p = times(p, Poly{0.0, 1.0});
  for (Real v : w) p = times(p, Poly{v, 0.0, 1.0});
  return p;
}

// ---------------------------------------------------------------- elliptic

// Complete elliptic integral of the first kind K of the modulus whose
// complement is kp, by the arithmetic-geometric mean.
Real complete_k(Real kp) {
  Real a = 1.0, b = kp;
  for (int i = 0; i < 60 && fabs(a - b) > 1e-32 * a; ++i) {
    const Real m = (a + b) / 2.0;
    b = sqrt(a * b);
    a = m;
  }
  return kPiL / (2.0 * a);
}

// Jacobi sn(u, k) for real u by the descending Landen transformation
// (M. Abramowitz and I. A. Stegun, "Handbook of Mathematical Functions",
// 1964, 16.4).
Real jacobi_sn(Real u, Real k) {
  Real a[64], c[64];
  a[0] = 1.0;
  Real b = sqrt((1.0 - k) * (1.0 + k));
  c[0] = k;
  int n = 0;
  while (n < 62 && fabs(c[n]) > 1e-32) {
    a[n + 1] = (a[n] + b) / 2.0;
    c[n + 1] = (a[n] - b) / 2.0;
    b = sqrt(a[n] * b);
    ++n;
  }
  Real phi = ldexp(a[n] * u, n);
  for (int j = n; j >= 1; --j) phi = (phi + asin(c[j] / a[j] * sin(phi))) / 2.0;
  return sin(phi);
}

// The selectivity k (passband edge / stopband edge) of the elliptic function
// of degree n with discrimination k1, from the degree equation by the nome:
// q = q1^(1/n), k = 4 sqrt(q) (sum q^(i(i+1)) / (1 + 2 sum q^(i^2)))^2.
Real selectivity(int n, Real k1) {
  const Real k1p = sqrt((1.0 - k1) * (1.0 + k1));
  const Real q1 = exp(-kPiL * complete_k(k1) / complete_k(k1p));
  const Real q = pow(q1, 1.0 / static_cast<Real>(n));
  Real num = 0.0, den = 1.0;
  for (int i = 0; i <= 10; ++i) num += pow(q, static_cast<Real>(i * (i + 1)));
  for (int i = 1; i <= 10; ++i) den += 2.0 * pow(q, static_cast<Real>(i * i));
  const Real r = num / den;
  return 4.0 * sqrt(q) * r * r;
}

// Transfer polynomials of a response.
struct Polynomials {
  Poly e, f, p;                      // S21 = p/e, S11 = f/e
  std::vector<Real> transmission_w;  // finite transmission zeros, w = omega^2
  Real stopband_edge = 0.0;
};

Polynomials elliptic(int n, Real ripple_db, Real stopband_db) {
  const Real eps2 = expm1(ripple_db * log(10.0) / 10.0);
  const Real k1 = sqrt(eps2 / expm1(stopband_db * log(10.0) / 10.0));
  const Real k = selectivity(n, k1);
  const Real kk = complete_k(sqrt((1.0 - k) * (1.0 + k)));
  // Reflection zeros sn(j K / n), transmission zeros 1 / (k sn(j K / n)):
  // j = 2, 4, .. n-1 for odd n (and a reflection zero at DC), 1, 3, .. n-1 for even n.
  std::vector<Real> zr, zt;
  for (int j = 1 + n % 2; j < n; j += 2) {
    const Real sn = jacobi_sn(static_cast<Real>(j) * kk / static_cast<Real>(n), k);
    zr.push_back(sn * sn);
    zt.push_back(1.0 / (k * k * sn * sn));
  }
  Polynomials out;
  out.stopband_edge = 1.0 / k;
  int dc_zeros = n % 2;
  if (n % 2 == 0) {
    // Type C: w -> the map of omega^2 that takes DC to the lowest reflection
    // zero, infinity to the highest transmission zero and keeps 1.
    const Real lo = zr.front(), hi = zt.front();  // sn rises with j: zt falls
    const Real m = (hi - 1.0) / (1.0 - lo);
    const auto mapped = [&](Real v) { return m * (v - lo) / (hi - v); };
    for (Real& v : zr) v = mapped(v);
    zr.erase(zr.begin());
    zt.erase(zt.begin());
    for (Real& v : zt) v = mapped(v);
    out.stopband_edge = sqrt(mapped(1.0 / (k * k)));
    dc_zeros = 2;
  }
  out.p = j_axis_zeros(zt, 0);
  Poly f = j_axis_zeros(zr, dc_zeros);
  // |F/P|^2 = eps^2 at the passband edge, where the ripple peaks.
  const Real scale =
      sqrt(eps2 * norm(at(out.p, Complex(0.0, 1.0))) / norm(at(f, Complex(0.0, 1.0))));
  for (Real& v : f) v *= scale;
  out.f = f;
  out.e = hurwitz_factor(plus(squared_magnitude(out.p), squared_magnitude(f)), 0);
  out.transmission_w = zt;
  return out;
}

// ---------------------------------------------------------------- all-pole

Polynomials all_pole(Poly e, Poly f_squared, int dc_zeros) {
  Polynomials out;
  out.p = Poly{1.0};
  out.e = std::move(e);
  out.f = hurwitz_factor(std::move(f_squared), dc_zeros);
  return out;
}

Polynomials bessel(int n) {
  // theta_n(s) = sum (2n-k)! / (2^(n-k) k! (n-k)!) s^k
  Poly theta(static_cast<std::size_t>(n + 1));
  for (int k = 0; k <= n; ++k) {
    Real c = 1.0;
    for (int i = n - k + 1; i <= 2 * n - k; ++i) c *= static_cast<Real>(i);
    for (int i = 1; i <= k; ++i) c /= static_cast<Real>(i);
    theta[static_cast<std::size_t>(k)] = ldexp(c, -(n - k));
  }
  // |theta(j x)|^2 = 2 theta(0)^2 at the -3 dB point x; theta(s x) puts it at 1.
  const Poly mag = squared_magnitude(theta);
  const Real target = 2.0 * theta[0] * theta[0];
  Real lo = 0.0, hi = 1.0;
  while (at(mag, hi * hi) < target) hi *= 2.0;
  for (int i = 0; i < 200; ++i) {
    const Real mid = (lo + hi) / 2.0;
    (at(mag, mid * mid) < target ? lo : hi) = mid;
  }
  Real scale = 1.0;
  for (Real& c : theta) {
    c *= scale;
    scale *= hi;
  }
  const Real p = theta[0];
  Poly f2 = squared_magnitude(theta);
  f2[0] -= p * p;
  Polynomials out = all_pole(theta, f2, 1);
  out.p = Poly{p};
  return out;
}

Poly legendre_l(int n) {
  // Odd n = 2k+1: a_i = 2i+1 for every i <= k. Even n = 2k+2: the same for the
  // i of k's parity only, and the integrand carries (x + 1).
  const int k = n % 2 ? (n - 1) / 2 : (n - 2) / 2;
  // Legendre polynomials P_0..P_k in x by Bonnet's recursion.
  std::vector<Poly> leg{Poly{1.0}, Poly{0.0, 1.0}};
  for (int i = 1; i < k; ++i) {
    const Real ri = static_cast<Real>(i);
    Poly next =
        plus(times(Poly{0.0, (2.0 * ri + 1.0) / (ri + 1.0)}, leg[static_cast<std::size_t>(i)]),
             leg[static_cast<std::size_t>(i - 1)], -ri / (ri + 1.0));
    leg.push_back(next);
  }
  Poly sum{0.0};
  for (int i = 0; i <= k; ++i) {
    if (n % 2 == 0 && (i % 2) != (k % 2)) continue;
    sum = plus(sum, leg[static_cast<std::size_t>(i)], static_cast<Real>(2 * i + 1));
  }
  Poly integrand = times(sum, sum);
  if (n % 2 == 0) integrand = times(integrand, Poly{1.0, 1.0});
  Poly antiderivative(integrand.size() + 1, 0.0);
  for (std::size_t i = 0; i < integrand.size(); ++i)
    antiderivative[i + 1] = integrand[i] / static_cast<Real>(i + 1);
  // L(w) = A(2w - 1) - A(-1), by Horner in polynomials of w.
  Poly l{0.0};
  for (std::size_t i = antiderivative.size(); i-- > 0;)
    l = plus(times(l, Poly{-1.0, 2.0}), Poly{antiderivative[i]});
  trim(l);
  l[0] = 0.0;
  if (n % 2 == 0) l[1] = 0.0;
  const Real at_one = at(l, 1.0);
  for (Real& v : l) v /= at_one;
  return l;
}

Polynomials legendre(int n) {
  const Poly l = legendre_l(n);
  return all_pole(hurwitz_factor(plus(Poly{1.0}, l), 0), l, n % 2 ? 1 : 2);
}

// ---------------------------------------------------------------- ladder

// q / (s^2 + w), the remainder dropped.
Poly over_quadratic(const Poly& q, Real w) {
  if (q.size() < 3) return Poly{0.0};
  Poly out(q.size() - 2, 0.0);
  Poly r = q;
  for (std::size_t i = q.size() - 1; i >= 2; --i) {
    out[i - 2] = r[i];
    r[i - 2] -= w * r[i];
  }
  return out;
}

// Zero shifting of Y = num/den (module comment) for the transmission zeros
// in the given order. False when an element comes out negative or not finite.
bool extract(Poly num, Poly den, const std::vector<Real>& zeros, int n, LadderPrototype& out) {
  out.order = n;
  out.g.assign(static_cast<std::size_t>(n + 2), 0.0);
  out.resonator.assign(static_cast<std::size_t>(n + 1), 0.0);
  out.g[0] = 1.0;
  std::size_t k = 1;
  for (Real w : zeros) {
    const Real omega = sqrt(w);
    const Complex j_omega(0.0, omega);
    const Real c = (at(num, j_omega) / at(den, j_omega)).imag() / omega;
    const Poly rest = over_quadratic(plus(num, times(Poly{0.0, c}, den), -1.0), w);
    const Real residue = (at(den, j_omega) / (2.0 * j_omega * at(rest, j_omega))).real();
    // The arm: L = 2 residue / w, C = 1 / (2 residue).
    const Poly den_rest = over_quadratic(plus(den, times(Poly{0.0, 2.0 * residue}, rest), -1.0), w);
    out.g[k] = static_cast<double>(c);
    out.g[k + 1] = static_cast<double>(2.0 * residue / w);
    out.resonator[k + 1] = static_cast<double>(1.0 / (2.0 * residue));
    k += 2;
    num = rest;
    den = den_rest;
    trim(num);
    trim(den);
  }
  // The zeros at infinity: a continued fraction of Y (shunt C) and 1/Y (series L).
  bool shunt = true;
  for (; k <= static_cast<std::size_t>(n); ++k, shunt = !shunt) {
    Poly& a = shunt ? num : den;
    Poly& b = shunt ? den : num;
    if (a.size() != b.size() + 1) return false;
    const Real v = a.back() / b.back();
    a = plus(a, times(Poly{0.0, v}, b), -1.0);
    a.pop_back();  // the leading terms cancel
    // Before the last element the constant term of the expansion at infinity
    // vanishes in a lossless ladder; it is rounding here.
    if (k < static_cast<std::size_t>(n)) a.pop_back();
    out.g[k] = static_cast<double>(v);
  }
  // What is left of Y is the load.
  out.g[static_cast<std::size_t>(n + 1)] = static_cast<double>(den.front() / num.front());
  for (std::size_t i = 1; i <= static_cast<std::size_t>(n) + 1; ++i)
    if (!(out.g[i] > 0.0 && std::isfinite(out.g[i]))) return false;
  for (double r : out.resonator)
    if (!(r >= 0.0 && std::isfinite(r))) return false;
  return true;
}

// |S21|^2 of the ladder p between a 1-ohm source and its load at omega,
// from its chain matrix.
Real ladder_power(const LadderPrototype& p, Real omega) {
  const Complex s(0, omega);
  Complex a(1), b(0), c(0), d(1);
  for (int k = 1; k <= p.order; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const Real g = p.g[i], r = p.resonator[i];
    if (k % 2) {
      const Complex y = s * Complex(g);
      a += b * y;
      c += d * y;
    } else {
      const Complex z = s * Complex(g) / (Complex(1) + s * s * Complex(g * r));
      b += a * z;
      d += c * z;
    }
  }
  const Real rl = p.g[static_cast<std::size_t>(p.order + 1)];
  const Complex sum = a * Complex(rl) + b + c * Complex(rl) + d;
  return 4 * rl / norm(sum);
}

// The ladder's |S21| (as its double values give it) agrees with |P/E| within
// 1e-6 dB wherever the loss is below 150 dB, from DC to 4 times the stopband
// edge: the extraction did not lose the response to rounding.
bool keeps_response(const LadderPrototype& p, const Polynomials& poly) {
  const Real top = 4 * std::max(Real(1), poly.stopband_edge);
  for (int i = 0; i <= 400; ++i) {
    const Real omega = top * i / 400;
    const Complex s(0, omega);
    const Real want = norm(at(poly.p, s)) / norm(at(poly.e, s));
    if (want < Real(1e-15)) continue;
    if (fabs(log(ladder_power(p, omega) / want)) > Real(2.3e-7)) return false;
  }
  return true;
}

}  // namespace

std::vector<double> legendre_characteristic(int order) {
  const Poly l = legendre_l(order);
  return {l.begin(), l.end()};
}

double resonance(const LadderPrototype& p, int k) {
  const auto i = static_cast<std::size_t>(k);
  if (p.resonator[i] <= 0.0) return 0.0;
  return 1.0 / std::sqrt(p.g[i] * p.resonator[i]);
}

PrototypeResult ladder_prototype(const PrototypeRequest& r) {
  PrototypeResult out;
  const int n = r.order;
  const bool elliptic_kind = r.kind == PrototypeKind::kElliptic;
  if (n < (elliptic_kind ? 3 : 1) || n > kMaxPrototypeOrder) {
    out.error = std::string(elliptic_kind ? "an elliptic" : "this") +
                " response needs an order of " + (elliptic_kind ? "3" : "1") + " to " +
                std::to_string(kMaxPrototypeOrder) + ", not " + std::to_string(n);
    return out;
  }
  Polynomials poly;
  if (elliptic_kind) {
    if (!(r.ripple_db > 0.0 && r.ripple_db <= 3.0)) {
      out.error = "an elliptic response needs a ripple above 0 and at most 3 dB";
      return out;
    }
    if (!(r.stopband_db > r.ripple_db && r.stopband_db <= 200.0)) {
      out.error =
          "an elliptic response needs a stopband attenuation above the ripple and at most 200 dB";
      return out;
    }
    poly = elliptic(n, r.ripple_db, r.stopband_db);
    if (!(poly.stopband_edge <= kMaxStopbandEdge)) {
      char text[160];
      std::snprintf(text, sizeof text,
                    "an elliptic ladder of order %d reaches %g dB only from %.4g times the cutoff "
                    "(at most %g); give a higher order or a lower stopband_db",
                    n, r.stopband_db, static_cast<double>(poly.stopband_edge),
                    static_cast<double>(kMaxStopbandEdge));
      out.error = text;
      return out;
    }
  } else {
    poly = r.kind == PrototypeKind::kBessel ? bessel(n) : legendre(n);
  }
  // S11 = -F/E, F's leading coefficient E's within rounding: the input
  // admittance starts with a shunt capacitor.
  if (poly.f.size() != poly.e.size()) {
    out.error = "the ladder of this response cannot be realized";
    return out;
  }
  const Poly num = plus(poly.e, poly.f);
  Poly den = plus(poly.e, poly.f, -1.0);
  den.pop_back();
  // Orders of extraction: the first, in the order of the permutations of the
  // zeros sorted from the highest, that gives positive elements.
  std::vector<Real> zeros = poly.transmission_w;
  std::sort(zeros.begin(), zeros.end(), std::greater<>());
  do {
    if (extract(num, den, zeros, n, out.ladder) && keeps_response(out.ladder, poly)) {
      out.ladder.stopband_edge = static_cast<double>(poly.stopband_edge);
      return out;
    }
  } while (std::prev_permutation(zeros.begin(), zeros.end()));
  out = PrototypeResult{};
  out.error =
      "the ladder of this response cannot be computed with positive elements and a faithful "
      "response; try a lower order or a wider transition band";
  return out;
}

}  // namespace mx
