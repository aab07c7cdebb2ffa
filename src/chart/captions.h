#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/state/chargetimes.h"
#include "chart/caption.h"

namespace tremolex {

// A scale label: the voltage rounded to hundredths (halves away from zero), at least
// one digit before the locale's decimal separator and two after it, then "V":
// "1.50V", or "1,50V" with a comma as separator. "--V" for a value that is not finite.
std::string scaleLabelText(float volts, std::string_view decimalSeparator);

// The latest value: the first five characters of numtext(volts), "V [", the count, "]"
// ("1.600V [655]", ".9775V [400]", "0V [0]").
Caption valueCaption(float volts, std::int16_t count);

// The charge time lasttime - starttime, in whole seconds, as "m min, r sec". Minutes
// keep counting past an hour and past 546 (the 16-bit limit of the seconds); a time that
// is negative (the clock was set back) shows as 0 min, 0 sec.
Caption chargeTimeCaption(const ChargeTimes& times);

// Shown once the store is full: how many readings found no room.
Caption storeFullCaption(std::int64_t rejected);

}  // namespace tremolex
