#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "chart/caption.h"
#include "platform/label.h"

namespace tremolex {

// The red strip above the chart: every notice that applies, on one line in a fixed order
// (the measuring cursors, what the pointer reads, the zoomed stretch, store full, end of
// charge, readings stalled, recording), three spaces apart; empty when none does. The
// user's readouts come first: a notice too long for the window is cut off on the right.
// The label is written only when its text changes. Allocates nothing.
class NoticeStrip {
public:
    enum class Notice { Cursors, Pointer, Showing, StoreFull, EndOfCharge, Stalled, NotRecording };

    explicit NoticeStrip(Label& label) : m_label(label) {}

    // Shows `text` as the notice `which`; "" takes it away. Beyond Caption::kCapacity
    // bytes a text is cut off.
    void show(Notice which, std::string_view text);

    // The widest text the strip can show, as shapes: each of its notices at its widest, all
    // together. The window sizes the label from them.
    static std::vector<std::string> shapes(std::string_view decimalSeparator);

private:
    static constexpr std::string_view kGap = "   ";
    static constexpr std::size_t kNotices = 7;
    static constexpr std::size_t kLongest = kNotices * (Caption::kCapacity + kGap.size());

    Label& m_label;
    std::array<Caption, kNotices> m_notices{};
    std::array<char, kLongest> m_shown{};
    std::size_t m_shownSize = 0;
    bool m_written = false;  // the label holds m_shown
};

}  // namespace tremolex
