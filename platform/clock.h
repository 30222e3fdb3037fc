// The program clock: milliseconds on a monotonic clock, so elapsed times
// never jump with the time of day (midnight, clock changes). Tests can put
// their own clock in place to make time stand still or jump.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Milliseconds since an arbitrary fixed point; never goes backwards.
std::int64_t NowMilliseconds();

// Replaces the clock (an empty function restores the real one).
void SetClockHook(std::function<std::int64_t()> Hook);

}  // namespace platform
