#include "options.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <vector>

namespace tremolex::cellsim {
namespace {

ParsedArguments parse(std::string_view commandLine) {
    std::istringstream words{std::string(commandLine)};
    const std::vector<std::string> owned{std::istream_iterator<std::string>(words), {}};
    return parseArguments(std::vector<std::string_view>(owned.begin(), owned.end()));
}

// The edges allowed, then one refused line for each way a value can be wrong: each would
// pass if its own check were missing. The process tests run the usual command lines and
// see the exit status.
TEST(Options, CommandLinesAreCheckedInFull) {
    const ParsedArguments edges = parse(
        "--port=255 --seed 18446744073709551615 --profile sine --volts 2.5 --disconnect-after 1 "
        "--pause 0");
    EXPECT_TRUE(edges.options) << edges.error;
    const ParsedArguments charge = parse("--profile nimh-0.5c --seed 7 --print-end");
    EXPECT_TRUE(charge.options && charge.options->charge == ChargeCurve::Kind::NiMHHalfC &&
                charge.options->printEnd);
    const std::string_view refused[] = {
        "--port 0", "--port 256", "--port 5x", "--port", "--burst 0", "--speed 0", "--speed nan",
        "--noise 1e999", "--garbage 1.5", "--profile lipo", "--crlf --no-newline", "--crlf=yes",
        "--pause 1", "--volts 1", "--frobnicate", "nimh",
        // the simulated charges bring their own noise; each seed is another charge
        "--profile nimh-1c --noise 1", "--profile steady --volts 1", "--profile drift --print-end",
        // a recording is of the plain profiles, and of the readings before --from
        "--profile nimh-1c --from 60", "--write-recording x.csv", "--from 86401"};
    for (const std::string_view commandLine : refused) {
        const ParsedArguments parsed = parse(commandLine);
        EXPECT_TRUE(!parsed.options && !parsed.error.empty()) << commandLine;
    }
    const ParsedArguments recording = parse("--from 3940 --write-recording a.csv");
    EXPECT_TRUE(recording.options && recording.options->from == 3940 &&
                recording.options->recording == "a.csv");
    EXPECT_FALSE(parse("--seed 18446744073709551616").options);
    EXPECT_TRUE(parse("--speed 0 -h").help && parse("--help").help);  // what the user needs
}

}  // namespace
}  // namespace tremolex::cellsim
