#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/window.h"

namespace tremolex {

// The drawing of every window backend's surface, on a picture of 32-bit pixels that the
// backend keeps and shows: the same calls colour the same pixels on every platform. A
// pixel holds 0xFFRRGGBB, which is both Qt's RGB32 and a 32-bit DIB's layout.
class RasterSurface : public WindowSurface {
public:
    RasterSurface();

    void setBackColor(Color color) final;
    void setScaleLeft(float left) final;
    void setScaleTop(float top) final;
    void setScaleWidth(float width) final;
    void setScaleHeight(float height) final;

    void Cls() final;
    void Line(float x1, float y1, float x2, float y2, Color color) final;
    void PSet(float x, float y, Color color) final;
    void PSetSeries(double xStep, std::span<const std::int16_t> values, std::int16_t lowest,
                    std::span<const float> heightOf, Color color) final;

    void setPointerEvents(std::function<void(const PointerEvent&)> onPointer) final {
        m_onPointer = std::move(onPointer);
    }

    static std::uint32_t pixelOf(Color color);

protected:
    // The picture to draw on: `height` rows of `width` pixels from the top, each row
    // `stride` pixels after the one above. It is cleared to the background colour.
    void setPicture(std::uint32_t* pixels, int width, int height, std::ptrdiff_t stride);
    // Before a clear: a backend whose picture no longer has the surface's size makes a new one.
    virtual void beforeClear() {}
    // Something was drawn: the backend shows it.
    virtual void changed() = 0;
    std::uint32_t background() const { return m_background; }
    // The pointer did something at `event`'s pixel: its place in logical units is added,
    // at the pixel's centre, and it is handed on.
    void pointer(PointerEvent event);
    // A wheel turned by `amount`, 120 to a notch as both systems count it (away from the
    // user, or sideways to the left): whole notches go on as a wheel event at `event`'s
    // pixel; the rest of a notch waits for the next turn.
    void wheelTurned(int amount, bool sideways, PointerEvent event);

private:
    void updateTransform();
    double pixelX(float x) const { return x * m_xScale + m_xOffset; }
    double pixelY(float y) const { return y * m_yScale + m_yOffset; }

    std::uint32_t* m_pixels = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::ptrdiff_t m_stride = 0;
    std::uint32_t m_background = pixelOf(0);
    float m_scaleLeft = 0;
    float m_scaleTop = 0;
    float m_scaleWidth = 1;
    float m_scaleHeight = 1;
    // Pixel = logical * scale + offset, for each axis.
    double m_xScale = 1, m_xOffset = 0, m_yScale = 1, m_yOffset = 0;
    std::vector<std::ptrdiff_t> m_rowOffsets;  // PSetSeries: where each value's row starts
    std::function<void(const PointerEvent&)> m_onPointer;
    int m_wheelRest = 0;  // of a fine-grained wheel, less than a notch
    int m_sidewaysRest = 0;
};

}  // namespace tremolex
