#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "realprogram.h"
#include "support/files.h"

namespace tremolex {

using namespace std::chrono_literals;

// What a person does with the program, the same for the Linux program and the Windows one,
// each on an X server of its own with a window manager and a pseudo-terminal as its device.
// A Program is a RealProgram (Desktop::Session::Openbox) that also has: prepare(), before
// a start; start(); replug(), the device reopened at the program's port(); settings(), what
// the program stored, and folder(), its own folder as it stores it; portShows(ready), the
// port status says ready (or error) on its colour; chart(), its place on the screen;
// band(from, to, count), where readings from..to of `count` each are drawn, if that can be
// known; message(text, other), the message box showing `text` other than window `other`;
// placeSeen(program, window), the program knows where its window is; endSession(program),
// false when the session's end cannot be played; labels(start), the captions beginning so,
// if they can be read; path(file), a file's name as the program knows it; choose(program,
// window, menu, file), which types `file` into the file dialog `menu` opens and gives the
// question that came ("" when it closed, nothing when it never answered); answer(program,
// question, replace), which declined also cancels the dialog; recordings(), the folder of
// its recordings; and kNoModes, why files have no Unix modes there (or nullptr).
template <typename Program>
class Scenario : public testing::Test {
protected:
    void SetUp() override { p.prepare(); }

    // Pixels of `colour` inside `area` of the screen that the program's window shows.
    int pixels(const QRect& area, QRgb colour = RealProgram::kLightGreen) const {
        const std::string window = p.windowNamed(kTitle);
        const Desktop::Geometry at = p.desktop.geometry(window);
        return p.desktop.pixels(window, colour, area.translated(-at[0], -at[1]));
    }
    void send(int count, int readings = 30) {
        for (int i = 0; i < readings; ++i) {
            p.device.write(std::to_string(count) + "\n");
        }
    }

