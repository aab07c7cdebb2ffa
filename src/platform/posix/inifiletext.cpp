#include "platform/posix/inifiletext.h"

#include <algorithm>

namespace tremolex {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string decodeValue(std::string_view text) {
    text = trimmed(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    std::string value;
    value.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            value += c;
            continue;
        }
        switch (text[i + 1]) {
            case '\\':
                value += '\\';
                break;
            case 'n':
                value += '\n';
                break;
            case 'r':
                value += '\r';
                break;
            case '0':
                value += '\0';
                break;
            default:
                // Hand-written text such as a Windows path keeps its backslash.
                value += c;
                continue;
        }
        ++i;
    }
    return value;
}

std::string encodeValue(std::string_view value) {
    std::string text;
    text.reserve(value.size() + 2);
    for (const char c : value) {
        switch (c) {
            case '\\':
                text += "\\\\";
                break;
            case '\n':
                text += "\\n";
                break;
            case '\r':
                text += "\\r";
                break;
            case '\0':
                text += "\\0";
                break;
            default:
                text += c;
        }
    }
    const bool needsQuotes =
        !value.empty() && (isBlank(value.front()) || isBlank(value.back()) || value.front() == '"');
    return needsQuotes ? '"' + text + '"' : text;
}

}  // namespace

bool IniFileText::isValidName(std::string_view name) {
    if (name.empty() || trimmed(name) != name) {
        return false;
    }
    if (name.front() == ';' || name.front() == '#' || name.front() == '[') {
        return false;
    }
    return name.find_first_of(std::string_view("=\n\r\0", 4)) == std::string_view::npos;
}

IniFileText IniFileText::parse(std::string_view content) {
    IniFileText file;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view raw = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);  // a file saved by a Windows editor
        }
        Line line{std::string(raw), {}, {}};
        const std::string_view body = trimmed(raw);
        const std::size_t equals = body.find('=');
        if (!body.empty() && body.front() != ';' && body.front() != '#' && body.front() != '[' &&
            equals != std::string_view::npos) {
            line.name = std::string(trimmed(body.substr(0, equals)));
            line.value = decodeValue(body.substr(equals + 1));
        }
        file.m_lines.push_back(std::move(line));
    }
    return file;
}

std::optional<std::string> IniFileText::value(std::string_view name) const {
    const auto it = std::find_if(m_lines.begin(), m_lines.end(),
                                 [name](const Line& line) { return line.name == name; });
    if (it == m_lines.end() || name.empty()) {
        return std::nullopt;
    }
    return it->value;
}

bool IniFileText::setValue(std::string_view name, std::string_view value) {
    if (!isValidName(name)) {
        return false;
    }
    Line line{std::string(name) + '=' + encodeValue(value), std::string(name), std::string(value)};
    const auto it = std::find_if(m_lines.begin(), m_lines.end(),
                                 [name](const Line& l) { return l.name == name; });
    if (it != m_lines.end()) {
        *it = std::move(line);
    } else {
        m_lines.push_back(std::move(line));
    }
    return true;
}

std::string IniFileText::text() const {
    std::string text;
    for (const Line& line : m_lines) {
        text += line.raw;
        text += '\n';
    }
    return text;
}

}  // namespace tremolex
