#pragma once
// The show's random numbers: the classic 15-bit linear congruential generator of
// the C runtime, implemented here so that one seed gives the same show on every
// host and tests can pin it.

#include <cstdint>

namespace vessmark {

class RandomGenerator {
public:
    static constexpr int Max = 32767;

    void Seed(std::uint32_t seed) { state_ = seed; }

    // The next value, 0..32767.
    int Next()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_ = 1;
};

// n * value / 32767 in integer arithmetic: 0..n, and n only for the top value.
int RandomInt(RandomGenerator& random, int n);

// value * x / 32767 in floating point: 0..x, both ends included.
float RandomFloat(RandomGenerator& random, float x);

} // namespace vessmark
