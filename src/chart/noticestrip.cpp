#include "chart/noticestrip.h"

#include "chart/captions.h"

namespace tremolex {

void NoticeStrip::show(Notice which, std::string_view text) {
    Caption& notice = m_notices[static_cast<std::size_t>(which)];
    notice = Caption();
    notice << text;
    decltype(m_shown) joined;
    std::size_t size = 0;
    const auto append = [&](std::string_view part) {
        size += part.copy(joined.data() + size, part.size());
    };
    for (const Caption& each : m_notices) {
        if (!each.view().empty()) {
            append(size > 0 ? kGap : "");
            append(each.view());
        }
    }
    const std::string_view shown(joined.data(), size);
    if (m_written && shown == std::string_view(m_shown.data(), m_shownSize)) {
        return;
    }
    shown.copy(m_shown.data(), size);
    m_shownSize = size;
    m_written = true;
    m_label.setCaption(shown);
}

// Each notice at its widest: the most digits everywhere.
std::vector<std::string> NoticeStrip::shapes(std::string_view decimalSeparator) {
    constexpr double kLongest = 99999 * 60 + 59;
    constexpr ReadingTime kLatest{1, kLongest};
    std::string all =
        shapeOf(cursorsCaption(-15.55f, 15.55f, {1, 0}, kLatest, 1, decimalSeparator).view());
    all += kGap;
    all += shapeOf(readingCaption("", 100000, 15.555f, 32767, kLatest, 0).view());
    all += kGap;
    all += shapeOf(stretchCaption(1, 100000, kLatest, kLatest).view());
    all += kGap;
    all += shapeOf(storeFullCaption(99'999'999'999, true).view());
    all += kGap;
    all += shapeOf(endOfChargeCaption(15.555f, kLongest, decimalSeparator).view());
    all += kGap;
    all += shapeOf(stallCaption(kLongest).view());
    all += kGap;
    all += "Not recording to disk: No space left on device";  // the reasons vary in length
    return {all};
}

}  // namespace tremolex
