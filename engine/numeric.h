// Rounding and range checks shared by the whole program.
#pragma once

#include <cstdint>

// Rounds to the nearest integer, halves to the even neighbour; throws
// ERangeError when the result does not fit 32 bits (or X is not a number).
std::int32_t Round32(double X);

// Same rounding for 64-bit results.
std::int64_t Round64(double X);

// Narrows a 64-bit value to 32 bits; throws ERangeError when it does not fit.
std::int32_t CheckedInt32(std::int64_t V);

// 1 when X > 1, -1 when X < -1, X otherwise; keeps arc sine and arc cosine
// arguments inside their domain.
double ClampToUnit(double X);
