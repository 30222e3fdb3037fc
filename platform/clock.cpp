#include "platform/clock.h"

#include <chrono>
#include <utility>

namespace platform {

namespace {
std::function<std::int64_t()>& Hook() {
    static std::function<std::int64_t()> hook;
    return hook;
}
}  // namespace

std::int64_t NowMilliseconds() {
    if (const auto& hook = Hook()) return hook();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SetClockHook(std::function<std::int64_t()> Hook_) {
    Hook() = std::move(Hook_);
}

}  // namespace platform
