#include "chart/captions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

#include "settings/numtext.h"
#include "state/samplestore.h"

namespace tremolex {

namespace {
constexpr std::int64_t kScaleHundredthsLimit = 100 * 100;  // 100 V
constexpr std::int64_t kLongestChargeTime = 99999 * 60 + 59;

std::vector<std::string> distinct(std::set<std::string> shapes) {
    return {shapes.begin(), shapes.end()};
}

// "m min, r sec" for whole seconds of `elapsed`, 0 below zero, the longest beyond it.
Caption& appendMinutes(Caption& caption, double elapsed) {
    elapsed = std::floor(elapsed);
    const auto seconds = elapsed >= 0
                             ? static_cast<std::int64_t>(std::fmin(elapsed, kLongestChargeTime))
                             : std::int64_t{0};
    return caption << seconds / 60 << " min, " << seconds % 60 << " sec";
}

Caption& appendTwoDigits(Caption& caption, std::int64_t value) {
    return caption << (value < 10 ? "0" : "") << value;
}

// Tenths, with the user's separator: "-1.0", "12.5".
Caption& appendTenths(Caption& caption, double value, std::string_view decimalSeparator) {
    const std::int64_t tenths = std::llround(value * 10);
    return caption << (tenths < 0 ? "-" : "") << std::llabs(tenths) / 10 << decimalSeparator
                   << std::llabs(tenths) % 10;
}

// The volts as the latest value writes them: the first five characters of numtext.
Caption& appendVolts(Caption& caption, float volts) {
    return caption << std::string_view(numtext(volts)).substr(0, 5) << "V";
}
}  // namespace

std::string shapeOf(std::string_view text) {
    std::string shape(text);
    std::replace_if(
        shape.begin(), shape.end(), [](char c) { return c >= '0' && c <= '9'; }, '0');
    return shape;
}

std::string scaleLabelText(float volts, std::string_view decimalSeparator) {
    // A float times 100 is exact in double, so only the one rounding here happens.
    const double rounded = std::round(static_cast<double>(volts) * 100.0);
    if (!(std::fabs(rounded) < static_cast<double>(kScaleHundredthsLimit))) {
        return "--V";
    }
    const auto hundredths = static_cast<std::int64_t>(rounded);
    const std::int64_t magnitude = std::llabs(hundredths);
    std::string text = hundredths < 0 ? "-" : "";
    text += std::to_string(magnitude / 100);
    text += decimalSeparator;
    text += static_cast<char>('0' + magnitude % 100 / 10);
    text += static_cast<char>('0' + magnitude % 10);
    return text + 'V';
}

Caption valueCaption(float volts, std::int16_t count) {
    Caption caption;
    caption << std::string_view(numtext(volts)).substr(0, 5) << "V [" << count << "]";
    return caption;
}

Caption chargeTimeCaption(const ChargeTimes& times) {
    Caption caption;
    appendMinutes(caption, times.lasttime - times.starttime);
    return caption;
}

Caption storeFullCaption(std::int64_t rejected, bool recorded) {
    Caption caption;
    caption << "Store full: " << rejected << (rejected == 1 ? " new reading" : " new readings")
            << (recorded ? " only in the recording file" : " not stored");
    return caption;
}

Caption endOfChargeCaption(float peakVolts, double peakSeconds, std::string_view decimalSeparator) {
    const std::string volts = numtext(peakVolts).substr(0, 5);
    Caption caption;
    caption << "End of charge: peak ";
    for (const char c : volts) {
        caption << (c == '.' ? decimalSeparator : std::string_view(&c, 1));
    }
    caption << "V at ";
    return appendMinutes(caption, peakSeconds);
}

Caption stallCaption(double seconds) {
    Caption caption;
    caption << "No readings for ";
    return appendMinutes(caption, seconds);
}

std::vector<std::string> scaleLabelShapes(std::string_view decimalSeparator) {
    std::set<std::string> shapes = {"--V"};
    for (const float volts : {-99.99f, -9.99f, 0.0f, 9.99f, 99.99f}) {
        shapes.insert(shapeOf(scaleLabelText(volts, decimalSeparator)));
    }
    return distinct(std::move(shapes));
}

// Every count from -32768 to 32767 gives one of these (the tests go through them all):
// working them out at each start would cost tens of milliseconds.
std::vector<std::string> valueCaptionShapes() {
    return {"-.000V [-000]", "-.000V [-00]",    "-.000V [-0]",    "-0.00V [-0000]", "-0.00V [-000]",
            "-0.0V [-0000]", "-00.0V [-00000]", "-00.0V [-0000]", "-00V [-00000]",  "-00V [-0000]",
            "-0V [-0000]",   ".0000V [000]",    ".0000V [00]",    ".0000V [0]",     "0.000V [0000]",
            "0.000V [000]",  "0.0V [0000]",     "00.00V [00000]", "00.00V [0000]",  "00.0V [00000]",
            "00.0V [0000]",  "00V [00000]",     "00V [0000]",     "0V [0000]",      "0V [0]"};
}

std::vector<std::string> chargeTimeCaptionShapes() {
    std::set<std::string> shapes;
    for (const std::int64_t minutes : {0, 9, 99, 999, 9999, 99999}) {
        for (const std::int64_t seconds : {0, 59}) {
            const auto elapsed = static_cast<float>(minutes * 60 + seconds);
            shapes.insert(shapeOf(chargeTimeCaption({0, elapsed}).view()));
        }
    }
    return distinct(std::move(shapes));
}

std::vector<std::string> storeFullCaptionShapes() {
    // Readings turned away at 115200 baud for a year: 11 digits.
    std::vector<std::string> shapes;
    for (const bool recorded : {false, true}) {
        shapes.push_back(shapeOf(storeFullCaption(1, recorded).view()));
        shapes.push_back(shapeOf(storeFullCaption(99'999'999'999, recorded).view()));
    }
    return shapes;
}

Caption readingCaption(std::string_view prefix, std::int32_t reading, float volts,
                       std::int16_t count, const ReadingTime& time, std::int32_t offsetMinutes) {
    Caption caption;
    caption << prefix << "#" << reading << " " << valueCaption(volts, count).view();
    if (!time.known()) {
        return caption;
    }
    caption << " at ";
    appendMinutes(caption, time.chargeSeconds) << ", ";
    constexpr std::int64_t kMsPerDay = 86'400'000;
    const std::int64_t local = time.utcMilliseconds + std::int64_t{offsetMinutes} * 60'000;
    const std::int64_t second = (local % kMsPerDay + kMsPerDay) % kMsPerDay / 1000;
    appendTwoDigits(caption, second / 3600) << ":";
    appendTwoDigits(caption, second / 60 % 60) << ":";
    return appendTwoDigits(caption, second % 60);
}

Caption cursorsCaption(float voltsA, float voltsB, const ReadingTime& a, const ReadingTime& b,
                       std::int32_t readingsApart, std::string_view decimalSeparator) {
    Caption caption;
    appendVolts(caption << "A ", voltsA);
    appendVolts(caption << ", B ", voltsB);
    const double millivolts = (static_cast<double>(voltsB) - static_cast<double>(voltsA)) * 1000;
    caption << ": \xCE\x94 " << std::llround(millivolts) << " mV";  // a capital delta
    if (!a.known() || !b.known()) {
        return caption << " in " << readingsApart
                       << (readingsApart == 1 ? " reading" : " readings");
    }
    const double seconds = b.chargeSeconds - a.chargeSeconds;
    appendMinutes(caption << " in ", std::round(std::fabs(seconds)));
    if (std::fabs(seconds) >= 0.5) {  // no rate over a time that shows as none
        appendTenths(caption << " (", millivolts / (seconds / 60), decimalSeparator) << " mV/min)";
    }
    return caption;
}

Caption stretchCaption(std::int32_t first, std::int32_t last, const ReadingTime& firstTime,
                       const ReadingTime& lastTime) {
    Caption caption;
    caption << "Showing ";
    if (!firstTime.known() || !lastTime.known()) {
        return caption << "readings " << first << " to " << last;
    }
    appendMinutes(caption, firstTime.chargeSeconds) << " to ";
    return appendMinutes(caption, lastTime.chargeSeconds);
}

std::vector<std::string> gridTimeShapes() {
    return {"00:00:00", "000000"};
}

Caption axisTimeText(double seconds) {
    const auto whole = static_cast<std::int64_t>(std::fmax(std::floor(seconds), 0));
    Caption caption;
    if (whole >= 3600) {
        caption << whole / 3600 << ":";
        appendTwoDigits(caption, whole / 60 % 60);
    } else {
        caption << whole / 60;
    }
    return appendTwoDigits(caption << ":", whole % 60);
}

}  // namespace tremolex
