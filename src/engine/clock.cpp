#include "engine/clock.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

namespace engine {

double SystemClock::secondsSinceMidnight() const {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto fraction = now - std::chrono::system_clock::from_time_t(seconds);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
           std::chrono::duration<double>(fraction).count();
}

LocalDateTime SystemClock::now() const {
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::optional<int32_t> roundHalfEven(double value) {
    if (std::isnan(value)) {
        return std::nullopt;
    }
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = fraction < 0.5 ? floor : floor + 1.0;
    if (fraction == 0.5 && std::fmod(floor, 2.0) == 0.0) {
        rounded = floor;
    }
    if (rounded < std::numeric_limits<int32_t>::min() ||
        rounded > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(rounded);
}

int32_t startSecond(const Clock& clock) {
    // The clock stays below 86401, so the rounding always fits.
    return roundHalfEven(clock.secondsSinceMidnight()).value_or(0);
}

}  // namespace engine
