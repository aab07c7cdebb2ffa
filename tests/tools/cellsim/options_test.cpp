#include "options.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <vector>

namespace tremolex::cellsim {
namespace {

ParsedArguments parse(const std::string& commandLine) {
    std::istringstream words(commandLine);
    const std::vector<std::string> owned{std::istream_iterator<std::string>(words), {}};
    const std::vector<std::string_view> arguments(owned.begin(), owned.end());
    return parseArguments(arguments);
}

// One row for each way a value can be wrong: each would pass if its own check were missing.
// The process tests run the usual command lines; the first row holds the edges allowed.
TEST(Options, CommandLinesAreCheckedInFull) {
    const std::pair<const char*, const char*> cases[] = {
        {"--port=255 --seed 18446744073709551615 --profile sine --volts 2.5 "
         "--disconnect-after 1 --pause 0",
         nullptr},
        {"--port 0", "--port"},
        {"--port 256", "--port"},
        {"--port 5x", "\"5x\""},
        {"--port", "needs a value"},
        {"--burst 0", "--burst"},
        {"--speed 0", "--speed"},
        {"--speed nan", "--speed"},
        {"--noise 1e999", "--noise"},
        {"--garbage 1.5", "--garbage"},
        {"--seed 18446744073709551616", "--seed"},
        {"--profile lipo", "lipo"},
        {"--crlf --no-newline", "together"},
        {"--crlf=yes", "takes no value"},
        {"--pause 1", "--disconnect-after"},
        {"--volts 1", "--volts"},
        {"--frobnicate", "unknown option"},
        {"nimh", "unexpected argument"},
    };
    for (const auto& [commandLine, expected] : cases) {
        const ParsedArguments parsed = parse(commandLine);
        EXPECT_EQ(parsed.options.has_value(), expected == nullptr) << commandLine;
        EXPECT_NE(parsed.error.find(expected ? expected : ""), std::string::npos)
            << commandLine << " gave: " << parsed.error;
    }
    EXPECT_TRUE(parse("--speed 0 -h").help && parse("--help").help);  // what the user needs
}

}  // namespace
}  // namespace tremolex::cellsim
