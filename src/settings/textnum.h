#pragma once

#include <string_view>

namespace tremolex {

// Reads a number the lenient way every numeric setting is read. Blanks, tabs and line
// feeds anywhere in the text are ignored ("5 12" reads as 512); then the longest leading
// decimal number is taken: an optional sign, digits with an optional "." and fraction,
// and an optional exponent (E or D, with an optional sign). A text that does not start
// with a number, the empty text included, gives 0. Never fails: a number too large for
// a double gives an infinity of its sign, one too small gives 0.
double textnum(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 gives 2,
// 3.5 gives 4).
double roundHalfEven(double value);

}  // namespace tremolex
