#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "recording/recordedreading.h"

// A recording is a CSV file (RFC 4180) of one line per reading, each ended by CR LF:
//   Local time,Charge time (s),Count,Volts
//   2026-12-08T11:30:05.123+01:00,12.345,612,1.4956
// The local time has milliseconds and its UTC offset (+00:00 for UTC); the charge time has
// exactly 3 decimals, the volts (the count at 1023 = 2.5 V) exactly 4. The decimal point is
// always '.', whatever the locale.
namespace tremolex {

inline constexpr std::string_view kRecordingHeader = "Local time,Charge time (s),Count,Volts";

// Room for the longest line, its CR LF included.
inline constexpr std::size_t kRecordingLineCapacity = 64;

// Charge times from 0 up to (not including) this many seconds can be written.
inline constexpr double kChargeSecondsLimit = 1e12;

// The local time is written with this offset from UTC, in minutes: -23:59..+23:59.
inline constexpr std::int32_t kLargestUtcOffsetMinutes = 23 * 60 + 59;

// Writes the reading's line, CR LF included, to the start of `line` and returns its length.
// `utcOffsetMinutes` is the offset of local time from UTC at that moment (+60 for +01:00).
// Allocates nothing. Writes nothing and returns 0 when the reading cannot be written: a
// local time outside the years 1970..9999, an offset beyond kLargestUtcOffsetMinutes, or a
// charge time that is negative, not a number or not below kChargeSecondsLimit.
std::size_t formatRecordingLine(const RecordedReading& reading, std::int32_t utcOffsetMinutes,
                                std::span<char, kRecordingLineCapacity> line);

// Reads one line of readings (not the header), as formatRecordingLine writes it; the line
// may end in CR LF, CR or LF, or have no ending. Anything else gives nothing: another number
// of fields, a field out of range (month 13, minute 60, February 30, a count beyond
// -32768..32767), missing or extra digits or decimals, signs or blanks where none belong,
// "-00:00" as offset. The volts must be a number with 4 decimals but need not agree with the
// count: the count is the reading.
std::optional<RecordedReading> parseRecordingLine(std::string_view line);

}  // namespace tremolex
