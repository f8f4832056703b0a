// An injectable clock, and the date and time texts the programs write.
#pragma once

#include <string>

namespace vk7 {

struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

// The machine's local time.
class SystemClock : public Clock {
public:
    LocalDateTime now() const override;
};

// A clock that always says the time it was given (tests).
class FixedClock : public Clock {
public:
    explicit FixedClock(LocalDateTime t) : t_(t) {}
    LocalDateTime now() const override { return t_; }
    void set(LocalDateTime t) { t_ = t; }

private:
    LocalDateTime t_;
};

// "dd.mm.yyyy"
std::string dateText(const LocalDateTime& t);
// "HH:MM"
std::string timeText(const LocalDateTime& t);

}  // namespace vk7
