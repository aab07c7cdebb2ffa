#include "recording/recordingformat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "recording/civiltime.h"
#include "recording/recordingname.h"

namespace tremolex {
namespace {

std::string formatted(const RecordedReading& reading, std::int32_t offsetMinutes) {
    std::array<char, kRecordingLineCapacity> line{};
    return {line.data(), formatRecordingLine(reading, offsetMinutes, line)};
}

struct LineCase {
    const char* name;
    CivilTime utc;
    std::int32_t offsetMinutes;
    std::int64_t chargeMilliseconds;
    std::int16_t count;
    std::string_view line;  // without its CR LF
};

const LineCase kLines[] = {
    {"Example",
     {2026, 12, 8, 10, 30, 5, 123},
     60,
     12345,
     612,
     "2026-12-08T11:30:05.123+01:00,12.345,612,1.4956"},
    {"QuarterHourOffsetIntoLeapDay",
     {2024, 2, 28, 18, 15, 0, 0},
     5 * 60 + 45,
     0,
     0,
     "2024-02-29T00:00:00.000+05:45,0.000,0,0.0000"},
    {"NegativeHalfHourOffsetBackIntoTheOldYear",
     {2025, 1, 1, 2, 29, 59, 999},
     -(3 * 60 + 30),
     72 * 3600 * 1000,
     -32768,
     "2024-12-31T22:59:59.999-03:30,259200.000,-32768,-80.0782"},
    {"CenturyLeapYear",
     {2000, 2, 29, 23, 30, 0, 0},
     60,
     3599500,
     -1,
     "2000-03-01T00:30:00.000+01:00,3599.500,-1,-0.0024"},
    {"LastMoment",
     {9999, 12, 31, 9, 59, 59, 999},
     14 * 60,
     123456789,
     512,
     "9999-12-31T23:59:59.999+14:00,123456.789,512,1.2512"},
    {"LongestLine",
     {2026, 6, 1, 12, 0, 0, 1},
     -(23 * 60 + 59),
     999'999'999'999'999,
     -32768,
     "2026-05-31T12:01:00.001-23:59,999999999999.999,-32768,-80.0782"},
};

TEST(RecordingFormat, WritesExactLinesThatReadBackAsTheReading) {
    for (const LineCase& c : kLines) {
        SCOPED_TRACE(c.name);
        const RecordedReading reading{c.count, millisecondsOf(c.utc),
                                      static_cast<double>(c.chargeMilliseconds) / 1000};
        const std::string line = formatted(reading, c.offsetMinutes);
        EXPECT_EQ(line, std::string(c.line) + "\r\n");
        EXPECT_LE(line.size(), kRecordingLineCapacity);
        EXPECT_EQ(parseRecordingLine(line), reading);
        EXPECT_EQ(parseRecordingLine(c.line), reading);
    }
}

// The volts are worked out here in integers: count * 2.5 / 1023 in ten-thousandths,
// rounded half away from zero.
TEST(RecordingFormat, EveryCountReadsBackWithItsVoltsRounded) {
    for (int count = -32768; count <= 32767; ++count) {
        const RecordedReading reading{static_cast<std::int16_t>(count), 1'800'000'000'000, 7.5};
        const std::string line = formatted(reading, 0);
        const std::int64_t scaled = std::abs(count) * 25000LL;
        const std::int64_t units = (2 * scaled + 1023) / 2046;
        // Built piece by piece: g++ 12 at -O3 takes `"-" + std::string&&` for an
        // overlapping copy (-Wrestrict) and fails the release build.
        const std::string fraction = std::to_string(units % 10000);
        std::string volts = count < 0 ? "-" : "";
        volts += std::to_string(units / 10000);
        volts += '.';
        volts.append(4 - fraction.size(), '0');
        volts += fraction;
        ASSERT_EQ(line.substr(line.rfind(',') + 1), volts + "\r\n") << count;
        ASSERT_EQ(parseRecordingLine(line), reading) << count;
    }
}

TEST(RecordingFormat, WritesNothingForWhatTheLineCannotHold) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const std::int64_t year10000 = millisecondsOf({9999, 12, 31, 23, 59, 59, 999}) + 1;
    const struct {
        const char* name;
        RecordedReading reading;
        std::int32_t offsetMinutes;
    } cases[] = {
        {"OffsetOfADay", {1, 0, 1}, 24 * 60},
        {"LocalTimeBefore1970", {1, 0, 1}, -1},
        {"LocalTimeInYear10000", {1, year10000 - 60'000, 1}, 1},
        {"LargestTime", {1, std::numeric_limits<std::int64_t>::max(), 1}, 0},
        {"NegativeChargeTime", {1, 0, -0.001}, 0},
        {"ChargeTimeNotANumber", {1, 0, kNaN}, 0},
        {"ChargeTimeOfThirteenDigits", {1, 0, kChargeSecondsLimit}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<char, kRecordingLineCapacity> line;
        line.fill('#');
        EXPECT_EQ(formatRecordingLine(c.reading, c.offsetMinutes, line), 0u);
        EXPECT_EQ(line.front(), '#');
    }
}

TEST(RecordingFormat, RejectsEveryOtherLine) {
    using namespace std::string_literals;
    const struct {
        const char* name;
        std::string line;
    } cases[] = {
        {"Empty", ""},
        {"Month13", "2026-13-08T11:30:05.123+01:00,12.345,612,1.4956"},
        {"February29InCommonYear", "2026-02-29T11:30:05.123+01:00,12.345,612,1.4956"},
        {"Hour24", "2026-12-08T24:00:00.000+01:00,12.345,612,1.4956"},
        {"Year1969", "1969-12-31T23:59:59.999+00:00,12.345,612,1.4956"},
        {"NoOffset", "2026-12-08T11:30:05.123,12.345,612,1.4956"},
        {"OffsetMinusZero", "2026-12-08T11:30:05.123-00:00,12.345,612,1.4956"},
        {"SpaceForT", "2026-12-08 11:30:05.123+01:00,12.345,612,1.4956"},
        {"TrailingSpace", "2026-12-08T11:30:05.123+01:00,12.345,612,1.4956 "},
        {"ChargeTwoDecimals", "2026-12-08T11:30:05.123+01:00,12.34,612,1.4956"},
        {"ChargeNegative", "2026-12-08T11:30:05.123+01:00,-12.345,612,1.4956"},
        {"ChargeThirteenDigits", "2026-12-08T11:30:05.123+01:00,1000000000000.000,612,1.4956"},
        {"Count32768", "2026-12-08T11:30:05.123+01:00,12.345,32768,80.0782"},
        {"CountLeadingZero", "2026-12-08T11:30:05.123+01:00,12.345,0612,1.4956"},
        {"VoltsThreeDecimals", "2026-12-08T11:30:05.123+01:00,12.345,612,1.496"},
        {"ThreeFields", "2026-12-08T11:30:05.123+01:00,12.345,612"},
        {"FiveFields", "2026-12-08T11:30:05.123+01:00,12.345,612,1.4956,"},
        {"TwoCarriageReturns", "2026-12-08T11:30:05.123+01:00,12.345,612,1.4956\r\r\n"},
    };
    for (const auto& c : cases) {
        // A copy of exactly the line's size, so that reading past it is caught.
        const auto exact = std::make_unique<char[]>(c.line.size());
        std::copy(c.line.begin(), c.line.end(), exact.get());
        EXPECT_FALSE(parseRecordingLine({exact.get(), c.line.size()})) << c.name;
    }
}

// Walks day by day from 1970 to 9999 with the month lengths alone: each day is 86400000 ms
// after the one before, both ways.
TEST(CivilTime, CountsEveryDayFrom1970To9999) {
    CivilTime date;
    for (std::int64_t day = 0; date.year <= kLastYear; ++day) {
        ASSERT_EQ(millisecondsOf(date), day * 86'400'000) << date.year << "-" << date.month;
        ASSERT_EQ(civilTimeOf(day * 86'400'000), date) << day;
        if (++date.day > daysInMonth(date.year, date.month)) {
            date.day = 1;
            if (++date.month > 12) {
                date.month = 1;
                ++date.year;
            }
        }
    }
    EXPECT_EQ(civilTimeOf(-1), (CivilTime{1969, 12, 31, 23, 59, 59, 999}));
    EXPECT_EQ(daysInMonth(2024, 2), 29);
    EXPECT_EQ(daysInMonth(1900, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
}

TEST(RecordingName, NamesAFileByItsStartAndNumber) {
    const CivilTime start{2026, 12, 8, 11, 30, 5, 123};
    EXPECT_EQ(recordingFileName(start), "2026-12-08 11.30.05.csv");
    EXPECT_EQ(recordingFileName(start, 2), "2026-12-08 11.30.05 (2).csv");
    EXPECT_EQ(recordingFileName(start, 0), "");
    EXPECT_EQ(recordingFileName({2026, 2, 29, 0, 0, 0, 0}), "");
    EXPECT_EQ(recordingFileName({10000, 1, 1, 0, 0, 0, 0}), "");
}

}  // namespace
}  // namespace tremolex
