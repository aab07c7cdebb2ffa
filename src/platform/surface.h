#pragma once

#include <cstdint>
#include <span>

#include "platform/color.h"

namespace tremolex {

// A drawing surface with a logical coordinate system of the program's choosing: x runs
// from ScaleLeft at the left edge over ScaleWidth to the right edge, y from ScaleTop at
// the top edge over ScaleHeight to the bottom edge (a negative ScaleHeight makes y grow
// upward). Drawing that falls outside the surface is clipped; a coordinate that is not
// finite makes the point or line be skipped. Points colour one pixel.
class Surface {
public:
    virtual ~Surface() = default;

    virtual void setScaleLeft(float left) = 0;
    virtual void setScaleTop(float top) = 0;
    virtual void setScaleWidth(float width) = 0;
    virtual void setScaleHeight(float height) = 0;

    // Clears the whole surface to its background colour.
    virtual void Cls() = 0;
    // A straight line from (x1, y1) to (x2, y2), both ends included.
    virtual void Line(float x1, float y1, float x2, float y2, Color color) = 0;
    virtual void PSet(float x, float y, Color color) = 0;

    // A series at even spacing whose heights come from a table: point i = 1..values.size()
    // is at x = xStep * i (rounded to single precision) and y = heightOf[values[i - 1] -
    // lowest]; every value lies in lowest .. lowest + heightOf.size() - 1. The same as PSet
    // for each point in turn; surfaces may do it much faster.
    virtual void PSetSeries(double xStep, std::span<const std::int16_t> values, std::int16_t lowest,
                            std::span<const float> heightOf, Color color) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            PSet(static_cast<float>(xStep * static_cast<double>(i + 1)),
                 heightOf[static_cast<std::size_t>(values[i] - lowest)], color);
        }
    }
};

}  // namespace tremolex
