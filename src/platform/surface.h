#pragma once

#include <span>

#include "platform/color.h"

namespace tremolex {

struct PointF {
    float x = 0;
    float y = 0;
};

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

    // The same as PSet for each point in turn; surfaces may do it faster.
    virtual void PSetMany(std::span<const PointF> points, Color color) {
        for (const PointF& point : points) {
            PSet(point.x, point.y, color);
        }
    }
};

}  // namespace tremolex
