#pragma once

#include <string>

#include "recording/civiltime.h"

namespace tremolex {

// The file name of a recording that started at `start` (local time; the milliseconds are
// not part of it): "2026-12-08 11.30.05.csv" for `number` 1; when that name is taken, the
// caller tries 2, 3, ...: "2026-12-08 11.30.05 (2).csv". Only characters every file system
// takes. Empty for a time that is not valid or a number below 1.
std::string recordingFileName(const CivilTime& start, int number = 1);

}  // namespace tremolex
