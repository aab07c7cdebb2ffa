#include "app/outerframe.h"

#include <algorithm>
#include <cmath>

namespace tremolex {

void OuterFrame::setTwipsPerPixel(double twipsPerPixel) {
    if (twipsPerPixel != m_twipsPerPixel) {
        m_twipsPerPixel = twipsPerPixel;
        m_applied = {};
    }
}

int OuterFrame::applied(Edge edge, float twips) {
    const auto pixels = static_cast<int>(std::lround(static_cast<double>(twips) / m_twipsPerPixel));
    m_applied[static_cast<std::size_t>(edge)] = {twips, pixels, true};
    return pixels;
}

float OuterFrame::reported(Edge edge, int pixels) const {
    const Remembered& last = m_applied[static_cast<std::size_t>(edge)];
    if (last.valid && last.pixels == pixels) {
        return last.twips;
    }
    return static_cast<float>(pixels * m_twipsPerPixel);
}

OuterFrame::Size OuterFrame::clientFor(Size outer) const {
    return {std::max(1, outer.width - m_decorations.width),
            std::max(1, outer.height - m_decorations.height)};
}

std::optional<OuterFrame::Size> OuterFrame::framed(Size frame, Size client, bool normalState) {
    const Size decorations{frame.width - client.width, frame.height - client.height};
    if (!normalState || decorations == m_decorations || decorations.width < 0 ||
        decorations.height < 0) {
        return std::nullopt;
    }
    const Size outer{client.width + m_decorations.width, client.height + m_decorations.height};
    m_decorations = decorations;
    return clientFor(outer);
}

}  // namespace tremolex
