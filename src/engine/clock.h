// The time of day as the row copy measures it: seconds since local midnight with a fraction.
// Behind an interface so that tests decide what the clock says.
#pragma once

#include <cstdint>
#include <optional>

namespace engine {

// A local date and time of day, as the start and end lines show them.
struct LocalDateTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since local midnight, 0 <= value < 86400 (86401 in a leap second).
    virtual double secondsSinceMidnight() const = 0;
    // The local date and time, to the second.
    virtual LocalDateTime now() const = 0;
};

// The system's local time.
class SystemClock final : public Clock {
  public:
    double secondsSinceMidnight() const override;
    LocalDateTime now() const override;
};

// `value` rounded to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
// nullopt when the result does not fit a signed 32-bit integer or `value` is not a number.
std::optional<int32_t> roundHalfEven(double value);

// The whole second at which a table's row loop begins: the clock rounded half to even.
int32_t startSecond(const Clock& clock);

}  // namespace engine
