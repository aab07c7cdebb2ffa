#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "chargecurve.h"
#include "linemaker.h"
#include "profile.h"

namespace tremolex::cellsim {

// What the command line asks of the simulated device.
struct Options {
    Profile::Kind profile = Profile::Kind::NiMH;
    std::optional<ChargeCurve::Kind> charge;  // a simulated charge instead of `profile`
    bool printEnd = false;                    // print the true end and stop
    std::optional<double> volts;              // level of constant, middle of sine
    std::optional<int> port;                  // 1..255; nothing: the highest free one of 1..12
    int baud = 19200;
    double interval = 1;  // simulated seconds between readings
    double speed = 1;     // time-lapse factor
    double noise = 0;     // counts, standard deviation
    std::optional<std::uint64_t> seed;
    std::optional<std::uint64_t> count;  // stop after this many readings
    LineEnding ending = LineEnding::LineFeed;
    double garbage = 0;  // probability of an invalid line before a reading
    int burst = 1;
    std::optional<std::uint64_t> disconnectAfter;  // readings between two disconnections
    double pause = 2;                              // seconds the device stays away
    double from = 0;        // simulated seconds into the profile at the first reading
    std::string recording;  // write the readings before `from` to this recording, and stop
};

// The outcome of reading a command line: options, a request for help, or an error
// message for the user (exit status 2).
struct ParsedArguments {
    std::optional<Options> options;
    bool help = false;
    std::string error;
};

// `arguments` without the program name. Every value is checked in full: "60x", "1e999",
// "nan" and values out of range are errors, never silently cut.
ParsedArguments parseArguments(std::span<const std::string_view> arguments);

// The text of --help.
std::string helpText();

}  // namespace tremolex::cellsim
