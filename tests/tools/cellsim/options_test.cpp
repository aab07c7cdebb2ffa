#include "options.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <vector>

namespace tremolex::cellsim {
namespace {

ParsedArguments parse(const std::string& commandLine) {
    std::istringstream words(commandLine);
    std::vector<std::string> owned;
    for (std::string word; words >> word;) {
        owned.push_back(word == "''" ? "" : word);
    }
    const std::vector<std::string_view> arguments(owned.begin(), owned.end());
    return parseArguments(arguments);
}

TEST(Options, GoodCommandLines) {
    const std::pair<const char*, std::function<bool(const Options&)>> cases[] = {
        {"", [](const Options& o) { return o.profile == Profile::Kind::NiMH && !o.port; }},
        {"--port=255", [](const Options& o) { return o.port == 255; }},
        {"--profile nicd --speed 90 --interval 0.5",
         [](const Options& o) {
             return o.profile == Profile::Kind::NiCd && o.speed == 90 && o.interval == 0.5;
         }},
        {"--seed 18446744073709551615",
         [](const Options& o) { return o.seed == 18446744073709551615u; }},
        {"--crlf", [](const Options& o) { return o.ending == LineEnding::CrLf; }},
        {"--disconnect-after 100 --pause 0",
         [](const Options& o) { return o.disconnectAfter == 100u && o.pause == 0; }},
        {"--profile sine --volts 2.5", [](const Options& o) { return o.volts == 2.5; }},
    };
    for (const auto& [commandLine, holds] : cases) {
        const ParsedArguments parsed = parse(commandLine);
        ASSERT_TRUE(parsed.options) << commandLine << ": " << parsed.error;
        EXPECT_TRUE(holds(*parsed.options)) << commandLine;
    }
}

TEST(Options, BadCommandLinesSayWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"--port 0", "--port"},
        {"--port 256", "--port"},
        {"--port 5x", "\"5x\""},
        {"--port", "needs a value"},
        {"--speed 0", "--speed"},
        {"--speed nan", "--speed"},
        {"--speed 1e999", "--speed"},
        {"--speed ''", "--speed"},
        {"--interval 0", "--interval"},
        {"--baud 19200.5", "--baud"},
        {"--garbage 1.5", "--garbage"},
        {"--burst 0", "--burst"},
        {"--count 18446744073709551616", "--count"},
        {"--seed -1", "--seed"},
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
        EXPECT_FALSE(parsed.options || parsed.help) << commandLine;
        EXPECT_NE(parsed.error.find(expected), std::string::npos)
            << commandLine << " gave: " << parsed.error;
    }
}

TEST(Options, HelpWinsAndNamesEveryOption) {
    EXPECT_TRUE(parse("-h").help);
    EXPECT_TRUE(parse("--speed 0 --help").help);
    std::istringstream names(
        "--port --baud --profile --volts --interval --speed --noise --seed --count --crlf "
        "--no-newline --garbage --burst --disconnect-after --pause nimh nicd ramp constant sine");
    for (std::string option; names >> option;) {
        EXPECT_NE(helpText().find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace tremolex::cellsim
