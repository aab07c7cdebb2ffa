#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tremolex {

// The text of a settings file that a person can read and edit: one "name=value" per
// line. Blank lines, comments (";" or "#") and "[section]" lines are kept as they are
// and otherwise ignored. Blanks around names and values are not part of them. In a
// value, "\\", "\n", "\r" and "\0" stand for a backslash, line feed, carriage return and
// zero byte; a value is put in double quotes when it begins or ends with a blank or
// begins with a quote, so that any text reads back exactly as it was set.
class IniFileText {
public:
    static IniFileText parse(std::string_view content);

    // The value of the first entry called `name`.
    std::optional<std::string> value(std::string_view name) const;

    // Replaces the first entry called `name`, or appends one. False when `name` cannot be
    // an entry name (empty, blanks at its ends, "=", a line break, a comment or section
    // mark first).
    bool setValue(std::string_view name, std::string_view value);

    // The file's text; unchanged lines come back byte for byte.
    std::string text() const;

    static bool isValidName(std::string_view name);

private:
    struct Line {
        std::string raw;
        std::string name;  // empty unless the line is an entry
        std::string value;
    };
    std::vector<Line> m_lines;
};

}  // namespace tremolex
