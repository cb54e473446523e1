#include "coverage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace kestrane {
namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double sqrt_pi = 1.77245385090551602730;
constexpr double sqrt_two_pi = 2.50662827463100050242;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------- the normal distribution

// Acklam's rational approximation to the normal quantile for 0 < p <= 0.5
// (relative error below 1.2e-9), which one Halley step then makes exact to
// the arithmetic.
double acklam_lower(double p) {
    constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,  -2.759285104469687e+02,
                            1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
    constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                            6.680131188771972e+01, -1.328068155288572e+01};
    constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                            -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
    constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00, 3.754408661907416e+00};
    if (p < 0.02425) {
        const double q = std::sqrt(-2.0 * std::log(p));
        return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
               ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
    }
    const double q = p - 0.5;
    const double r = q * q;
    return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
           (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
}

// The z with P(Z < z) = p for 0 < p <= 0.5. The step measures the error on
// the smaller of the lower tail, 0.5 erfc(-z / sqrt 2), and the centre,
// 0.5 erf(z / sqrt 2) against p - 1/2 (exact from 1/4 on), so neither loses
// digits to a difference from 1/2.
double normal_quantile_lower(double p) {
    const double z = acklam_lower(p);
    const double e =
        p < 0.25 ? 0.5 * std::erfc(-z / std::sqrt(2.0)) - p : 0.5 * std::erf(z / std::sqrt(2.0)) - (p - 0.5);
    const double u = e * sqrt_two_pi * std::exp(0.5 * z * z);
    return z - u / (1.0 + 0.5 * z * u);
}

// ---------------------------------------------------------------- Student's t

// ln(Gamma(a + 1/2) / Gamma(a)) for a > 0: from a + n >= 10 by the asymptotic
// series of the difference of the two log-gammas (Stirling's, whose Bernoulli
// terms give -1/(8a) + 1/(192a^3) - ...; the next term is below 4e-14 there),
// and down to a by Gamma(x + 1) = x Gamma(x). Unlike lgamma(a + 1/2) -
// lgamma(a), it keeps its relative accuracy at large a.
double log_half_gamma_ratio(double a) {
    double shift = 0.0;
    while (a < 10.0) {
        shift -= std::log((a + 0.5) / a);
        a += 1.0;
    }
    const double w = 1.0 / (a * a);
    const double series = (((-0.0016819172 * w + 17.0 / 14336.0) * w - 1.0 / 640.0) * w + 1.0 / 192.0) * w - 0.125;
    return shift + 0.5 * std::log(a) + series / a;
}

// The continued fraction of the regularised incomplete beta function
// I_x(a, b) (modified Lentz), which converges fast for x < (a + 1) / (a + b + 2).
double beta_continued_fraction(double a, double b, double x) {
    constexpr double tiny = 1e-300;
    const auto guard = [](double v) { return std::abs(v) < tiny ? tiny : v; };
    double c = 1.0;
    double d = 1.0 / guard(1.0 - (a + b) * x / (a + 1.0));
    double h = d;
    for (int m = 1; m <= 10000; ++m) {
        const double m2 = 2.0 * m;
        double aa = m * (b - m) * x / ((a - 1.0 + m2) * (a + m2));
        d = 1.0 / guard(1.0 + aa * d);
        c = guard(1.0 + aa / c);
        h *= d * c;
        aa = -(a + m) * (a + b + m) * x / ((a + m2) * (a + 1.0 + m2));
        d = 1.0 / guard(1.0 + aa * d);
        c = guard(1.0 + aa / c);
        const double step = d * c;
        h *= step;
        if (std::abs(step - 1.0) < 1e-16)
            break;
    }
    return h;
}

// The two halves of P(T > 0) at t >= 0: the upper tail P(T > t) and the
// centre P(0 < T < t), each found directly where it is the smaller so that
// neither loses digits to the other's subtraction from 1/2. With
// x = nu / (nu + t^2): tail = I_x(nu/2, 1/2) / 2, centre = I_{1-x}(1/2, nu/2) / 2.
struct TailAndCentre {
    double tail;
    double centre;
};

TailAndCentre t_halves(double t, double nu) {
    const double a = 0.5 * nu;
    const double ratio = t * t / nu;
    const double x = 1.0 / (1.0 + ratio);
    const double y = ratio / (1.0 + ratio);
    // x^a y^(1/2) / B(a, 1/2), with B(a, 1/2) = sqrt(pi) Gamma(a) / Gamma(a + 1/2).
    const double front = std::exp(-a * std::log1p(ratio) + 0.5 * std::log(y) + log_half_gamma_ratio(a)) / sqrt_pi;
    if (x < (a + 1.0) / (a + 2.5)) {
        const double tail = 0.5 * front * beta_continued_fraction(a, 0.5, x) / a;
        return {tail, 0.5 - tail};
    }
    const double centre = 0.5 * front * beta_continued_fraction(0.5, a, y) / 0.5;
    return {0.5 - centre, centre};
}

// The density of Student's t at t.
double t_density(double t, double nu) {
    return std::exp(log_half_gamma_ratio(0.5 * nu) - 0.5 * (nu + 1.0) * std::log1p(t * t / nu)) / std::sqrt(nu * pi);
}

