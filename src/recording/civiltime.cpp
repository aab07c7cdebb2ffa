#include "recording/civiltime.h"

namespace tremolex {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

constexpr std::int64_t floorDivide(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

// Days since 1970-01-01 of a date, counted in eras of 400 years that begin on 1 March, so
// that the leap day is the last day of a year (Hinnant's days_from_civil).
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = floorDivide(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

int daysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool isValid(const CivilTime& time) {
    return time.year >= kFirstYear && time.year <= kLastYear && time.month >= 1 &&
           time.month <= 12 && time.day >= 1 && time.day <= daysInMonth(time.year, time.month) &&
           time.hour >= 0 && time.hour < 24 && time.minute >= 0 && time.minute < 60 &&
           time.second >= 0 && time.second < 60 && time.millisecond >= 0 && time.millisecond < 1000;
}

std::int64_t millisecondsOf(const CivilTime& time) {
    const std::int64_t ofDay =
        ((time.hour * 60LL + time.minute) * 60 + time.second) * 1000 + time.millisecond;
    return daysFromCivil(time.year, time.month, time.day) * kMillisecondsPerDay + ofDay;
}

// The inverse of daysFromCivil (Hinnant's civil_from_days).
CivilTime civilTimeOf(std::int64_t milliseconds) {
    const std::int64_t days = floorDivide(milliseconds, kMillisecondsPerDay);
    std::int64_t ofDay = milliseconds - days * kMillisecondsPerDay;

    const std::int64_t shifted = days + 719468;
    const std::int64_t era = floorDivide(shifted, 146097);
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // 0 is March

    CivilTime time;
    time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time.year = static_cast<int>(yearOfEra + era * 400 + (time.month <= 2 ? 1 : 0));
    time.millisecond = static_cast<int>(ofDay % 1000);
    ofDay /= 1000;
    time.second = static_cast<int>(ofDay % 60);
    ofDay /= 60;
    time.minute = static_cast<int>(ofDay % 60);
    time.hour = static_cast<int>(ofDay / 60);
    return time;
}

}  // namespace tremolex