    static inline const std::string kTitle = "Bramwick Tremolex", kDialog = "Tremolex",
                                    kFileDialog = "Select Graph LOG File";
    // 4000, 3000, 8000 and 8000 twips, the first start's place.
    static constexpr Desktop::Geometry kFirstFrame{267, 200, 533, 533};
    Program p;
};

TYPED_TEST_SUITE_P(Scenario);

TYPED_TEST_P(Scenario, FirstStartDrawsReadingsRunsOnceAndPicksTheDeviceUpAgain) {
    auto& p = this->p;
    const auto program = p.start();
    const std::string window = p.windowNamed(this->kTitle);
    EXPECT_TRUE(eventually([&] { return p.desktop.frame(window) == this->kFirstFrame; }));
    EXPECT_EQ(p.desktop.frame(window), this->kFirstFrame);
    ASSERT_TRUE(eventually([&] { return p.portShows(true); }));
    const std::map<std::string, std::string> defaults = {
        {"Last Path", p.folder()},        {"Range", "0.6"},
        {"Serial Port Number", p.port()}, {"Serial Port Baud Rate", "19200"},
        {"Window Left", "4000"},          {"Window Top", "3000"},
        {"Window Width", "8000"},         {"Window Height", "8000"}};
    EXPECT_EQ(p.settings(), defaults);  // the port found by the first start's search
    const QRect chart = p.chart();
    EXPECT_EQ(this->pixels(chart), 0);
    this->send(512);
    EXPECT_TRUE(eventually([&] { return this->pixels(chart) >= 30; }));
    const int first = this->pixels(chart);
    if (const auto band = p.band(0, 30, 512)) {
        EXPECT_EQ(this->pixels(*band), first);  // and nowhere else
    }

    EXPECT_EQ(p.start()->wait(20s), 0);  // a second copy ends at once, without a window
    EXPECT_EQ(p.desktop.windows(this->kTitle).size(), 1u);

    p.device.hangUp();
    EXPECT_TRUE(eventually([&] { return p.portShows(false); }));
    EXPECT_EQ(this->pixels(chart), first);  // the readings stay
    p.replug();
    EXPECT_TRUE(eventually([&] { return p.portShows(true); }));
    this->send(600);
    EXPECT_TRUE(eventually([&] { return this->pixels(chart) >= first + 30; }));
    if (const auto band = p.band(30, 60, 600)) {
        EXPECT_GE(this->pixels(*band), 30);
        EXPECT_EQ(this->pixels(chart), first + this->pixels(*band));
    }
}

// A wrong port number is refused and the port kept; the range is kept over a restart.
TYPED_TEST_P(Scenario, RangeAndPortDialogsThenARestartKeepsTheRange) {
    auto& p = this->p;
    auto program = p.start();
    const std::string window = p.windowNamed(this->kTitle);
    ASSERT_TRUE(eventually([&] { return p.settings()["Serial Port Number"] == p.port(); }));
    ASSERT_TRUE(eventually([&] { return p.portShows(true); }));
    p.desktop.keys(window, {"alt+o", "Down", "Down", "Return"});  // Change Voltage Range
    const std::string range = p.windowNamed(this->kDialog);
    p.desktop.enter(range, "0.3");
    ASSERT_TRUE(eventually([&] { return p.settings()["Range"] == ".3"; }));
    p.desktop.keys(window, {"alt+o", "Down", "Down", "Down", "Return"});  // Select Serial Port
    const std::string port = p.windowNamed(this->kDialog, range);
    p.desktop.enter(port, "13");
    const std::string message = p.message("Wrong entry!", port);
    ASSERT_FALSE(message.empty());
    p.desktop.keys(message, {"Return"});
    EXPECT_TRUE(eventually([&] { return p.desktop.windows(this->kDialog).empty(); }));
    EXPECT_EQ(p.settings()["Serial Port Number"], p.port());
    EXPECT_TRUE(eventually([&] { return p.portShows(true); }));

    p.desktop.keys(window, {"alt+F4"});  // the window's close, through the window manager
    ASSERT_EQ(program->wait(), 0);
    EXPECT_EQ(p.settings()["Range"], ".3");
    program = p.start();
    p.windowNamed(this->kTitle);
    const std::set<std::string> scale = {"1.30V", "1.35V", "1.40V", "1.45V",
                                         "1.50V", "1.55V", "1.60V"};
    if (p.labels("1.")) {  // captions that can be read
        EXPECT_TRUE(eventually([&] { return p.labels("1.") == scale; }, 20s));
    }
}

// Closed both ways four times at the first place, then moved and resized: no drift.
TYPED_TEST_P(Scenario, WindowComesBackWhereItWasLeft) {
    auto& p = this->p;
    Desktop::Geometry frame = this->kFirstFrame;
    std::vector<std::string> twips = {"4000", "3000", "8000", "8000"};
    for (int run = 1; run <= 6; ++run) {
        const auto program = p.start();
        const std::string window = p.windowNamed(this->kTitle);
        eventually([&] { return p.desktop.frame(window) == frame; });
        EXPECT_EQ(p.desktop.frame(window), frame) << "outer frame at start " << run;
        if (run == 5) {  // moved and resized once the program has placed it
            p.desktop.x({"xdotool", "windowmove", "--sync", window, "150", "120", "windowsize",
                         "--sync", window, "700", "560"});
            ASSERT_EQ(p.desktop.geometry(window), (Desktop::Geometry{150, 120, 700, 560}));
            frame = p.desktop.frame(window);
            std::ranges::transform(frame, twips.begin(),
                                   [](int pixels) { return std::to_string(pixels * 15); });
        }
        EXPECT_TRUE(eventually([&] { return p.placeSeen(*program, window); })) << run;
        if (run % 2 == 0 || !p.endSession(*program)) {
            p.desktop.keys(window, {"alt+F4"});  // the window's close, through the window manager
        }
        ASSERT_EQ(program->wait(), 0);
        auto stored = p.settings();
        EXPECT_EQ((std::vector{stored["Window Left"], stored["Window Top"], stored["Window Width"],
                               stored["Window Height"]}),
                  twips)
            << "after start " << run;
    }
}

// Save asks before it replaces a file, Load opens one without asking.
TYPED_TEST_P(Scenario, SavedGraphReplacesOnlyWhenToldAndLoadsBack) {
    namespace fs = std::filesystem;
    auto& p = this->p;
    const mode_t umask = ::umask(027);  // the program inherits it
    const auto program = p.start();
    ::umask(umask);
    const std::string window = p.windowNamed(this->kTitle);
    const fs::path logs = fs::path(std::getenv("HOME")) / "logs";  // afresh on every run
    fs::remove_all(logs);
    fs::create_directory(logs);
    ASSERT_TRUE(eventually([&] { return p.portShows(true); }));
    p.device.write("512\n600\n700\n");
    ASSERT_TRUE(eventually([&] { return this->pixels(p.chart()) >= 3; }));
    const std::string readings = "512\r\n600\r\n700\r\n", old = "100\r\n200\r\n";
    const auto choose = [&](const std::vector<std::string>& menu, const std::string& name) {
        return p.choose(*program, window, menu, (logs / name).string());
    };
    const auto modes = [&](const char* name, fs::perms expected) {
        if (TypeParam::kNoModes == nullptr) {
            EXPECT_EQ(fs::status(logs / name).permissions(), expected) << name;
        }
    };
    const std::vector<std::string> saveGraph = {"alt+f", "Return"};

    EXPECT_EQ(choose(saveGraph, "capture.log"), "");  // a new name: no question
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "capture.log") == readings; }));
    modes("capture.log", fs::perms{0640});  // 0666 - umask

    std::ofstream(logs / "old.log") << old;
    fs::permissions(logs / "old.log", fs::perms(0604));
    auto question = choose(saveGraph, "old.log");
    ASSERT_TRUE(question && !question->empty()) << "no question before replacing old.log";
    p.answer(*program, *question, false);  // declined: the dialog cancelled too
    ASSERT_TRUE(eventually([&] { return p.desktop.windows(this->kFileDialog).empty(); }));
    question = choose(saveGraph, "old.log");
    ASSERT_TRUE(question && !question->empty()) << "no question before replacing old.log";
    EXPECT_EQ(contentOf(logs / "old.log"), old);  // the declined save wrote nothing
    p.answer(*program, *question, true);
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "old.log") == readings; }));
    modes("old.log", fs::perms{0604});  // kept

    std::ofstream(logs / "other.log") << old;
    EXPECT_EQ(choose({"alt+f", "Down", "Return"}, "other.log"), "");  // Load Graph
    EXPECT_EQ(choose(saveGraph, "check.log"), "");
    EXPECT_TRUE(eventually([&] { return contentOf(logs / "check.log") == old; }));
    EXPECT_EQ(p.settings()["Last Path"], p.path(logs.string() + "/"));
}

