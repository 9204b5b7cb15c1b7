#include "params/ValueMaps.h"

#include <algorithm>
#include <cmath>
#include <limits>

float felx_v(float date, float in_min, float in_max, float out_min, float out_max)
{
    const float mapped = (date - in_min) / (in_max - in_min) * (out_max - out_min) + out_min;
    if (std::isnan(mapped))
        return out_min;
    const float lower = std::min(out_min, out_max);
    const float upper = std::max(out_min, out_max);
    return std::clamp(mapped, lower, upper);
}

float inverse_felx_v(float indate, float in_min, float in_max, float out_min, float out_max)
{
    if (std::isnan(indate))
        return in_min;
    const float lower = std::min(out_min, out_max);
    const float upper = std::max(out_min, out_max);
    const float clamped = std::clamp(indate, lower, upper);
    const float result = (clamped - out_min) / (out_max - out_min) * (in_max - in_min) + in_min;
    if (std::isnan(result))
        return in_min;
    return result;
}

namespace {

int saturate(double whole)
{
    if (std::isnan(whole))
        return 0;
    if (whole >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (whole <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(whole);
}

} // namespace

int roundHalfAwayFromZero(double value)
{
    // From the exact fraction, not std::round: MinGW's std::round gives 1 for
    // 0.49999999999999994 (the largest double below one half). value - trunc
    // is exact for every double, so the comparison with 0.5 is too.
    const double whole = std::trunc(value);
    const double fraction = value - whole;
    if (fraction >= 0.5)
        return saturate(whole + 1.0);
    if (fraction <= -0.5)
        return saturate(whole - 1.0);
    return saturate(whole);
}

int truncateTowardZero(double value)
{
    return saturate(std::trunc(value));
}
