#include "recordingwriter.h"

#include <array>
#include <cmath>
#include <fstream>

#include "linemaker.h"
#include "platform/posix/posixclock.h"
#include "profile.h"
#include "recording/recordingformat.h"
#include "simulator.h"

namespace tremolex::cellsim {

int writeRecording(const Options& options, std::ostream& log) {
    const Profile profile(options.profile, options.volts.value_or(Profile::kDefaultLevel));
    LineMaker maker({options.noise, 0, LineEnding::LineFeed, options.seed.value_or(1)});
    PosixClock clock;
    const std::int64_t now = clock.utcMilliseconds();
    std::string text(kRecordingHeader);
    text += "\r\n";
    const auto readings = static_cast<std::int64_t>(std::ceil(options.from / options.interval));
    for (std::int64_t i = 0; i < readings; ++i) {
        const double seconds = static_cast<double>(i) * options.interval;
        const std::int64_t utc =
            now - std::llround((options.from - seconds) * 1000);  // the last, an interval ago
        std::array<char, kRecordingLineCapacity> line{};
        const std::size_t size = formatRecordingLine(
            {static_cast<std::int16_t>(maker.count(profile.volts(seconds))), utc, seconds},
            clock.utcOffsetMinutes(utc), line);
        text.append(line.data(), size);
    }
    std::ofstream file(options.recording, std::ios::binary | std::ios::trunc);
    if (!(file << text) || !file.flush()) {
        log << "cellsim: " << options.recording << " could not be written\n";
        return kExitFailed;
    }
    return kExitStopped;
}

}  // namespace tremolex::cellsim
