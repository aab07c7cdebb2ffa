#pragma once

#include <cstdint>

namespace tremolex {

// A date and time of day on the Gregorian calendar, with no time zone of its own: local time
// or UTC, as the caller says.
struct CivilTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..daysInMonth
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    bool operator==(const CivilTime&) const = default;
};

// The years whose times the recordings write and read: four digits, none before 1970.
inline constexpr int kFirstYear = 1970;
inline constexpr int kLastYear = 9999;

int daysInMonth(int year, int month);

// Every field in its range and the year within kFirstYear..kLastYear.
bool isValid(const CivilTime& time);

// Milliseconds since 1970-01-01T00:00:00.000 of a valid time.
std::int64_t millisecondsOf(const CivilTime& time);

// The time `milliseconds` after 1970-01-01T00:00:00.000 (before it when negative). Exact
// for any value; the year is out of kFirstYear..kLastYear outside them.
CivilTime civilTimeOf(std::int64_t milliseconds);

}  // namespace tremolex