// The counts of a recording's whole lines (a torn last one is no line), and whether their
// charge times never go back.
inline std::vector<int> recordedCounts(const std::string& text, bool* ordered = nullptr) {
    std::vector<int> counts;
    double last = -1;
    bool inOrder = true;
    for (std::size_t at = text.find("\r\n"), end; at != std::string::npos; at = end) {
        at += 2;
        if ((end = text.find("\r\n", at)) == std::string::npos) {
            break;
        }
        const std::string line = text.substr(at, end - at);
        const std::size_t comma = line.find(',');
        const double seconds = std::stod(line.substr(comma + 1));
        inOrder = inOrder && seconds >= last;
        last = seconds;
        counts.push_back(std::stoi(line.substr(line.find(',', comma + 1) + 1)));
    }
    if (ordered != nullptr) {
        *ordered = inOrder;
    }
    return counts;
}

// Killed at any moment, or with its file cut as a power cut leaves it, the program loses at
// most the readings of its last second: all others are in the recording once, in order. The
// next start offers to continue it; Yes goes on in the same file, and the store holds it all.
TYPED_TEST_P(Scenario, KilledAtAnyMomentLosesAtMostItsLastSecondAndGoesOn) {
    namespace fs = std::filesystem;
    using Clock = std::chrono::steady_clock;
    auto& p = this->p;
    std::mt19937 random(20261208);
    std::vector<int> kept;  // what the recording must hold, in order
    int next = 0;           // the next reading's number; its count is 10 + number % 1000
    const auto recordings = [&] {
        std::vector<fs::path> files;
        if (fs::is_directory(p.recordings())) {
            for (const auto& entry : fs::directory_iterator(p.recordings())) {
                files.push_back(entry.path());
            }
        }
        return files;
    };
    std::unique_ptr<ChildProcess> program;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        program = p.start();
        if (round > 0) {  // the question, answered Yes (its default button)
            const std::string question = p.windowNamed(this->kDialog);
            ASSERT_FALSE(question.empty());
            p.desktop.keys(question, {"Return"});
        }
        ASSERT_FALSE(p.windowNamed(this->kTitle).empty());
        ASSERT_TRUE(eventually([&] { return p.portShows(true); }));
        const std::size_t before = kept.size();
        std::vector<std::pair<Clock::time_point, int>> sent;
        const auto kill = Clock::now() + std::chrono::milliseconds(1500 + random() % 2000);
        while (Clock::now() < kill) {
            std::string batch;
            for (int i = 0; i < 5; ++i, ++next) {
                batch += std::to_string(10 + next % 1000) + "\n";
            }
            p.device.write(batch);
            sent.emplace_back(Clock::now(), next);
            std::this_thread::sleep_for(20ms);
        }
        program->signal(SIGKILL);
        program->wait();
        const std::vector<fs::path> files = recordings();
        ASSERT_EQ(files.size(), 1U);  // every round goes on in the first round's file
        bool ordered = false;
        const std::string text = contentOf(files[0]);
        const std::vector<int> counts = recordedCounts(text, &ordered);
        EXPECT_TRUE(ordered);
        ASSERT_GE(counts.size(), before);
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), counts.begin()));
        const int first = next - static_cast<int>(sent.size()) * 5;
        // Sent more than a second before the kill, with a fifth of one for a tick that comes
        // late on a loaded machine.
        int due = first;
        for (const auto& [at, upTo] : sent) {
            due = at < kill - 1200ms ? upTo : due;
        }
        // The new readings run on one by one, from any the device still held for the last
        // round's program (the line keeps what nobody read) through all those due.
        if (due > first) {
            ASSERT_GT(counts.size(), before);
            const int back = (first - (counts[before] - 10) + 1000) % 1000;  // leftovers
            EXPECT_GE(static_cast<int>(counts.size() - before) - back, due - first);
        }
        for (std::size_t i = before + 1; i < counts.size(); ++i) {
            ASSERT_EQ((counts[i] - counts[i - 1] + 1000) % 1000, 1) << i;
        }
        kept = counts;
        if (round % 2 == 1) {  // a power cut: the disk kept the file up to some byte
            const std::size_t header = text.find("\r\n") + 2;
            const std::size_t cut = header + random() % (text.size() - header + 1);
            fs::resize_file(files[0], cut);
            kept = recordedCounts(text.substr(0, cut));
        }
    }
    program = p.start();
    p.desktop.keys(p.windowNamed(this->kDialog), {"Return"});
    const std::string window = p.windowNamed(this->kTitle);
    ASSERT_TRUE(eventually([&] { return p.portShows(true); }));
    p.device.write("2000\n2001\n");  // after any the line still held
    std::vector<int> counts;
    ASSERT_TRUE(eventually([&] {
        counts = recordedCounts(contentOf(recordings()[0]));
        return counts.size() >= 2 && counts.back() == 2001;
    }));
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), counts.begin()));
    kept = counts;
    const fs::path saved = fs::path(std::getenv("HOME")) / "store.log";
    EXPECT_EQ(p.choose(*program, window, {"alt+f", "Return"}, saved.string()), "");
    std::string log;
    for (const int count : kept) {
        log += std::to_string(count) + "\r\n";
    }
    EXPECT_TRUE(eventually([&] { return contentOf(saved) == log; }));
    p.desktop.keys(window, {"alt+F4"});
    EXPECT_EQ(program->wait(), 0);
    EXPECT_EQ(p.settings()["Open Recording"], "");  // ended as it should: no question next time
}

