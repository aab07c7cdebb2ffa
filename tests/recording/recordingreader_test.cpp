#include "recording/recordingreader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tremolex {
namespace {

using namespace std::string_literals;

// Everything a reader reports, to compare readings of the same text.
struct Outcome {
    bool hasHeader = false;
    std::int64_t soundLines = 0;
    RecordingReader::LeftOut leftOut;
    std::optional<RecordedReading> first, last;
    std::uint64_t soundBytes = 0;
    std::vector<RecordedReading> readings;

    bool operator==(const Outcome&) const = default;
};

// Reads `text` in pieces of `piece` bytes (all of it at once for 0), each in a buffer of its
// own size so that reading past a piece is caught.
Outcome read(std::string_view text, std::size_t capacity = 1000, std::size_t piece = 0) {
    RecordingReader reader(capacity);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t size = piece == 0 ? text.size() : std::min(piece, text.size() - at);
        const std::vector<char> exact(text.begin() + at, text.begin() + at + size);
        reader.feed({exact.data(), exact.size()});
        at += size;
    }
    reader.finish();
    return {reader.hasHeader(),   reader.soundLines(), reader.leftOut(),     reader.firstReading(),
            reader.lastReading(), reader.soundBytes(), reader.takeReadings()};
}

std::vector<RecordedReading> readingsOf(int n, int firstIndex = 0) {
    std::vector<RecordedReading> readings;
    for (int i = firstIndex; i < firstIndex + n; ++i) {
        readings.push_back({static_cast<std::int16_t>(600 + i * 37 - (i % 3) * 500),
                            1'765'000'000'000 + i * 100, i * 100 / 1000.0});
    }
    return readings;
}

std::string linesOf(const std::vector<RecordedReading>& readings) {
    std::string text;
    for (const RecordedReading& reading : readings) {
        std::array<char, kRecordingLineCapacity> line{};
        text.append(line.data(), formatRecordingLine(reading, 60, line));
    }
    return text;
}

const std::string kHeaderLine = std::string(kRecordingHeader) + "\r\n";

std::string recordingOf(const std::vector<RecordedReading>& readings) {
    return kHeaderLine + linesOf(readings);
}

TEST(RecordingReader, ReadsASoundRecording) {
    const std::vector<RecordedReading> readings = readingsOf(5);
    const std::string text = recordingOf(readings);
    EXPECT_EQ(read(text),
              (Outcome{true, 5, {}, readings.front(), readings.back(), text.size(), readings}));
    std::string lineFeeds = text;
    std::erase(lineFeeds, '\r');
    EXPECT_EQ(
        read(lineFeeds),
        (Outcome{true, 5, {}, readings.front(), readings.back(), lineFeeds.size(), readings}));
    EXPECT_EQ(read(kHeaderLine), (Outcome{true, 0, {}, {}, {}, kHeaderLine.size(), {}}));

    // The longest line there is, in pieces, so that the reader holds all of it at once.
    const RecordedReading longest{-32768, 1'765'000'000'000, 999'999'999'999.999};
    std::array<char, kRecordingLineCapacity> line{};
    ASSERT_EQ(formatRecordingLine(longest, -(23 * 60 + 59), line), kRecordingLineCapacity);
    const std::string longestText = kHeaderLine + std::string(line.data(), line.size());
    EXPECT_EQ(read(longestText, 1, 3).readings, std::vector{longest});
}

TEST(RecordingReader, TellsATextWithoutTheHeaderFromARecording) {
    const std::string lines = linesOf(readingsOf(3));
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"Empty", ""},
        {"GraphLog", "612\r\n613\r\n"},
        {"HeaderNotEnded", std::string(kRecordingHeader)},
        {"HeaderWithByteOrderMark", "\xEF\xBB\xBF" + kHeaderLine + lines},
        {"HeaderWithTrailingBlank", std::string(kRecordingHeader) + " \r\n" + lines},
        {"LongLineWithoutEnd", std::string(3'000'000, 'x')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read(c.text, 10, 4096), Outcome{}) << c.name;
    }
}

// Cut at every byte, as a crash leaves it, and then also followed by the zeros that a power
// cut can leave: only whole lines are read, and the file is sound again when cut where the
// reader says.
TEST(RecordingReader, ReadsOnlyWholeLinesOfARecordingCutAnywhere) {
    const std::vector<RecordedReading> readings = readingsOf(4);
    const std::string text = recordingOf(readings);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        for (const std::size_t zeros : {0, 700}) {
            SCOPED_TRACE(testing::Message() << "cut " << cut << ", zeros " << zeros);
            const std::string damaged = text.substr(0, cut) + std::string(zeros, '\0');
            const Outcome outcome = read(damaged, 1000, 64);
            const std::size_t lineEnd = text.rfind('\n', cut == 0 ? 0 : cut - 1);
            const std::size_t whole = cut == 0 || lineEnd == std::string::npos ? 0 : lineEnd + 1;
            const std::int64_t lines = std::count(text.begin(), text.begin() + whole, '\n');
            EXPECT_EQ(outcome.hasHeader, lines > 0);
            EXPECT_EQ(outcome.soundBytes, whole);
            EXPECT_EQ(outcome.soundLines, std::max<std::int64_t>(lines - 1, 0));
            EXPECT_EQ(outcome.leftOut.total(), lines > 0 && damaged.size() > whole ? 1 : 0);
            EXPECT_EQ(outcome.readings,
                      std::vector(readings.begin(), readings.begin() + outcome.soundLines));
            if (lines > 0) {
                EXPECT_EQ(read(damaged.substr(0, whole) + linesOf(readingsOf(2, 4))).leftOut,
                          RecordingReader::LeftOut{});
            }
        }
    }
}

