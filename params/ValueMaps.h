#pragma once

// Linear maps between a parameter range and a control range, in single
// precision, and the integer conversions the pages use on their results.

// Maps `date` from [in_min, in_max] onto [out_min, out_max] and clamps the
// result into the closed interval between out_min and out_max (a reversed
// output range such as 1650..1350 inverts the direction). A result that is
// not a number (NaN input, or an empty input range hit exactly) gives out_min.
float felx_v(float date, float in_min, float in_max, float out_min, float out_max);

// The inverse: clamps `indate` into the interval between out_min and out_max,
// then maps it back onto [in_min, in_max]. The result is not clamped. A result
// that is not a number (NaN input, empty output range) gives in_min.
float inverse_felx_v(float indate, float in_min, float in_max, float out_min, float out_max);

// Half away from zero (2.5 -> 3, -2.5 -> -3), saturating at the int range;
// NaN gives 0.
int roundHalfAwayFromZero(double value);

// Toward zero (2.9 -> 2, -2.9 -> -2), saturating at the int range; NaN gives 0.
int truncateTowardZero(double value);