// The t >= 0 with P(T > t) = q, 0 < q <= 1/2, by Newton's method on whichever
// half is the smaller (the centre near t = 0), kept inside a bracket that
// halves whenever a step would leave it, so it converges from any start.
double t_upper_quantile_by_search(double q, double nu) {
    const bool by_centre = q > 0.25;
    // How far P(T > t) lies above q, read off the more accurate half.
    const auto excess = [&](double t) {
        const TailAndCentre h = t_halves(t, nu);
        return by_centre ? (0.5 - q) - h.centre : h.tail - q;
    };
    double low = 0.0;
    double high = std::max(1.0, -normal_quantile_lower(q));
    while (excess(high) > 0.0)
        high *= 2.0;
    double t = high;
    for (int i = 0; i < 200; ++i) {
        const double e = excess(t);
        if (e == 0.0)
            return t;
        (e > 0.0 ? low : high) = t;
        double next = t + e / t_density(t, nu);
        if (!(next > low && next < high))
            next = 0.5 * (low + high);
        if (std::abs(next - t) <= 1e-15 * next || next == low || next == high)
            return next;
        t = next;
    }
    return t;
}

// Above this many degrees of freedom the Cornish-Fisher expansion of t about
// the normal quantile (Abramowitz and Stegun 26.7.5), to the fourth power of
// 1/nu, is accurate to better than 1e-12 over the probabilities that coverage
// asks for, and the continued fraction would need thousands of steps.
constexpr double expansion_dof = 2000.0;

double t_by_expansion(double z, double nu) {
    const double z2 = z * z;
    const double g1 = (z2 + 1.0) * z / 4.0;
    const double g2 = ((5.0 * z2 + 16.0) * z2 + 3.0) * z / 96.0;
    const double g3 = (((3.0 * z2 + 19.0) * z2 + 17.0) * z2 - 15.0) * z / 384.0;
    const double g4 = ((((79.0 * z2 + 776.0) * z2 + 1482.0) * z2 - 1920.0) * z2 - 945.0) * z / 92160.0;
    return z + (g1 + (g2 + (g3 + g4 / nu) / nu) / nu) / nu;
}

// Past this many degrees of freedom Student's t's distribution function is
// taken from its expansion about the normal one, whose next term (in 1/nu^4)
// is below 1e-14 there; the continued fraction, near x = 1, loses digits as nu
// grows (some 1e-13 at 1e5 degrees of freedom, 1e-8 at 1e10).
constexpr double cdf_expansion_dof = 5000.0;

// P(T <= t) = Phi(t) - phi(t) (q1(t)/nu + q2(t)/nu^2 + q3(t)/nu^3), the terms
// found by expanding the density in 1/nu and integrating each against the
// normal density (the same series Fisher gave).
double t_cdf_by_expansion(double t, double nu) {
    const double t2 = t * t;
    const double q1 = (t2 + 1.0) * t / 4.0;
    const double q2 = (t2 - 3.0) * ((3.0 * t2 + 2.0) * t2 + 1.0) * t / 96.0;
    const double q3 = (((((t2 - 11.0) * t2 + 14.0) * t2 + 6.0) * t2 - 3.0) * t2 - 15.0) * t / 384.0;
    const double density = std::exp(-0.5 * t2) / sqrt_two_pi;
    return 0.5 * std::erfc(-t / std::sqrt(2.0)) - density * (q1 + (q2 + q3 / nu) / nu) / nu;
}

// The t >= 0 with P(T > t) = q for 0 < q <= 1/2.
double t_upper_quantile(double q, double nu) {
    if (q == 0.5)
        return 0.0;
    if (nu == 2.0)  // P(T > t) = (1 - t / sqrt(2 + t^2)) / 2
        return (1.0 - 2.0 * q) / std::sqrt(2.0 * q * (1.0 - q));
    const double z = -normal_quantile_lower(q);
    if (nu > expansion_dof)
        return std::isinf(nu) ? z : t_by_expansion(z, nu);
    return t_upper_quantile_by_search(q, nu);
}

}  // namespace

double student_t_quantile(double p, double dof) {
    if (!(p > 0.0 && p < 1.0) || !(dof >= 1.0))
        return nan;
    // 1 - p is exact for p from 1/2 to 1, so the upper tail loses nothing.
    return p > 0.5 ? t_upper_quantile(1.0 - p, dof) : -t_upper_quantile(p, dof);
}

double coverage_factor_for(double probability, double dof) {
    if (!(probability > 0.0 && probability < 1.0) || !(dof >= 1.0))
        return nan;
    // A log asks for the same few factors on every row (one probability, a
    // few whole degrees of freedom), each a search of some microseconds: the
    // last ones found are kept.
    struct Found {
        double probability = 0.0;  // never asked for: an empty place
        double dof = 0.0;
        double k = 0.0;
    };
    thread_local std::array<Found, 16> found{};
    thread_local std::size_t next = 0;
    for (const Found& f : found) {
        if (f.probability == probability && f.dof == dof)
            return f.k;
    }
    // The upper tail (1 - P) / 2 directly: (1 + P) / 2 would round, and 1 - p lose the difference.
    found[next] = {probability, dof, t_upper_quantile(0.5 * (1.0 - probability), dof)};
    const double k = found[next].k;
    next = (next + 1) % found.size();
    return k;
}

double student_t_cdf(double t, double dof) {
    if (std::isnan(t) || !(dof >= 1.0))
        return nan;
    if (std::isinf(dof))
        return 0.5 * std::erfc(-t / std::sqrt(2.0));
    if (std::isinf(t))
        return t > 0.0 ? 1.0 : 0.0;
    if (dof > cdf_expansion_dof)
        return t_cdf_by_expansion(t, dof);
    // Each side from the half that keeps its digits: the lower tail itself,
    // or a half and the centre.
    const TailAndCentre h = t_halves(std::abs(t), dof);
    return t < 0.0 ? h.tail : 0.5 + h.centre;
}

bool valid_coverage_probability(double p) {
    return p >= 0.5 && p <= 0.9999;
}

}  // namespace kestrane
