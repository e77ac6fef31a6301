#include "random.h"

namespace vessmark {

int RandomInt(RandomGenerator& random, int n)
{
    return n * random.Next() / RandomGenerator::Max;
}

float RandomFloat(RandomGenerator& random, float x)
{
    return static_cast<float>(random.Next()) * x * (1.0f / static_cast<float>(RandomGenerator::Max));
}

} // namespace vessmark
