#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tremolex {

// The count on one line from the device (line feed removed), or nothing when the line
// is not a reading. A line is a reading exactly when, after removing spaces (not tabs
// or carriage returns) at both ends, it is the canonical decimal text of a number in
// -32768..32767: an optional "-", then digits without a leading zero; zero is "0".
std::optional<std::int16_t> parseCountLine(std::string_view line);

}  // namespace tremolex
