#pragma once

#include <array>
#include <vector>

#include "platform/surface.h"

namespace tremolex {

// Records what is drawn since the last Cls().
class FakeSurface final : public Surface {
public:
    struct Segment {
        float x1, y1, x2, y2;
        Color color;
        bool operator==(const Segment&) const = default;
    };
    struct Point {
        float x, y;
        Color color;
        bool operator==(const Point&) const = default;
    };

    void setScaleLeft(float left) override { scale[0] = left; }
    void setScaleTop(float top) override { scale[1] = top; }
    void setScaleWidth(float width) override { scale[2] = width; }
    void setScaleHeight(float height) override { scale[3] = height; }

    void Cls() override {
        ++clears;
        lines.clear();
        points.clear();
    }
    void Line(float x1, float y1, float x2, float y2, Color color) override {
        lines.push_back({x1, y1, x2, y2, color});
    }
    void PSet(float x, float y, Color color) override { points.push_back({x, y, color}); }

    std::array<float, 4> scale{};  // left, top, width, height
    int clears = 0;
    std::vector<Segment> lines;
    std::vector<Point> points;
};

}  // namespace tremolex
