#pragma once
// Conversions of analysis values to the stored integers.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace larkspur {

// Nearest integer, halves to the even neighbour (the default floating-point
// rounding mode; std::round would send halves away from zero). Values beyond the
// 32-bit range saturate and NaN gives 0, so a degenerate frame or a damaged
// template can never make the conversion undefined.
inline int32_t RoundToInt32(double value)
{
#if FLT_EVAL_METHOD == 0
    // Fast path, same result: for |value| <= 2^30 the sum value + 1.5 x 2^52 lies
    // in [2^52, 2^53), where the doubles are exactly the integers, so the
    // addition rounds value to an integer in the current (default: nearest,
    // ties to even) mode; 1.5 x 2^52 is even, so ties go where nearbyint sends
    // them, and the subtraction is exact. The result needs no saturation. NaN
    // fails the test and takes the general path.
    constexpr double kShift = 6755399441055744.0;  // 1.5 x 2^52
    if (std::fabs(value) <= 1073741824.0)
        return static_cast<int32_t>((value + kShift) - kShift);
#endif
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (rounded <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(rounded);
}

// 64-bit sums are kept 64-bit while accumulating; this brings a result back.
inline int32_t SaturateToInt32(int64_t value)
{
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

} // namespace larkspur
