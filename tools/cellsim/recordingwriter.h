#pragma once

#include <ostream>

#include "options.h"

namespace tremolex::cellsim {

// Writes the readings of the profile's first `options.from` seconds, one every
// `options.interval`, to `options.recording` as a Tremolex recording whose last reading came
// one interval ago: what the program would have on disk had it recorded them and been
// stopped just now. Returns the exit status; `log` says what went wrong.
int writeRecording(const Options& options, std::ostream& log);

}  // namespace tremolex::cellsim
