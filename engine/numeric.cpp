#include "engine/numeric.h"

#include <cmath>
#include <limits>

#include "engine/errors.h"

namespace {
double RoundHalfEven(double X) {
    double r = std::round(X);  // halves away from zero
    if (std::fabs(X - std::trunc(X)) == 0.5) r = 2.0 * std::round(X / 2.0);
    return r;
}
}  // namespace

std::int32_t Round32(double X) {
    if (!std::isfinite(X)) throw ERangeError();
    const double r = RoundHalfEven(X);
    if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        r > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        throw ERangeError();
    return static_cast<std::int32_t>(r);
}

std::int64_t Round64(double X) {
    if (!std::isfinite(X)) throw ERangeError();
    const double r = RoundHalfEven(X);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) throw ERangeError();
    return static_cast<std::int64_t>(r);
}

std::int32_t CheckedInt32(std::int64_t V) {
    if (V < std::numeric_limits<std::int32_t>::min() ||
        V > std::numeric_limits<std::int32_t>::max())
        throw ERangeError();
    return static_cast<std::int32_t>(V);
}

double ClampToUnit(double X) {
    if (X > 1) return 1;
    if (X < -1) return -1;
    return X;
}
