#pragma once
// Helpers for tests that drive the scene: a generator primed to give a chosen
// value next, a scene sized like a 4:3 screen, and a scripted clock.

#include <cstdint>
#include <memory>
#include <vector>

#include "random.h"
#include "scene.h"

namespace vessmark::testing {

// The seed whose first value is `value` (0..32767). The generator's multiplier
// is odd, so the step can be run backwards.
inline std::uint32_t SeedYielding(int value)
{
    constexpr std::uint32_t Multiplier = 214013u;
    constexpr std::uint32_t Increment = 2531011u;
    std::uint32_t inverse = Multiplier; // Newton's iteration for the inverse mod 2^32
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - Multiplier * inverse;
    }
    const std::uint32_t next = static_cast<std::uint32_t>(value) << 16;
    return (next - Increment) * inverse;
}

inline void PrimeNext(RandomGenerator& random, int value) { random.Seed(SeedYielding(value)); }

// A scene with the show's settings and the extents of a 640 x 480 screen
// (HalfWidth 213, HalfHeight 160, HalfDepth 160), without objects.
inline std::unique_ptr<Scene> MakeScene()
{
    auto scene = std::make_unique<Scene>();
    ApplyDefaultSettings(scene->Settings);
    scene->Extents = {213, 160, 160};
    scene->Aspect = 640.0f / 480.0f;
    scene->HueStep = 0.3f;
    scene->Sized = true;
    return scene;
}

// A clock that answers the given readings in turn and then keeps the last.
inline MillisecondClock ScriptedClock(std::vector<std::uint32_t> readings)
{
    auto state = std::make_shared<std::pair<std::vector<std::uint32_t>, std::size_t>>(std::move(readings), 0);
    return [state] {
        auto& [values, next] = *state;
        const std::uint32_t value = values[next < values.size() ? next : values.size() - 1];
        ++next;
        return value;
    };
}

// A clock that moves on by `step` milliseconds once per frame: reads within one
// frame agree, as they do on a fast machine.
struct SteppingClock {
    std::uint32_t Now = 0;
    MillisecondClock Bind() { return [this] { return Now; }; }
};

} // namespace vessmark::testing
