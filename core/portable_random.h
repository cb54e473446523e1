// Random numbers that are the same bits on every build (x86_64, i686 with
// SSE2, MinGW, WebAssembly): a generator of our own, and normal deviates from
// +, -, *, / and sqrt alone, which IEEE arithmetic rounds exactly, with a
// logarithm of our own built from them. The C library's log, exp and cos
// differ in their last bits between glibc, msvcrt and WebAssembly's libc.
#pragma once

#include <array>
#include <cstdint>

namespace kestrane {

// splitmix64: the next output of the sequence whose state is given, advancing it.
std::uint64_t splitmix64(std::uint64_t& state);

// xoshiro256** (Blackman and Vigna), its state filled by splitmix64 from the seed.
class PortableRandom {
public:
    explicit PortableRandom(std::uint64_t seed);
    // The generator at a state of its own, not all zero (to resume a sequence,
    // or to compare with the generator's published outputs).
    explicit PortableRandom(const std::array<std::uint64_t, 4>& state) : state_(state) {}

    std::uint64_t next();
    // A uniform double in [0, 1): the top 53 bits of next(), times 2^-53.
    double uniform();
    // A standard normal deviate by Marsaglia's polar method, which gives two
    // at a time: the second is kept for the next call.
    double standard_normal();

    // Deviates of half-width 1 around 0 for the other shapes of an input's
    // distribution (times the shape's divisor they have unit variance):
    // rectangular on [-1, 1), 2 uniform() - 1, from one number of the sequence.
    double symmetric_uniform();
    // Triangular on (-1, 1) with its peak at 0: the difference of two
    // uniforms, two numbers of the sequence (distributed as u1 + u2 - 1, and
    // exact where that sum would round).
    double triangular();
    // Arcsine on [-1, 1], cos(2 theta) for a uniform angle theta, without a
    // cosine: (x^2 - y^2) / (x^2 + y^2) of a point uniform in the unit disc.
    // The point is found by rejection, so it takes two numbers of the sequence
    // or a multiple of two (8 / pi, about 2.5, on average).
    double arcsine();

private:
    std::array<std::uint64_t, 4> state_{};
    double spare_ = 0.0;
    bool has_spare_ = false;
};

// The natural logarithm from the double's exact exponent and mantissa (read
// from its bits) and a series in the arithmetic operations alone: within about
// an ulp of the true value, and the same bits on every build. log(0) is
// -infinity, a negative number or NaN gives NaN, infinity gives infinity.
double portable_log(double x);

}  // namespace kestrane
