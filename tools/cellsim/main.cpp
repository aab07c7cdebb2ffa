#include <iostream>
#include <string_view>
#include <vector>

#include "options.h"
#include "recordingwriter.h"
#include "simulator.h"
#include "stopsignals.h"

int main(int argc, char** argv) {
    using namespace tremolex::cellsim;
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const ParsedArguments parsed = parseArguments(arguments);
    if (parsed.help) {
        std::cout << helpText();
        return kExitStopped;
    }
    if (!parsed.options) {
        std::cerr << "cellsim: " << parsed.error << "\nTry 'cellsim --help'.\n";
        return kExitBadArguments;
    }
    if (parsed.options->printEnd) {
        const Options& options = *parsed.options;
        const auto end = options.charge ? ChargeCurve(*options.charge, *options.seed).endSeconds()
                                        : Profile(options.profile).endSeconds();
        if (end) {
            std::cout << *end << '\n';
        } else {
            std::cout << "none\n";
        }
        return kExitStopped;
    }
    if (!parsed.options->recording.empty()) {
        return writeRecording(*parsed.options, std::cerr);
    }
    StopSignals signals;
    Simulator simulator(*parsed.options, signals, std::cout, std::cerr);
    return simulator.run();
}
