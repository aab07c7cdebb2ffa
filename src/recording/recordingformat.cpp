#include "recording/recordingformat.h"

#include <cmath>

#include "recording/civiltime.h"
#include "state/countvolts.h"

namespace tremolex {

namespace {

constexpr std::int32_t kFullScale = 1023;
constexpr std::int64_t kLargestChargeMilliseconds = 999'999'999'999'999;  // 12 digits of seconds

// Writes `value` (>= 0) with exactly `width` digits, leading zeros included.
char* writeFixed(char* out, std::int64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

// Writes `value` (>= 0) with as many digits as it needs.
char* writeWhole(char* out, std::int64_t value) {
    int width = 1;
    for (std::int64_t rest = value / 10; rest > 0; rest /= 10) {
        ++width;
    }
    return writeFixed(out, value, width);
}

// Writes `units` / 10^decimals with exactly `decimals` decimals.
char* writeDecimal(char* out, std::int64_t units, int decimals, std::int64_t scale) {
    if (units < 0) {
        *out++ = '-';
        units = -units;
    }
    out = writeWhole(out, units / scale);
    *out++ = '.';
    return writeFixed(out, units % scale, decimals);
}

// The volts of a count in ten-thousandths, rounded half away from zero.
std::int64_t tenThousandthVolts(std::int16_t count) {
    return std::llround(countVolts(count, kFullScale) * 10000);
}

// Reads a line from left to right; every read checks that the text is long enough, so a
// line cut anywhere fails at the cut.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_at == m_text.size(); }

    bool skip(char c) {
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    // Exactly `width` digits.
    std::optional<int> fixed(int width) {
        int value = 0;
        for (int i = 0; i < width; ++i) {
            const std::optional<int> d = digit();
            if (!d) {
                return std::nullopt;
            }
            value = value * 10 + *d;
        }
        return value;
    }

    // 1..maxDigits digits, without leading zeros (but "0" itself).
    std::optional<std::int64_t> whole(int maxDigits) {
        const std::optional<int> first = digit();
        if (!first) {
            return std::nullopt;
        }
        std::int64_t value = *first;
        for (int i = 1; i < maxDigits && value != 0; ++i) {
            const std::optional<int> d = digit();
            if (!d) {
                break;
            }
            value = value * 10 + *d;
        }
        if (peekDigit()) {
            return std::nullopt;  // too many digits, or a leading zero
        }
        return value;
    }

    // A whole part as whole(maxDigits), '.' and exactly `decimals` digits, as a count of
    // the last decimal's units; `negative` allows a leading '-'.
    std::optional<std::int64_t> decimal(int maxDigits, int decimals, bool negative) {
        const bool minus = negative && skip('-');
        const std::optional<std::int64_t> units = whole(maxDigits);
        if (!units || !skip('.')) {
            return std::nullopt;
        }
        const std::optional<int> fraction = fixed(decimals);
        if (!fraction) {
            return std::nullopt;
        }
        std::int64_t scale = 1;
        for (int i = 0; i < decimals; ++i) {
            scale *= 10;
        }
        const std::int64_t value = *units * scale + *fraction;
        return minus ? -value : value;
    }

private:
    bool peekDigit() const {
        return m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9';
    }

    std::optional<int> digit() {
        if (!peekDigit()) {
            return std::nullopt;
        }
        return m_text[m_at++] - '0';
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

// "2026-12-08T11:30:05.123+01:00" as milliseconds since 1970 in UTC.
std::optional<std::int64_t> parseLocalTime(Cursor& in) {
    CivilTime local;
    const auto field = [&in](int width, int& value, char after) {
        const std::optional<int> read = in.fixed(width);
        value = read.value_or(-1);
        return read && (after == '\0' || in.skip(after));
    };
    if (!field(4, local.year, '-') || !field(2, local.month, '-') || !field(2, local.day, 'T') ||
        !field(2, local.hour, ':') || !field(2, local.minute, ':') ||
        !field(2, local.second, '.') || !field(3, local.millisecond, '\0') || !isValid(local)) {
        return std::nullopt;
    }
    const bool plus = in.skip('+');
    if (!plus && !in.skip('-')) {
        return std::nullopt;
    }
    int hours = 0, minutes = 0;
    if (!field(2, hours, ':') || !field(2, minutes, '\0') || hours > 23 || minutes > 59) {
        return std::nullopt;
    }
    const int offset = hours * 60 + minutes;
    if (!plus && offset == 0) {
        return std::nullopt;  // UTC is written "+00:00"
    }
    return millisecondsOf(local) - (plus ? offset : -offset) * 60'000LL;
}

}  // namespace

std::size_t formatRecordingLine(const RecordedReading& reading, std::int32_t utcOffsetMinutes,
                                std::span<char, kRecordingLineCapacity> line) {
    if (utcOffsetMinutes < -kLargestUtcOffsetMinutes ||
        utcOffsetMinutes > kLargestUtcOffsetMinutes || !(reading.chargeSeconds >= 0) ||
        !(reading.chargeSeconds < kChargeSecondsLimit)) {
        return 0;
    }
    const std::int64_t chargeMilliseconds = std::llround(reading.chargeSeconds * 1000);
    constexpr std::int64_t kLimit = 9'000'000'000'000'000'000;  // far beyond year 9999
    if (chargeMilliseconds > kLargestChargeMilliseconds || reading.utcMilliseconds > kLimit ||
        reading.utcMilliseconds < -kLimit) {
        return 0;
    }
    const CivilTime local = civilTimeOf(reading.utcMilliseconds + utcOffsetMinutes * 60'000LL);
    if (local.year < kFirstYear || local.year > kLastYear) {
        return 0;
    }

    char* out = line.data();
    out = writeFixed(out, local.year, 4);
    *out++ = '-';
    out = writeFixed(out, local.month, 2);
    *out++ = '-';
    out = writeFixed(out, local.day, 2);
    *out++ = 'T';
    out = writeFixed(out, local.hour, 2);
    *out++ = ':';
    out = writeFixed(out, local.minute, 2);
    *out++ = ':';
    out = writeFixed(out, local.second, 2);
    *out++ = '.';
    out = writeFixed(out, local.millisecond, 3);
    *out++ = utcOffsetMinutes < 0 ? '-' : '+';
    const std::int32_t offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
    out = writeFixed(out, offset / 60, 2);
    *out++ = ':';
    out = writeFixed(out, offset % 60, 2);
    *out++ = ',';
    out = writeDecimal(out, chargeMilliseconds, 3, 1000);
    *out++ = ',';
    if (reading.count < 0) {
        *out++ = '-';
    }
    out = writeWhole(out, reading.count < 0 ? -std::int64_t{reading.count} : reading.count);
    *out++ = ',';
    out = writeDecimal(out, tenThousandthVolts(reading.count), 4, 10000);
    *out++ = '\r';
    *out++ = '\n';
    return static_cast<std::size_t>(out - line.data());
}

std::optional<RecordedReading> parseRecordingLine(std::string_view line) {
    if (line.ends_with('\n')) {
        line.remove_suffix(1);
    }
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    Cursor in(line);
    const std::optional<std::int64_t> utc = parseLocalTime(in);
    if (!utc || !in.skip(',')) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> chargeMilliseconds = in.decimal(12, 3, false);
    if (!chargeMilliseconds || !in.skip(',')) {
        return std::nullopt;
    }
    const bool negative = in.skip('-');
    const std::optional<std::int64_t> count = in.whole(5);
    if (!count || (negative && *count == 0) || *count > (negative ? 32768 : 32767) ||
        !in.skip(',')) {
        return std::nullopt;
    }
    // Volts reach about +-80.1 V at the ends of the count's range.
    if (!in.decimal(2, 4, true) || !in.atEnd()) {
        return std::nullopt;
    }
    RecordedReading reading;
    reading.count = static_cast<std::int16_t>(negative ? -*count : *count);
    reading.utcMilliseconds = *utc;
    reading.chargeSeconds = static_cast<double>(*chargeMilliseconds) / 1000;
    return reading;
}

}  // namespace tremolex
