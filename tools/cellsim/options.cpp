#include "options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <map>

#include "converter.h"

namespace tremolex::cellsim {

namespace {

constexpr int kHighestPort = 255;  // the program reads entries up to com255
constexpr int kHighestBaud = 4000000;
constexpr int kHighestBurst = 100000;
constexpr double kLongestInterval = 86400;
constexpr double kLongestStart = 86400;
constexpr double kFastestSpeed = 1e6;
constexpr double kLongestPause = 3600;

std::string quoted(std::string_view text) {
    std::string result(1, '"');
    result.append(text).push_back('"');
    return result;
}

template <typename Integer>
std::optional<Integer> wholeNumber(std::string_view text, Integer lowest, Integer highest) {
    Integer value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
        value < lowest || value > highest) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> decimal(std::string_view text, double lowest, double highest,
                              bool lowestAllowed) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
        !std::isfinite(value) || value > highest || value < lowest ||
        (!lowestAllowed && value == lowest)) {
        return std::nullopt;
    }
    return value;
}

// Reads one option's value into the options, or says what is wrong with it.
using ValueReader = std::function<std::optional<std::string>(std::string_view, Options&)>;

template <typename Integer, typename Store>
ValueReader integerOption(Integer lowest, Integer highest, Store store) {
    return [=](std::string_view text, Options& options) -> std::optional<std::string> {
        const auto value = wholeNumber<Integer>(text, lowest, highest);
        if (!value) {
            return quoted(text) + " is not a whole number from " + std::to_string(lowest) + " to " +
                   std::to_string(highest);
        }
        store(options, *value);
        return std::nullopt;
    };
}

template <typename Store>
ValueReader decimalOption(double lowest, double highest, bool lowestAllowed, std::string_view range,
                          Store store) {
    return [=](std::string_view text, Options& options) -> std::optional<std::string> {
        const auto value = decimal(text, lowest, highest, lowestAllowed);
        if (!value) {
            return quoted(text) + " is not a number " + std::string(range);
        }
        store(options, *value);
        return std::nullopt;
    };
}

const std::map<std::string_view, ValueReader>& valueOptions() {
    static const std::map<std::string_view, ValueReader> readers = {
        {"--profile",
         [](std::string_view text, Options& options) -> std::optional<std::string> {
             options.charge = ChargeCurve::kindNamed(text);
             if (options.charge) {
                 return std::nullopt;
             }
             const auto kind = Profile::kindNamed(text);
             if (!kind) {
                 return quoted(text) +
                        " is not a profile (nimh, nicd, ramp, constant, sine, nimh-1c, nimh-0.5c, "
                        "nicd-1c, nimh-0.1c, stopped-80, steady, drift, bump)";
             }
             options.profile = *kind;
             return std::nullopt;
         }},
        {"--port",
         [](std::string_view text, Options& options) -> std::optional<std::string> {
             if (text == "auto") {
                 options.port.reset();
                 return std::nullopt;
             }
             const auto port = wholeNumber<int>(text, 1, kHighestPort);
             if (!port) {
                 return quoted(text) + " is not \"auto\" or a port number from 1 to " +
                        std::to_string(kHighestPort);
             }
             options.port = *port;
             return std::nullopt;
         }},
        {"--baud", integerOption<int>(1, kHighestBaud, [](Options& o, int v) { o.baud = v; })},
        {"--interval", decimalOption(0, kLongestInterval, false, "above 0 and at most 86400",
                                     [](Options& o, double v) { o.interval = v; })},
        {"--speed", decimalOption(0, kFastestSpeed, false, "above 0 and at most 1000000",
                                  [](Options& o, double v) { o.speed = v; })},
        {"--noise", decimalOption(0, kTopCount, true, "from 0 to 1023",
                                  [](Options& o, double v) { o.noise = v; })},
        {"--seed", integerOption<std::uint64_t>(0, std::numeric_limits<std::uint64_t>::max(),
                                                [](Options& o, std::uint64_t v) { o.seed = v; })},
        {"--count", integerOption<std::uint64_t>(1, std::numeric_limits<std::int64_t>::max(),
                                                 [](Options& o, std::uint64_t v) { o.count = v; })},
        {"--garbage",
         decimalOption(0, 1, true, "from 0 to 1", [](Options& o, double v) { o.garbage = v; })},
        {"--burst", integerOption<int>(1, kHighestBurst, [](Options& o, int v) { o.burst = v; })},
        {"--disconnect-after",
         integerOption<std::uint64_t>(1, std::numeric_limits<std::int64_t>::max(),
                                      [](Options& o, std::uint64_t v) { o.disconnectAfter = v; })},
        {"--pause", decimalOption(0, kLongestPause, true, "from 0 to 3600",
                                  [](Options& o, double v) { o.pause = v; })},
        {"--volts", decimalOption(0, kFullScaleVolts, true, "from 0 to 2.5",
                                  [](Options& o, double v) { o.volts = v; })},
        {"--from", decimalOption(0, kLongestStart, true, "from 0 to 86400",
                                 [](Options& o, double v) { o.from = v; })},
        {"--write-recording",
         [](std::string_view text, Options& options) -> std::optional<std::string> {
             if (text.empty()) {
                 return std::string("--write-recording needs a file name");
             }
             options.recording = text;
             return std::nullopt;
         }},
    };
    return readers;
}

