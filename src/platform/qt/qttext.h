#pragma once

#include <QString>
#include <string_view>

namespace tremolex {

// The program's UTF-8 text as Qt's; the text need not end in a zero.
inline QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tremolex
