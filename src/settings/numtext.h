#pragma once

#include <cstdint>
#include <string>

namespace tremolex {

// A number as the program writes it into settings, labels and log files: decimal, "."
// as separator whatever the locale, "-" for negatives and no other sign or blank, whole
// values without a point, no trailing zeros and no zero before the point (0.6 gives
// ".6", -0.25 gives "-.25").
//
// Single-precision values get the shortest text of at most 7 significant digits that
// reads back as the same value, otherwise 7 digits (1.6006843 gives "1.600684"); double
// values likewise with at most 15. Plain digits are used from 1e-10 up to below 1e15,
// the form "1.5E+20" outside; either way textnum() reads the text back.
std::string numtext(float value);
std::string numtext(double value);
std::string numtext(std::int32_t value);
std::string numtext(std::int64_t value);

}  // namespace tremolex
