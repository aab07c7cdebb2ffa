#include "recording/recordingname.h"

namespace tremolex {

std::string recordingFileName(const CivilTime& start, int number) {
    if (!isValid(start) || number < 1) {
        return {};
    }
    std::string name;
    const auto digits = [&name](int value, int width) {
        for (int scale = width == 4 ? 1000 : 10; scale > 0; scale /= 10) {
            name += static_cast<char>('0' + value / scale % 10);
        }
    };
    // No ':' (Windows refuses it in names): the time of day is written 11.30.05.
    digits(start.year, 4);
    name += '-';
    digits(start.month, 2);
    name += '-';
    digits(start.day, 2);
    name += ' ';
    digits(start.hour, 2);
    name += '.';
    digits(start.minute, 2);
    name += '.';
    digits(start.second, 2);
    if (number > 1) {
        name += " (" + std::to_string(number) + ")";
    }
    return name + ".csv";
}

}  // namespace tremolex