TEST(RecordingReader, LeavesOutDamagedLinesAndReadsOnAfterThem) {
    const std::vector<RecordedReading> readings = readingsOf(6);
    const std::string a = linesOf({readings[0], readings[1]});
    const std::string b = linesOf({readings[2], readings[3]});
    const std::string tail = linesOf({readings[4], readings[5]});
    std::string digitLost = linesOf({readingsOf(1, 9)});
    digitLost.at(31) = 'x';  // not replace(): g++ 12 at -O3 warns of an overlap (-Wrestrict)
    const struct {
        const char* name;
        std::string between;
        RecordingReader::LeftOut leftOut;
    } cases[] = {
        {"EmptyLine", "\r\n", {.malformed = 1}},
        {"DigitLost", digitLost, {.malformed = 1}},
        {"ZerosThenLineEnd", std::string(30, '\0') + "\n", {.malformed = 1}},
        {"BinaryLines", "\x01\xff\x7f\n\x80\x00\r\n"s, {.malformed = 2}},
        {"LineLongerThanAnyReading",
         std::string(kRecordingLineCapacity - 1, '7') + "\r\n",
         {.overlong = 1}},
        {"LineOfAMegabyte", std::string(1 << 20, 'x') + "\n", {.overlong = 1}},
        {"HeaderAgain", kHeaderLine, {.malformed = 1}},
        {"ChargeTimeGoingBack", linesOf({readings[0]}), {.backwards = 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = kHeaderLine + a + c.between + b + tail;
        const Outcome outcome = read(text, 1000, 4096);
        EXPECT_EQ(outcome.leftOut, c.leftOut);
        EXPECT_EQ(outcome.readings, readings);
        EXPECT_EQ(outcome.soundBytes, text.size());
    }
}

TEST(RecordingReader, AppendedGarbageIsLeftOutAndCutAway) {
    const std::vector<RecordedReading> readings = readingsOf(3);
    const std::string text = recordingOf(readings);
    std::string unended = linesOf(readingsOf(1, 3));
    unended.resize(unended.size() - 2);
    const struct {
        const char* name;
        std::string garbage;
        RecordingReader::LeftOut leftOut;
    } cases[] = {
        {"BinaryLines", "\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR"s, {.torn = 1, .malformed = 2}},
        {"ReadingWithoutLineEnd", unended, {.torn = 1}},
        {"MegabyteWithoutLineEnd", std::string(1 << 20, '\xAA'), {.torn = 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = read(text + c.garbage, 1000, 4096);
        EXPECT_EQ(outcome.leftOut, c.leftOut);
        EXPECT_EQ(outcome.readings, readings);
        EXPECT_EQ(outcome.soundBytes, text.size());
    }
}

TEST(RecordingReader, ReadsTheSameInPiecesSplitAnywhere) {
    std::vector<RecordedReading> readings = readingsOf(4);
    std::string text = kHeaderLine + linesOf({readings[0]}) + "\x00garbage\n"s +
                       linesOf({readings[1], readingsOf(1)[0]}) + std::string(100, '9') + "\r\n" +
                       linesOf({readings[2]});
    std::string lineFeed = linesOf({readings[3]});
    lineFeed.erase(lineFeed.size() - 2, 1);
    text += lineFeed + "2026-12-08T11:30";
    const Outcome whole = read(text);
    ASSERT_EQ(whole.readings, readings);
    ASSERT_EQ(whole.leftOut,
              (RecordingReader::LeftOut{.torn = 1, .malformed = 1, .overlong = 1, .backwards = 1}));
    for (std::size_t piece = 1; piece <= kRecordingLineCapacity + 1; ++piece) {
        EXPECT_EQ(read(text, 1000, piece), whole) << piece;
    }
}

TEST(RecordingReader, KeepsTheLastReadingsAndCountsThemAll) {
    const std::vector<RecordedReading> readings = readingsOf(10);
    const std::string text = recordingOf(readings);
    for (const std::size_t capacity : {0, 1, 3, 5, 9, 10, 11}) {
        const Outcome outcome = read(text, capacity);
        EXPECT_EQ(outcome.soundLines, 10);
        EXPECT_EQ(outcome.first, readings.front());
        EXPECT_EQ(outcome.last, readings.back());
        EXPECT_EQ(outcome.readings,
                  std::vector(readings.end() -
                                  static_cast<std::ptrdiff_t>(std::min<std::size_t>(capacity, 10)),
                              readings.end()))
            << capacity;
    }
}

}  // namespace
}  // namespace tremolex