// Options that stand alone.
const std::map<std::string_view, std::function<void(Options&)>>& flagOptions() {
    static const std::map<std::string_view, std::function<void(Options&)>> flags = {
        {"--crlf", [](Options& o) { o.ending = LineEnding::CrLf; }},
        {"--no-newline", [](Options& o) { o.ending = LineEnding::None; }},
        {"--print-end", [](Options& o) { o.printEnd = true; }},
    };
    return flags;
}

ParsedArguments failure(std::string message) {
    ParsedArguments parsed;
    parsed.error = std::move(message);
    return parsed;
}

}  // namespace

ParsedArguments parseArguments(std::span<const std::string_view> arguments) {
    Options options;
    bool crlf = false;
    bool noNewline = false;
    bool pauseGiven = false;
    // Help wins over mistakes elsewhere on the line: it is what the user needs then.
    for (const std::string_view argument : arguments) {
        if (argument == "-h" || argument == "--help") {
            ParsedArguments parsed;
            parsed.help = true;
            return parsed;
        }
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        std::optional<std::string_view> value;
        if (const auto equals = name.find('='); name.starts_with("--") && equals != name.npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (const auto flag = flagOptions().find(name); flag != flagOptions().end()) {
            if (value) {
                return failure(std::string(name) + " takes no value");
            }
            flag->second(options);
            crlf = crlf || name == "--crlf";
            noNewline = noNewline || name == "--no-newline";
            continue;
        }
        const auto reader = valueOptions().find(name);
        if (reader == valueOptions().end()) {
            return failure(name.starts_with("-") ? "unknown option " + quoted(name)
                                                 : "unexpected argument " + quoted(name));
        }
        if (!value) {
            if (i + 1 == arguments.size()) {
                return failure(std::string(name) + " needs a value");
            }
            value = arguments[++i];
        }
        if (const auto problem = reader->second(*value, options)) {
            return failure(std::string(name) + ": " + *problem);
        }
        pauseGiven = pauseGiven || name == "--pause";
    }
    if (crlf && noNewline) {
        return failure("--crlf and --no-newline cannot be used together");
    }
    if (pauseGiven && !options.disconnectAfter) {
        return failure("--pause applies only with --disconnect-after");
    }
    if (options.volts && (options.charge || (options.profile != Profile::Kind::Constant &&
                                             options.profile != Profile::Kind::Sine))) {
        return failure("--volts applies only to the constant and sine profiles");
    }
    if (options.charge && options.noise > 0) {
        return failure("--noise does not apply to " +
                       std::string(ChargeCurve::nameOf(*options.charge)) +
                       ": it brings noise, spikes, contact bounce and pauses of its own");
    }
    if (options.charge && (options.from > 0 || !options.recording.empty())) {
        return failure("--from and --write-recording apply only to the plain profiles");
    }
    if (!options.recording.empty() && options.from <= 0) {
        return failure("--write-recording needs --from: the readings before it are written");
    }
    if (options.charge && options.printEnd && !options.seed) {
        return failure("--print-end needs --seed with " +
                       std::string(ChargeCurve::nameOf(*options.charge)) +
                       ": each seed is another charge");
    }
    ParsedArguments parsed;
    parsed.options = options;
    return parsed;
}

std::string helpText() {
    return R"(Usage: cellsim [OPTION]...
A simulated measuring device for Tremolex: it reports the voltage of a charging cell as
one converter count per line (1023 stands for 2.5 V) on a pseudo-terminal, and makes that
terminal port N of Tremolex through the link com<N> in the folder
  ${XDG_CONFIG_HOME:-$HOME/.config}/Bramwick Tremolex/ports
It removes the link when it stops (at the end of --count, on Ctrl+C or SIGTERM) and never
changes or removes an entry it did not make. Readings start when a program opens the port
and wait while no program has it open, so no reading is lost.

Device:
  --port N|auto        port number 1..255, or the highest of 1..12 that has no entry
                       (default auto); the number is printed on standard output
  --baud B             line speed; lines are paced at 10 bits a byte (default 19200)
  --profile NAME       what is measured (default nimh):
                         nimh      NiMH cell at 1C: 1.25 V, a slow rise, a peak near
                                   1.485 V at 66 min, then a small drop (-dV)
                         nicd      NiCd cell at 1C: lower plateau, a peak near 1.47 V at
                                   65 min, then a sharper drop
                         ramp      count = seconds since the start, mod 1024
                         constant  a steady voltage (--volts)
                         sine      --volts +- 0.25 V, one cycle a minute
                       simulated charges, one per --seed, drawn within published ranges,
                       with noise, spikes, contact bounce and pauses of their own:
                         nimh-1c   NiMH at 1C: peak after 60-80 min, then -dV of 5-12 mV
                         nimh-0.5c NiMH at 0.5C: peak after 130-160 min, -dV of 5-10 mV
                         nicd-1c   NiCd at 1C: peak after 60-75 min, -dV of 10-20 mV
                         nimh-0.1c NiMH at C/10: 13-16 h, then flat (no clear -dV)
                       and captures that never end: stopped-80 (a fast charge stopped at
                       80 %), steady, drift (up to 10 mV an hour), bump (a deeply
                       discharged cell's early bump, then the plateau for 10-40 min);
                       cellsim stops when the capture does
  --volts V            level of constant, middle of sine, 0..2.5 (default 1.25)
  --interval S         simulated seconds between readings (default 1)
  --speed F            time-lapse: simulated time runs F times faster (default 1);
                       --speed 90 shows a whole NiMH charge (90 min) in a minute
  --noise C            Gaussian noise with a standard deviation of C counts (not with the
                       simulated charges)
  --seed N             seed of the noise and of --garbage, and the simulated charge, for
                       repeatable runs
  --print-end          print the charge time of the true end (the peak of the noise-free
                       curve) in seconds from the start, or "none", and stop
  --from S             start S simulated seconds into the profile (not with the simulated
                       charges)
  --write-recording F  write the readings of the profile's first --from seconds to F as a
                       Tremolex recording that ended a moment ago, and stop: a program
                       that continues it and then reads cellsim --from S goes on with the
                       same charge
  --count N            stop after N readings

Faults, for testing the program:
  --crlf               end lines with CR LF instead of LF
  --no-newline         never send a line feed: the counts run together
  --garbage P          before each reading, an invalid line with probability P (0..1)
  --burst N            hold readings back and send N at once, then pause
  --disconnect-after N after every N readings the device goes away (the terminal
                       closes), then comes back on the same port number after --pause
  --pause S            seconds the device stays away (default 2)

  -h, --help           show this text

Exit status: 0 when stopped, 1 on a system failure, 2 on a bad command line, 3 when the
port is taken (its entry exists and was not made by this cellsim) or no port is free.
)";
}

}  // namespace tremolex::cellsim
