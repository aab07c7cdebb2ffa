#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chart/caption.h"
#include "state/chargetimes.h"
#include "state/readingtime.h"

namespace tremolex {

// A scale label: the voltage rounded to hundredths (halves away from zero), at least
// one digit before the locale's decimal separator and two after it, then "V":
// "1.50V", or "1,50V" with a comma as separator. "--V" for a value that is not finite or
// that rounds to 100 V or more either way: no cell shows it, and "-99.99V" is the widest
// text that fits beside the chart.
std::string scaleLabelText(float volts, std::string_view decimalSeparator);

// The latest value: the first five characters of numtext(volts), "V [", the count, "]"
// ("1.600V [655]", ".9775V [400]", "0V [0]").
Caption valueCaption(float volts, std::int16_t count);

// The charge time lasttime - starttime, in whole seconds, as "m min, r sec". Minutes
// keep counting past an hour and past 546 (the 16-bit limit of the seconds) up to
// "99999 min, 59 sec" (69 days), which a longer time shows; a time that is negative (the
// clock was set back) shows as 0 min, 0 sec.
Caption chargeTimeCaption(const ChargeTimes& times);

// Shown while readings are turned away: how many found no room ("1 new reading"), and,
// when they still reach the recording on disk, that they are kept there.
Caption storeFullCaption(std::int64_t rejected, bool recorded = false);

// Every form each caption above can take, as shapes: each digit written as "0", which
// stands for any digit. The window sizes its labels so that the widest of them fits.
std::vector<std::string> scaleLabelShapes(std::string_view decimalSeparator);
std::vector<std::string> valueCaptionShapes();
std::vector<std::string> chargeTimeCaptionShapes();
std::vector<std::string> storeFullCaptionShapes();
// The times under the chart up to 99 hours, and the reading numbers shown instead.
std::vector<std::string> gridTimeShapes();

// The shape of a text: its digits written as "0".
std::string shapeOf(std::string_view text);

// The notices of a charge above the chart; NoticeStrip gives the shapes of the strip.
//
// The end of a charge: the peak voltage as the latest value writes its volts, but with the
// user's decimal separator, and the charge time of the peak as the charge time is written
// ("End of charge: peak 1.482V at 63 min, 12 sec").
Caption endOfChargeCaption(float peakVolts, double peakSeconds, std::string_view decimalSeparator);

// Readings stopped coming: the time since the latest, as the charge time is written
// ("No readings for 2 min, 10 sec").
Caption stallCaption(double seconds);

// What the pointer and the measuring cursors read off the chart, in the strip.
//
// A reading: its number, its value as the latest value writes it, its charge time and,
// when it has one, its local clock time ("#1234 1.484V [607] at 62 min, 5 sec, 11:30:05");
// "A " or "B " before it for a cursor.
Caption readingCaption(std::string_view prefix, std::int32_t reading, float volts,
                       std::int16_t count, const ReadingTime& time, std::int32_t offsetMinutes);
// Two cursors: both values and the change from A to B, in whole millivolts over the time
// between them and per minute ("A 1.484V, B 1.477V: Δ -7 mV in 6 min, 48 sec
// (-1.0 mV/min)"); over a number of readings when they have no times.
Caption cursorsCaption(float voltsA, float voltsB, const ReadingTime& a, const ReadingTime& b,
                       std::int32_t readingsApart, std::string_view decimalSeparator);
// A zoomed chart: the charge times of its first and last readings ("Showing 42 min, 10 sec
// to 67 min, 0 sec"), or their numbers when they have no times.
Caption stretchCaption(std::int32_t first, std::int32_t last, const ReadingTime& firstTime,
                       const ReadingTime& lastTime);
// A charge time under the chart: minutes and seconds ("63:12"), hours from an hour on
// ("1:03:12").
Caption axisTimeText(double seconds);

}  // namespace tremolex