// The chart read with the mouse and the keys: the strip shows the reading under the pointer,
// two clicks set cursors A and B, a drag zooms into the readings it spans, Home shows the
// whole charge again, and Esc takes the cursors away.
TYPED_TEST_P(Scenario, ChartIsReadAndZoomedWithTheMouseAndKeys) {
    auto& p = this->p;
    const auto program = p.start();
    const std::string window = p.windowNamed(this->kTitle);
    ASSERT_TRUE(eventually([&] { return p.portShows(true); }));
    std::string ramp;  // a point a column, each at a height of its own
    for (int count = 450; count < 550; ++count) {
        ramp += std::to_string(count) + "\n";
    }
    p.device.write(ramp);
    const QRect chart = p.chart();
    ASSERT_TRUE(eventually([&] { return this->pixels(chart) >= 99; })) << this->pixels(chart);
    const int whole = this->pixels(chart);
    const auto at = [&](double across) {  // the 100 readings take the left half
        return QPoint(chart.x() + static_cast<int>(chart.width() * across), chart.center().y());
    };
    // Whether a caption holds `part`, where captions can be read; else whether the strip shows.
    const bool readable = p.labels("").has_value();
    const auto says = [&](const std::string& part) {
        return readable ? std::ranges::any_of(*p.labels(""),
                                              [&](const std::string& caption) {
                                                  return caption.find(part) != std::string::npos;
                                              })
                        : p.storeFullShown(window);
    };
    p.desktop.pointer(at(0.25));
    EXPECT_TRUE(eventually([&] { return says("#"); }));  // the reading's number first

    const QRgb cursorA = qRgb(0, 192, 255), cursorB = qRgb(255, 96, 255);
    p.desktop.pointer(at(0.1), {"click", "1"});
    p.desktop.pointer(at(0.2), {"click", "1"});
    EXPECT_TRUE(eventually(
        [&] { return this->pixels(chart, cursorA) > 0 && this->pixels(chart, cursorB) > 0; }));
    EXPECT_TRUE(says("A 1.") && says(", B 1.") && says(": \xCE\x94 "));  // a capital delta

    p.desktop.pointer(at(0.05), {"mousedown", "1"});  // readings 10 to 60
    p.desktop.pointer(at(0.3), {"mouseup", "1"});
    EXPECT_TRUE(eventually([&] { return this->pixels(chart) < whole * 3 / 4; }));
    EXPECT_TRUE(says("Showing "));

    p.desktop.keys(window, {"Home"});
    EXPECT_TRUE(eventually([&] { return this->pixels(chart) > whole * 3 / 4; }));  // and cursors
    EXPECT_FALSE(readable && says("Showing "));
    // Keys still reach the chart after a menu used from the keyboard: View > Whole Charge.
    p.desktop.keys(window, {"alt+v", "Return", "Escape"});
    EXPECT_TRUE(eventually([&] { return this->pixels(chart, cursorA) == 0; }));
    EXPECT_EQ(this->pixels(chart), whole);
    EXPECT_FALSE(readable && says("\xCE\x94"));
}

REGISTER_TYPED_TEST_SUITE_P(Scenario, FirstStartDrawsReadingsRunsOnceAndPicksTheDeviceUpAgain,
                            RangeAndPortDialogsThenARestartKeepsTheRange,
                            WindowComesBackWhereItWasLeft,
                            SavedGraphReplacesOnlyWhenToldAndLoadsBack,
                            KilledAtAnyMomentLosesAtMostItsLastSecondAndGoesOn,
                            ChartIsReadAndZoomedWithTheMouseAndKeys);

}  // namespace tremolex
